#include "frmPlaylistExporter.h"

#include "ControlIds.h"
#include "ExportRun.h"
#include "Layout.h"
#include "Utf16.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <utility>

namespace tunecrate::win32 {
namespace {

constexpr char folderPrompt[] = "Bitte Ordner auswählen";
constexpr wchar_t caption[] = L"Tunecrate " TUNECRATE_VERSION L" by Quillmar";

constexpr TwipsRect clientTwips{.width = 10665, .height = 4620};
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A narrow caption and still a task-bar button; Tab walks the controls.
constexpr DWORD windowExStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

constexpr int panelMinimumTwips = 1440;
constexpr int progressPanelTwips = 1150;

struct Design {
    ControlId id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    TwipsRect twips;
};

constexpr DWORD child = WS_CHILD | WS_VISIBLE;
constexpr DWORD editStyle = child | WS_TABSTOP | ES_AUTOHSCROLL;

// In tab order, which is the order they are created in and Tab walks.
constexpr std::array designs{
    Design{ControlId::cmdSearch,
           WC_BUTTONW,
           L"Search",
           child | WS_TABSTOP | BS_PUSHBUTTON,
           0,
           {9120, 150, 1515, 315}},
    Design{ControlId::txtPlaylist,
           WC_EDITW,
           L"",
           editStyle | ES_MULTILINE | ES_AUTOVSCROLL | WS_HSCROLL | WS_VSCROLL,
           WS_EX_CLIENTEDGE,
           {60, 570, 10575, 2535}},
    Design{
        ControlId::txtPathfrom, WC_EDITW, L"", editStyle, WS_EX_CLIENTEDGE, {30, 150, 9045, 315}},
    Design{ControlId::cmdSave,
           WC_BUTTONW,
           L"Save",
           child | WS_TABSTOP | BS_PUSHBUTTON,
           0,
           {3750, 3930, 1515, 315}},
    Design{ControlId::txtPathto, WC_EDITW, L"", editStyle, WS_EX_CLIENTEDGE, {30, 3210, 9045, 315}},
    Design{ControlId::cmdSearch2,
           WC_BUTTONW,
           L"Search",
           child | WS_TABSTOP | BS_PUSHBUTTON,
           0,
           {9120, 3210, 1515, 315}},
    Design{ControlId::cmbLang,
           WC_COMBOBOXW,
           L"",
           child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
           0,
           {9330, 3930, 1215, 315}},
    Design{ControlId::cmdCancel,
           WC_BUTTONW,
           L"Cancel",
           child | WS_TABSTOP | BS_PUSHBUTTON,
           0,
           {5370, 3930, 1515, 315}},
    // Reaches past both edges of the window and is clipped there.
    Design{ControlId::pgbCopy, PROGRESS_CLASSW, L"", child, 0, {-60, 3600, 10755, 285}},
    Design{ControlId::stbStatus,
           STATUSCLASSNAMEW,
           L"",
           child | CCS_NOPARENTALIGN | CCS_NORESIZE,
           0,
           {0, 4335, 10665, 285}},
};

// Sets a flag for as long as it lives and puts the old value back after.
class FlagScope {
public:
    FlagScope(bool& flag, bool value) : flag_(flag), old_(std::exchange(flag, value)) {}
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

void registerWindowClass(HINSTANCE instance, WNDPROC windowProc)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExW(instance, windowClassName, &windowClass)) {
        return;
    }
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = windowClassName;
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

frmPlaylistExporter::frmPlaylistExporter(HINSTANCE instance) : dialogs_(Dialogs::system())
{
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    registerWindowClass(instance, &windowProc);
    window_ = CreateWindowExW(windowExStyle, windowClassName, caption, windowStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                              instance, this);
    if (window_ == nullptr) {
        throw std::runtime_error("the window could not be created");
    }
    buildControls();
    Form_Load();
}

frmPlaylistExporter::~frmPlaylistExporter()
{
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void frmPlaylistExporter::setDialogs(Dialogs dialogs)
{
    dialogs_ = std::move(dialogs);
}

void frmPlaylistExporter::buildControls()
{
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    for (const Design& design : designs) {
        HWND control = CreateWindowExW(
            design.exStyle, design.className, design.text, design.style, 0, 0, 0, 0, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(idOf(design.id))), instance, nullptr);
        if (control == nullptr) {
            throw std::runtime_error("a control of the window could not be created");
        }
    }
    const auto find = [this](ControlId id) {
        return GetDlgItem(window_, idOf(id));
    };
    cmdSearch = PushButton(find(ControlId::cmdSearch));
    txtPlaylist = Edit(find(ControlId::txtPlaylist));
    txtPathfrom = Edit(find(ControlId::txtPathfrom));
    cmdSave = PushButton(find(ControlId::cmdSave));
    txtPathto = Edit(find(ControlId::txtPathto));
    cmdSearch2 = PushButton(find(ControlId::cmdSearch2));
    cmbLang = ComboBox(find(ControlId::cmbLang));
    cmdCancel = PushButton(find(ControlId::cmdCancel));
    pgbCopy = ProgressBar(find(ControlId::pgbCopy));
    stbStatus = StatusBar(find(ControlId::stbStatus));

    txtPlaylist.liftTextLimit();
    txtPathfrom.liftTextLimit();
    txtPathto.liftTextLimit();
    cmbLang.addItem(L"English");
    cmbLang.addItem(L"Deutsch");
    SetWindowSubclass(cmbLang.handle(), &comboProc, 0, reinterpret_cast<DWORD_PTR>(this));
    pgbCopy.setRange(0, 100);
    pgbCopy.setPosition(0);
    panelTexts_ = {L"File:", L"Filename:", L"Progress:"};
    for (int panel = 1; panel <= StatusBar::panelCount; ++panel) {
        stbStatus.setPanelText(panel, panelTexts_.at(static_cast<std::size_t>(panel - 1)));
    }
    lastFocus_ = cmdSearch.handle();

    layout(GetDpiForWindow(window_));
    centreOnScreen();
}

void frmPlaylistExporter::layout(unsigned dpi)
{
    dpi_ = dpi;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
    Font font(CreateFontIndirectW(&metrics.lfMessageFont));

    for (const Design& design : designs) {
        const Control control(GetDlgItem(window_, idOf(design.id)));
        control.setFont(font.get());
        RECT rect = pixelsFromTwips(design.twips, dpi);
        if (design.id == ControlId::cmbLang) {
            // A combo box's height includes its open list; its closed field is
            // sized through the height of its items.
            const int fieldHeight = rect.bottom - rect.top;
            rect.bottom += fieldHeight * 4;
            control.place(rect);
            // The field's frame around the item differs between systems and
            // styles, so the item height is corrected by what the field shows.
            for (int attempt = 0; attempt < 3; ++attempt) {
                RECT field{};
                GetWindowRect(control.handle(), &field);
                const int difference = fieldHeight - (field.bottom - field.top);
                if (difference == 0) {
                    break;
                }
                cmbLang.setFieldHeight(
                    static_cast<int>(cmbLang.send(CB_GETITEMHEIGHT, WPARAM(-1))) + difference);
            }
            continue;
        }
        control.place(rect);
    }
    font_ = std::move(font);

    RECT frame = pixelsFromTwips(clientTwips, dpi);
    AdjustWindowRectExForDpi(&frame, windowStyle, FALSE, windowExStyle, dpi);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pacer_.measureScreen(window_);
    fitPanels();
}

void frmPlaylistExporter::centreOnScreen()
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT frame{};
    GetWindowRect(window_, &frame);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmPlaylistExporter::show(int showCommand)
{
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

void frmPlaylistExporter::Form_Load()
{
    cmbLang.selectText(L"English");
    applyShownLanguage();
}

void frmPlaylistExporter::applyShownLanguage()
{
    ApplyLanguage(cmbLang.text(), *this);
    // The designed width holds "Progress: 100%" in the design's small font; a
    // larger default font widens the panel so that no percentage is cut off.
    // It stays fixed while the percentage changes.
    progressPanelWidth_ =
        std::max(pixelsFromTwips(progressPanelTwips, dpi_), textWidth(panelTexts_[2] + L"100%"));
    fitPanels();
}

int frmPlaylistExporter::textWidth(const std::wstring& text) const
{
    HDC context = GetDC(stbStatus.handle());
    const HGDIOBJ old = SelectObject(context, font_.get());
    SIZE size{};
    GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(context, old);
    ReleaseDC(stbStatus.handle(), context);
    // The panel's bevel and the room the bar leaves around a text.
    std::array<int, 3> borders{};
    stbStatus.send(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders.data()));
    return size.cx + 2 * (borders[0] + borders[2] + GetSystemMetrics(SM_CXEDGE)) + 6;
}

void frmPlaylistExporter::fitPanels()
{
    // Panel 3 keeps its width, panel 2 fits its text and never goes below its
    // minimum, panel 1 takes what the others leave.
    RECT client{};
    GetClientRect(stbStatus.handle(), &client);
    const int bar = static_cast<int>(client.right);
    const int minimum = pixelsFromTwips(panelMinimumTwips, dpi_);
    const int third = progressPanelWidth_;
    const int second =
        std::clamp(textWidth(panelTexts_[1]), minimum, std::max(minimum, bar - minimum - third));
    const int first = std::max(minimum, bar - second - third);
    stbStatus.setParts({first, first + second, -1});
}

void frmPlaylistExporter::cmbLang_Click()
{
    applyShownLanguage();
}

void frmPlaylistExporter::cmbLang_KeyUp()
{
    applyShownLanguage();
}

void frmPlaylistExporter::cmdCancel_Click()
{
    CancelRequested = true;
}

void frmPlaylistExporter::cmdSave_Click()
{
    ++runDepth_;
    struct RunEnd {
        frmPlaylistExporter& window;
        ~RunEnd()
        {
            window.syncDisplay();
            if (--window.runDepth_ == 0 && window.closePending_) {
                DestroyWindow(window.window_);
            }
        }
    } runEnd{*this};
    const FlagScope inRun(inRunBody_, true);
    runExport(*this);
}

void frmPlaylistExporter::cmdSearch_Click()
{
    // A cancelled dialog leaves the path that was there.
    const std::string chosen = dialogs_.choosePlaylist(window_);
    if (!chosen.empty()) {
        txtPathfrom.setText(chosen);
    }
}

void frmPlaylistExporter::cmdSearch2_Click()
{
    const std::string chosen = dialogs_.browseFolder(folderPrompt, {});
    if (!chosen.empty()) {
        txtPathto.setText(chosen);
    }
}

void frmPlaylistExporter::txtPlaylist_Change()
{
    txtPlaylist.moveCaretToEnd();
}

void frmPlaylistExporter::runCommand(void (frmPlaylistExporter::*command)())
{
    std::string error;
    try {
        (this->*command)();
        return;
    } catch (const std::exception& exception) {
        error = exception.what();
    } catch (...) {
        error = "unknown error";
    }
    dialogs_.showError(window_, "This step stopped with an error: " + error);
}

void frmPlaylistExporter::onCommand(int id, int code)
{
    switch (static_cast<ControlId>(id)) {
    case ControlId::cmdSearch:
        if (code == BN_CLICKED) {
            runCommand(&frmPlaylistExporter::cmdSearch_Click);
        }
        break;
    case ControlId::cmdSearch2:
        if (code == BN_CLICKED) {
            runCommand(&frmPlaylistExporter::cmdSearch2_Click);
        }
        break;
    case ControlId::cmdSave:
        if (code == BN_CLICKED) {
            runCommand(&frmPlaylistExporter::cmdSave_Click);
        }
        break;
    case ControlId::cmdCancel:
        if (code == BN_CLICKED) {
            runCommand(&frmPlaylistExporter::cmdCancel_Click);
        }
        break;
    case ControlId::cmbLang:
        if (code == CBN_SELCHANGE) {
            runCommand(&frmPlaylistExporter::cmbLang_Click);
        }
        break;
    case ControlId::txtPlaylist:
        // The window's own writes move the caret themselves; this is the user typing.
        if (code == EN_CHANGE && !writingLog_) {
            logEditedInBox_ = true;
            runCommand(&frmPlaylistExporter::txtPlaylist_Change);
        }
        break;
    default:
        break;
    }
}

void frmPlaylistExporter::onClose()
{
    // A close while the run copies is a cancel request; the window closes
    // once the run has stopped.
    if (runDepth_ > 0) {
        closePending_ = true;
        return;
    }
    DestroyWindow(window_);
}

LRESULT CALLBACK frmPlaylistExporter::windowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<frmPlaylistExporter*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmPlaylistExporter*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->onMessage(message, wParam, lParam);
}

LRESULT frmPlaylistExporter::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_ACTIVATE:
        // The focus leaves with the window and comes back to where it was.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (HWND focus = GetFocus(); focus != nullptr && IsChild(window_, focus)) {
                lastFocus_ = focus;
            }
        } else {
            SetFocus(lastFocus_);
        }
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
        layout(HIWORD(wParam));
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

LRESULT CALLBACK frmPlaylistExporter::comboProc(HWND combo, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR /*id*/, DWORD_PTR self)
{
    if (message == WM_KEYUP || message == WM_SYSKEYUP) {
        reinterpret_cast<frmPlaylistExporter*>(self)->runCommand(
            &frmPlaylistExporter::cmbLang_KeyUp);
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(combo, &comboProc, 0);
    }
    return DefSubclassProc(combo, message, wParam, lParam);
}

void frmPlaylistExporter::dispatch(const MSG& message) const
{
    MSG copy = message;
    if (window_ != nullptr && IsDialogMessageW(window_, &copy)) {
        return;
    }
    TranslateMessage(&copy);
    DispatchMessageW(&copy);
}

void frmPlaylistExporter::processEvents()
{
    const FlagScope yielding(inRunBody_, false);
    // Painting waits for the next frame; every other message goes on at once
    // and in its order, each after the controls are brought up to date.
    using Clock = FramePacer::Clock;
    const bool frame = runDepth_ == 0 || pacer_.frameDue();
    Clock::duration painting{};
    if (frame) {
        const Clock::time_point started = Clock::now();
        syncDisplay();
        painting += Clock::now() - started;
    }
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (message.message == WM_PAINT && !frame) {
            break;
        }
        PeekMessageW(&message, nullptr, message.message, message.message, PM_REMOVE);
        if (message.message == WM_QUIT) {
            // For the loop that waits for it.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        syncDisplay();
        // Only painting counts: a command run from here, a dialog say, can
        // take as long as the user likes.
        const Clock::time_point started = Clock::now();
        dispatch(message);
        if (message.message == WM_PAINT) {
            painting += Clock::now() - started;
        }
    }
    if (frame) {
        pacer_.framePainted(painting);
    }
}

std::string frmPlaylistExporter::logText() const
{
    return logEditedInBox_ ? txtPlaylist.text() : logText_;
}

std::string frmPlaylistExporter::pathFrom() const
{
    return txtPathfrom.text();
}

std::string frmPlaylistExporter::pathTo() const
{
    return txtPathto.text();
}

void frmPlaylistExporter::setLog(const std::string& text)
{
    pendingLog_.clear();
    logText_ = text;
    logEditedInBox_ = false;
    {
        const FlagScope writing(writingLog_, true);
        txtPlaylist.setWideText(wideFromUtf8(text));
    }
    txtPlaylist_Change();
}

void frmPlaylistExporter::appendLog(std::string_view piece)
{
    if (logEditedInBox_) {
        logText_ = txtPlaylist.text();
        logEditedInBox_ = false;
    }
    logText_ += piece;
    if (deferringDisplay()) {
        pendingLog_ += piece;
        displayPending_ = true;
        return;
    }
    syncDisplay();
    insertIntoBox(piece);
}

void frmPlaylistExporter::insertIntoBox(std::string_view piece)
{
    {
        const FlagScope writing(writingLog_, true);
        txtPlaylist.append(wideFromUtf8(piece));
    }
    txtPlaylist_Change();
}

void frmPlaylistExporter::setPanelText(int panel, const std::string& text)
{
    const auto index = static_cast<std::size_t>(panel - 1);
    if (deferringDisplay()) {
        pendingPanels_.at(index) = text;
        displayPending_ = true;
        return;
    }
    syncDisplay();
    panelTexts_.at(index) = wideFromUtf8(text);
    stbStatus.setPanelText(panel, panelTexts_[index]);
    if (panel == 2) {
        fitPanels();
    }
}

void frmPlaylistExporter::setProgressValue(float value)
{
    // The bar would paint itself at once at every new value; during the run
    // it waits for the next frame like the rest of the window.
    const auto position = static_cast<int>(std::lround(std::clamp(value, 0.0f, 100.0f)));
    // A run sets the same value several times for each file, and every change
    // costs the bar a trip to the window system.
    if (position == pgbCopy.position()) {
        return;
    }
    if (deferringDisplay()) {
        pauseProgressBar();
    }
    pgbCopy.setPosition(position);
}

void frmPlaylistExporter::pauseProgressBar()
{
    if (!progressBarPaused_) {
        progressBarPaused_ = true;
        displayPending_ = true;
        pgbCopy.send(WM_SETREDRAW, FALSE);
    }
}

float frmPlaylistExporter::progressValue() const
{
    return static_cast<float>(pgbCopy.position());
}

void frmPlaylistExporter::syncDisplay()
{
    if (!displayPending_) {
        return;
    }
    displayPending_ = false;
    if (!pendingLog_.empty()) {
        insertIntoBox(std::exchange(pendingLog_, {}));
    }
    for (std::size_t i = 0; i < pendingPanels_.size(); ++i) {
        if (const std::optional<std::string> text = std::exchange(pendingPanels_[i], {})) {
            setPanelText(static_cast<int>(i + 1), *text);
        }
    }
    if (progressBarPaused_) {
        progressBarPaused_ = false;
        pgbCopy.send(WM_SETREDRAW, TRUE);
        RedrawWindow(pgbCopy.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
}

void frmPlaylistExporter::clearCancelRequest()
{
    CancelRequested = false;
}

bool frmPlaylistExporter::cancelRequested() const
{
    return CancelRequested || closePending_;
}

void frmPlaylistExporter::setButtonCaption(Button button, const std::string& caption)
{
    switch (button) {
    case Button::Search:
        cmdSearch.setText(caption);
        break;
    case Button::Search2:
        cmdSearch2.setText(caption);
        break;
    case Button::Save:
        cmdSave.setText(caption);
        break;
    case Button::Cancel:
        cmdCancel.setText(caption);
        break;
    }
}

} // namespace tunecrate::win32
