#include "WindowBase.h"

#include <stdexcept>

namespace tunecrate::win32 {
namespace {

void registerWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC windowProc)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExW(instance, className, &windowClass)) {
        return;
    }
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!RegisterClassExW(&windowClass)) {
        throw std::runtime_error("the window class could not be registered");
    }
}

} // namespace

WindowBase::~WindowBase()
{
    destroy();
}

void WindowBase::create(HINSTANCE instance, const wchar_t* className, const wchar_t* caption,
                        DWORD style, DWORD exStyle)
{
    registerWindowClass(instance, className, &windowProc);
    CreateWindowExW(exStyle, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (window_ == nullptr) {
        throw std::runtime_error("the window could not be created");
    }
}

void WindowBase::destroy()
{
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void WindowBase::show(int showCommand)
{
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

void WindowBase::dispatch(const MSG& message) const
{
    MSG copy = message;
    if (window_ != nullptr && IsDialogMessageW(window_, &copy)) {
        return;
    }
    TranslateMessage(&copy);
    DispatchMessageW(&copy);
}

void WindowBase::onNotify(const Control& control, int code, std::function<void()> handler)
{
    notifications_[{GetDlgCtrlID(control.handle()), code}] = std::move(handler);
}

void WindowBase::onKeyUp(const Control& control, std::function<void()> handler)
{
    keyUps_.push_back(std::make_unique<std::function<void()>>(std::move(handler)));
    SetWindowSubclass(control.handle(), &keyUpProc, 0,
                      reinterpret_cast<DWORD_PTR>(keyUps_.back().get()));
}

LRESULT CALLBACK WindowBase::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<WindowBase*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->onMessage(message, wParam, lParam);
}

LRESULT CALLBACK WindowBase::keyUpProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR handler)
{
    if (message == WM_KEYUP || message == WM_SYSKEYUP) {
        (*reinterpret_cast<const std::function<void()>*>(handler))();
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, &keyUpProc, 0);
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

LRESULT WindowBase::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (const auto handler = notifications_.find({LOWORD(wParam), HIWORD(wParam)});
            handler != notifications_.end()) {
            handler->second();
        }
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_ACTIVATE:
        onActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_NEXTDLGCTL:
        // The multi-line log box hands Tab on through this.
        if (LOWORD(lParam) != 0) {
            SetFocus(reinterpret_cast<HWND>(wParam));
        } else {
            SetFocus(GetNextDlgTabItem(window_, GetFocus(), wParam != 0));
        }
        return 0;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        onDpiChanged(HIWORD(wParam));
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_NCDESTROY: {
        HWND window = std::exchange(window_, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (endsProgram_) {
            PostQuitMessage(0);
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void WindowBase::onActivate(bool active)
{
    // The focus leaves with the window and comes back to where it was.
    if (!active) {
        if (HWND focus = GetFocus(); focus != nullptr && IsChild(window_, focus)) {
            lastFocus_ = focus;
        }
        return;
    }
    SetFocus(lastFocus_);
}

} // namespace tunecrate::win32
