// The behaviours both windows share (ViewContract.h), over the window on the
// system's own controls.

#include "ModalDialog.h"
#include "SystemDialogs.h"
#include "ViewContract.h"
#include "WindowControls.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// windows.h first: the control headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

namespace tunecrate::win32 {
namespace {

// During a run the window holds back what the run writes until a frame is
// due or an event is let through, and a pass of the run that finds the queue
// empty lets nothing through. A user who clicks during a run meets a pass with
// an event; this gives every pass of a run one, a tick to a message-only
// window that runs onPass, so that what the run wrote before a pass reaches
// the controls in that pass. Made just before Save is pressed. A pass ends at the window's held
// repaint: there a tick is posted for the next pass, and the tick leaves a control to repaint, so
// that the pass it starts ends the same way.
class EveryPass {
public:
    EveryPass(frmPlaylistExporter& window, std::function<void()> onPass)
        : window_(window), onPass_(std::move(onPass))
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &EveryPass::tickProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"tunecrate-test-ticks";
        RegisterClassW(&windowClass);
        ticks_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 nullptr, windowClass.hInstance, nullptr);
        current_ = this;
        hook_ =
            SetWindowsHookExW(WH_GETMESSAGE, &EveryPass::onMessage, nullptr, GetCurrentThreadId());
        // The first tick, for the first pass of the run started next.
        ticking_ = PostMessageW(ticks_, WM_APP, 0, 0) != FALSE;
    }
    ~EveryPass()
    {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
        DestroyWindow(ticks_);
    }
    EveryPass(const EveryPass&) = delete;
    EveryPass& operator=(const EveryPass&) = delete;

private:
    static LRESULT CALLBACK onMessage(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && current_ != nullptr && message->message == WM_PAINT &&
            !current_->ticking_ && current_->running()) {
            current_->ticking_ = true;
            PostMessageW(current_->ticks_, WM_APP, 0, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK tickProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != WM_APP || current_ == nullptr) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        current_->ticking_ = false;
        if (current_->running()) {
            current_->onPass_();
        }
        if (current_ != nullptr && current_->running()) {
            InvalidateRect(GetDlgItem(current_->window_.handle(), idOf(ControlId::cmdCancel)),
                           nullptr, FALSE);
        }
        return 0;
    }
    [[nodiscard]] bool running() const
    {
        return window_.handle() != nullptr && window_.session().holdsRepaints();
    }

    static inline EveryPass* current_ = nullptr;
    frmPlaylistExporter& window_;
    std::function<void()> onPass_;
    HWND ticks_ = nullptr;
    HHOOK hook_ = nullptr;
    bool ticking_ = false;
};

class Win32View : public WindowControls {
public:
    Win32View() { open(fake.dialogs()); }

    void setDialogs(Dialogs dialogs) { window->setDialogs(std::move(dialogs)); }
    [[nodiscard]] Dialogs systemDialogs() const { return win32::systemDialogs(window->handle()); }
    void answerNextQuestion(const char* button)
    {
        answer_.emplace([caption = wideFromUtf8(button)](HWND dialog) {
            if (HWND pressed = FindWindowExW(dialog, nullptr, L"Button", caption.c_str())) {
                PostMessageW(pressed, BM_CLICK, 0, 0);
            } else {
                ADD_FAILURE() << "no button " << utf8FromWide(caption);
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            }
        });
    }
    void setText(const char* name, const std::string& text) const
    {
        WindowControls::setText(named(name), text);
    }
    void click(const char* name) const { WindowControls::click(named(name)); }
    void close() const
    {
        if (window->handle() != nullptr) {
            SendMessageW(window->handle(), WM_CLOSE, 0, 0);
        }
    }
    [[nodiscard]] bool isOpen() const
    {
        return window->handle() != nullptr && IsWindowVisible(window->handle());
    }
    [[nodiscard]] std::string logBox() const { return text(ControlId::txtPlaylist); }
    [[nodiscard]] int bar() const { return progress(); }
    [[nodiscard]] std::string logText() const { return window->logText(); }
    void duringCopy(int copy, std::function<void()> action)
    {
        passes_.reset();
        passes_.emplace(*window, [this, copy, action = std::move(action)]() mutable {
            if (action && test::copyUnderWay(window->logText(), copy)) {
                std::exchange(action, nullptr)();
            }
        });
    }

    test::FakeDialogs fake;

private:
    [[nodiscard]] static ControlId named(std::string_view name)
    {
        return static_cast<ControlId>(idOf(name));
    }

    std::optional<EveryPass> passes_;
    std::optional<test::ModalDialogAnswer> answer_;
};

} // namespace
} // namespace tunecrate::win32

namespace tunecrate::test {

using Win32Window = ::testing::Types<win32::Win32View>;
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ViewContract, Win32Window);

} // namespace tunecrate::test
