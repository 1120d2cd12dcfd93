#include "BigFile.h"
#include "CaseName.h"
#include "ControlIds.h"
#include "FakeDialogs.h"
#include "LogLines.h"
#include "ModalDialog.h"
#include "PlaylistFilter.h"
#include "SystemDialogs.h"
#include "TempDir.h"
#include "Temporaries.h"
#include "Utf16.h"
#include "WindowDesign.h"
#include "frmPlaylistExporter.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// windows.h first: the control headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <wrl/client.h>
// clang-format on

namespace tunecrate::win32 {
namespace {

using test::FakeDialogs;
using test::readFile;
using test::splitLogLines;
using test::TempDir;
using test::writeFile;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

// Test folders lie directly under C:\: under Wine the profile folders link to
// the Linux home, where the shell's dialogs lose their way.
fs::path testRoot()
{
    return fs::path(L"C:\\");
}

// A message-only window that runs an action when its message arrives: what a
// user does at the moment the window lets messages through.
class ActionPost {
public:
    ActionPost()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &ActionPost::windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"tunecrate-test-actions";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ActionPost() { DestroyWindow(window_); }
    ActionPost(const ActionPost&) = delete;
    ActionPost& operator=(const ActionPost&) = delete;

    void post(std::function<void()> action)
    {
        actions_.push_back(std::move(action));
        PostMessageW(window_, WM_APP, 0, 0);
    }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ActionPost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_APP && self != nullptr && !self->actions_.empty()) {
            const std::function<void()> action = self->actions_.front();
            self->actions_.erase(self->actions_.begin());
            action();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    std::vector<std::function<void()>> actions_;
};

// During a run the window holds back what the run writes until a frame is
// due or an event is let through, and a pass of the run that finds the queue
// empty lets nothing through. A user who clicks during a run meets a pass with
// an event; this gives every pass of a run one, so that each value the run
// reached before a pass reaches the bar in that pass. A pass ends at the
// window's held repaint: there a tick is posted for the next pass, and the tick
// leaves a control to repaint, so that the pass it starts ends the same way.
class EveryPassSyncs {
public:
    EveryPassSyncs(frmPlaylistExporter& window, ActionPost& post) : window_(window), post_(post)
    {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_GETMESSAGE, &EveryPassSyncs::onMessage, nullptr,
                                  GetCurrentThreadId());
    }
    ~EveryPassSyncs()
    {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    EveryPassSyncs(const EveryPassSyncs&) = delete;
    EveryPassSyncs& operator=(const EveryPassSyncs&) = delete;

private:
    static LRESULT CALLBACK onMessage(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HC_ACTION && current_ != nullptr &&
            reinterpret_cast<const MSG*>(lParam)->message == WM_PAINT) {
            current_->passEnds();
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    void passEnds()
    {
        if (ticking_ || !window_.session().holdsRepaints()) {
            return;
        }
        ticking_ = true;
        post_.post([this] {
            ticking_ = false;
            if (window_.handle() != nullptr && window_.session().holdsRepaints()) {
                InvalidateRect(GetDlgItem(window_.handle(), idOf(ControlId::cmdCancel)), nullptr,
                               FALSE);
            }
        });
    }

    static inline EveryPassSyncs* current_ = nullptr;
    frmPlaylistExporter& window_;
    ActionPost& post_;
    HHOOK hook_ = nullptr;
    bool ticking_ = false;
};

// Watches the progress bar: when copy number `copy` of a run shows 100%, the
// action is posted, so it runs in the pass that brought the value to the bar,
// while that entry is still under way.
class DuringCopy {
public:
    DuringCopy(frmPlaylistExporter& window, ActionPost& post, int copy,
               std::function<void()> action)
        : bar_(GetDlgItem(window.handle(), idOf(ControlId::pgbCopy))), post_(post), copy_(copy),
          action_(std::move(action)), passes_(window, post)
    {
        SetWindowSubclass(bar_, &DuringCopy::barProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~DuringCopy() { RemoveWindowSubclass(bar_, &DuringCopy::barProc, 1); }
    DuringCopy(const DuringCopy&) = delete;
    DuringCopy& operator=(const DuringCopy&) = delete;

private:
    static LRESULT CALLBACK barProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR data)
    {
        auto* self = reinterpret_cast<DuringCopy*>(data);
        if (message == PBM_SETPOS && wParam == 100 && ++self->seen_ == self->copy_) {
            self->post_.post(self->action_);
        }
        return DefSubclassProc(bar, message, wParam, lParam);
    }

    HWND bar_;
    ActionPost& post_;
    int copy_;
    int seen_ = 0;
    std::function<void()> action_;
    EveryPassSyncs passes_;
};

class WindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        try {
            window = std::make_unique<frmPlaylistExporter>(GetModuleHandleW(nullptr));
        } catch (const std::exception& error) {
            GTEST_SKIP() << "no window without a display: " << error.what();
        }
        window->setDialogs(fake.dialogs());
        window->show(SW_SHOW);
        SetForegroundWindow(window->handle());
        pump();
    }

    // Hands every waiting message on, as the program's loop does.
    void pump() const
    {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            window->dispatch(message);
        }
    }

    [[nodiscard]] HWND item(ControlId id) const { return GetDlgItem(window->handle(), idOf(id)); }
    [[nodiscard]] std::string text(ControlId id) const { return textOf(item(id)); }
    [[nodiscard]] std::string hint(ControlId id) const
    {
        std::wstring text(128, L'\0');
        SendMessageW(item(id), EM_GETCUEBANNER, reinterpret_cast<WPARAM>(text.data()), 128);
        return utf8FromWide(text.c_str());
    }
    static std::string textOf(HWND control)
    {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
        return utf8FromWide(text);
    }
    void setText(ControlId id, const std::string& utf8) const
    {
        SetWindowTextW(item(id), wideFromUtf8(utf8).c_str());
    }
    // A click as the button makes it; the command runs to its end before this returns.
    void click(ControlId id) const { SendMessageW(item(id), BM_CLICK, 0, 0); }
    [[nodiscard]] std::string panel(int number) const
    {
        std::wstring text(256, L'\0');
        const auto length = LOWORD(SendMessageW(item(ControlId::stbStatus), SB_GETTEXTW,
                                                static_cast<WPARAM>(number - 1),
                                                reinterpret_cast<LPARAM>(text.data())));
        text.resize(length);
        return utf8FromWide(text);
    }
    [[nodiscard]] int progress() const
    {
        return static_cast<int>(SendMessageW(item(ControlId::pgbCopy), PBM_GETPOS, 0, 0));
    }
    [[nodiscard]] std::pair<DWORD, DWORD> caret() const
    {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(item(ControlId::txtPlaylist), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    [[nodiscard]] DWORD logLength() const
    {
        return static_cast<DWORD>(GetWindowTextLengthW(item(ControlId::txtPlaylist)));
    }
    // The width of text in the font control draws with.
    static LONG textWidth(HWND control, const std::wstring& text)
    {
        HDC context = GetDC(control);
        const HGDIOBJ old =
            SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(context, old);
        ReleaseDC(control, context);
        return size.cx;
    }
    // The check boxes' captions fit beside their boxes where the layout puts them at each dpi.
    void expectCaptionFits() const
    {
        Layout layout(window->handle(), StatusBar(item(ControlId::stbStatus)),
                      ComboBox(item(ControlId::cmbLang)));
        for (const unsigned dpi : {96U, 144U}) {
            layout.place(dpi);
            for (const ControlId id :
                 {ControlId::chkPlaylist, ControlId::chkNumbered, ControlId::chkRemoveDropped}) {
                HWND box = item(id);
                RECT rect{};
                GetClientRect(box, &rect);
                const int glyph =
                    GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + static_cast<int>(dpi / 24);
                EXPECT_LE(textWidth(box, wideFromUtf8(textOf(box))) + glyph, rect.right)
                    << textOf(box) << " at " << dpi;
            }
        }
    }
    // Presses and releases a key through the system's input, as a user does.
    void key(WORD virtualKey, bool shift = false) const
    {
        std::vector<INPUT> inputs;
        const auto add = [&inputs](WORD code, DWORD flags) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = code;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        };
        if (shift) {
            add(VK_SHIFT, 0);
        }
        add(virtualKey, 0);
        add(virtualKey, KEYEVENTF_KEYUP);
        if (shift) {
            add(VK_SHIFT, KEYEVENTF_KEYUP);
        }
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        pump();
    }

    // Three songs of different sizes in music/, an empty export/ and a playlist
    // naming them, with the path boxes pointing at it.
    struct Scene {
        TempDir dir{testRoot()};
        fs::path music = dir.path() / "music";
        fs::path target = dir.path() / "export";
        std::vector<std::string> songs;

        explicit Scene(const std::vector<std::string>& names)
        {
            fs::create_directories(music);
            fs::create_directories(target);
            std::string playlist;
            for (const std::string& name : names) {
                writeFile(music / name, std::string(1000 + songs.size(), 'm'));
                songs.push_back(dir.file("music/" + name));
                playlist += songs.back() + "\r\n";
            }
            writeFile(dir.path() / "list.m3u", playlist);
        }
        [[nodiscard]] std::string list() const { return dir.file("list.m3u"); }
        [[nodiscard]] std::string exported(const std::string& name) const
        {
            return dir.file("export/" + name);
        }
    };
    void pointAt(const Scene& scene) const
    {
        setText(ControlId::txtPathfrom, scene.list());
        setText(ControlId::txtPathto, scene.dir.file("export"));
    }

    FakeDialogs fake;
    ActionPost actions;
    std::unique_ptr<frmPlaylistExporter> window;
};

struct ShownText {
    const char* name;
    ControlId control;
    const char* text;
};

class StartUp : public WindowTest, public testing::WithParamInterface<ShownText> {};

TEST_P(StartUp, ShowsEnglishAndEmptyFields)
{
    EXPECT_EQ(text(GetParam().control), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    WindowWin32, StartUp,
    testing::Values(ShownText{"cmdSearch", ControlId::cmdSearch, "Search"},
                    ShownText{"cmdSearch2", ControlId::cmdSearch2, "Search"},
                    ShownText{"cmdSave", ControlId::cmdSave, "Save"},
                    ShownText{"cmdCancel", ControlId::cmdCancel, "Cancel"},
                    ShownText{"chkPlaylist", ControlId::chkPlaylist, "With playlist"},
                    ShownText{"chkNumbered", ControlId::chkNumbered, "Numbered"},
                    ShownText{"chkRemoveDropped", ControlId::chkRemoveDropped, "Remove dropped"},
                    ShownText{"cmbLang", ControlId::cmbLang, "English"},
                    ShownText{"txtPathfrom", ControlId::txtPathfrom, ""},
                    ShownText{"txtPathto", ControlId::txtPathto, ""},
                    ShownText{"txtPlaylist", ControlId::txtPlaylist, ""}),
    test::CaseName());

TEST_F(WindowTest, StartsWithCaptionPanelsListAndFocusAsDesigned)
{
    EXPECT_EQ(textOf(window->handle()), "Tunecrate 0.9.0 by Quillmar");
    EXPECT_EQ(panel(1), "File: ");
    EXPECT_EQ(panel(2), "Filename: ");
    EXPECT_EQ(panel(3), "Progress: ");
    EXPECT_EQ(progress(), 0);
    EXPECT_EQ(GetFocus(), item(ControlId::cmdSearch));
    for (const ControlId box :
         {ControlId::chkPlaylist, ControlId::chkNumbered, ControlId::chkRemoveDropped}) {
        EXPECT_EQ(SendMessageW(item(box), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    }

    HWND list = item(ControlId::cmbLang);
    ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 2);
    std::wstring entry(16, L'\0');
    for (const auto& [index, expected] : {std::pair{0, L"English"}, std::pair{1, L"Deutsch"}}) {
        entry.resize(
            static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                                  reinterpret_cast<LPARAM>(entry.data()))));
        EXPECT_EQ(entry, expected);
        entry.assign(16, L'\0');
    }
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & 3, CBS_DROPDOWNLIST) << "takes no typing";
}

struct ControlClass {
    const char* name;
    ControlId control;
    const wchar_t* className;
};

class Geometry : public WindowTest, public testing::WithParamInterface<ControlClass> {};

// At 96 dots per inch 15 twips make a pixel.
TEST_P(Geometry, ControlSitsWhereDesignedAndKeepsItsStandardClass)
{
    if (GetDpiForWindow(window->handle()) != USER_DEFAULT_SCREEN_DPI) {
        GTEST_SKIP() << "the screen is not at 96 dots per inch";
    }
    const ControlClass& design = GetParam();
    HWND control = item(design.control);
    ASSERT_NE(control, nullptr);

    std::wstring className(64, L'\0');
    className.resize(static_cast<std::size_t>(
        GetClassNameW(control, className.data(), static_cast<int>(className.size()))));
    EXPECT_EQ(className, design.className);

    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window->handle(), reinterpret_cast<POINT*>(&rect), 2);
    const test::DesignedPlace& place = test::designedPlace(design.name);
    EXPECT_EQ(rect.left, test::designedPixels(place.left));
    EXPECT_EQ(rect.top, test::designedPixels(place.top));
    EXPECT_EQ(rect.right - rect.left, test::designedPixels(place.width));
    EXPECT_EQ(rect.bottom - rect.top, test::designedPixels(place.height));
}

INSTANTIATE_TEST_SUITE_P(
    WindowWin32, Geometry,
    testing::Values(ControlClass{"cmdSearch", ControlId::cmdSearch, L"Button"},
                    ControlClass{"txtPlaylist", ControlId::txtPlaylist, L"Edit"},
                    ControlClass{"txtPathfrom", ControlId::txtPathfrom, L"Edit"},
                    ControlClass{"chkPlaylist", ControlId::chkPlaylist, L"Button"},
                    ControlClass{"chkNumbered", ControlId::chkNumbered, L"Button"},
                    ControlClass{"chkRemoveDropped", ControlId::chkRemoveDropped, L"Button"},
                    ControlClass{"cmdSave", ControlId::cmdSave, L"Button"},
                    ControlClass{"txtPathto", ControlId::txtPathto, L"Edit"},
                    ControlClass{"cmdSearch2", ControlId::cmdSearch2, L"Button"},
                    ControlClass{"cmbLang", ControlId::cmbLang, L"ComboBox"},
                    ControlClass{"cmdCancel", ControlId::cmdCancel, L"Button"},
                    ControlClass{"pgbCopy", ControlId::pgbCopy, L"msctls_progress32"},
                    ControlClass{"stbStatus", ControlId::stbStatus, L"msctls_statusbar32"}),
    test::CaseName());

TEST_F(WindowTest, WindowIsAFixedCentredToolWindowWithATaskBarButton)
{
    HWND frame = window->handle();
    std::wstring className(64, L'\0');
    className.resize(static_cast<std::size_t>(
        GetClassNameW(frame, className.data(), static_cast<int>(className.size()))));
    EXPECT_EQ(className, L"frmPlaylistExporter");

    const auto style = static_cast<DWORD>(GetWindowLongPtrW(frame, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(frame, GWL_EXSTYLE));
    EXPECT_TRUE(style & WS_SYSMENU) << "close box";
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_NE(GetClassLongPtrW(frame, GCLP_HICON), 0) << "the program's icon";

    const UINT dpi = GetDpiForWindow(frame);
    RECT client{};
    GetClientRect(frame, &client);
    EXPECT_EQ(client.right, MulDiv(test::designedClientWidth, static_cast<int>(dpi), 1440));
    EXPECT_EQ(client.bottom, MulDiv(test::designedClientHeight, static_cast<int>(dpi), 1440));

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(frame, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT outer{};
    GetWindowRect(frame, &outer);
    EXPECT_LE(std::abs((outer.left + outer.right) - (monitor.rcWork.left + monitor.rcWork.right)),
              2);
    EXPECT_LE(std::abs((outer.top + outer.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)),
              2);
}

TEST_F(WindowTest, StatusPanelsShareTheBarAsDesigned)
{
    HWND bar = item(ControlId::stbStatus);
    const auto widths = [bar] {
        std::array<RECT, 3> parts{};
        for (std::size_t i = 0; i < parts.size(); ++i) {
            SendMessageW(bar, SB_GETRECT, i, reinterpret_cast<LPARAM>(&parts[i]));
        }
        RECT client{};
        GetClientRect(bar, &client);
        // The last part reaches to the bar's right edge.
        return std::array<LONG, 3>{parts[0].right - parts[0].left, parts[1].right - parts[1].left,
                                   client.right - parts[2].left};
    };
    const UINT dpi = GetDpiForWindow(window->handle());
    const LONG minimum = MulDiv(test::designedPanelMinimum, static_cast<int>(dpi), 1440);
    const std::array<LONG, 3> start = widths();
    EXPECT_NEAR(start[1], minimum, 2) << "panel 2 starts at its minimum";
    EXPECT_GE(start[2], MulDiv(test::designedProgressPanel, static_cast<int>(dpi), 1440));
    EXPECT_GT(start[2], textWidth(bar, L"Progress: 100%"))
        << "panel 3 holds the longest percentage";

    // Panel 2 widens for a long name, and panel 1 gives up the room.
    window->session().setPanelText(2, "Filename: " + std::string(40, 'x') + ".mp3");
    window->session().setPanelText(3, "Progress: 100%");
    const std::array<LONG, 3> wide = widths();
    EXPECT_GT(wide[1], start[1]);
    EXPECT_NEAR(wide[0], start[0] - (wide[1] - start[1]), 2);
    EXPECT_EQ(wide[2], start[2]);

    // A long path does not push the others; a short name shrinks panel 2 back.
    window->session().setPanelText(1, "File: " + std::string(500, 'y'));
    window->session().setPanelText(2, "Filename: a");
    window->session().setPanelText(3, "Progress: 7%");
    EXPECT_EQ(widths(), start);
}

// A new value is shown with the frame that paints the rest of the window: the
// bar does not paint itself at once, and the frame paints it before it ends.
TEST_F(WindowTest, ProgressValueIsPaintedByTheNextFrame)
{
    HWND bar = item(ControlId::pgbCopy);
    // Near the bar's right end, inside its border: filled at 100% only.
    const auto rightEnd = [bar] {
        RECT rect{};
        GetClientRect(bar, &rect);
        HDC context = GetDC(bar);
        const COLORREF colour = GetPixel(context, rect.right - 4, rect.bottom / 2);
        ReleaseDC(bar, context);
        return colour;
    };
    const COLORREF empty = rightEnd();
    ASSERT_NE(empty, CLR_INVALID);

    window->session().setProgressValue(100);
    EXPECT_EQ(progress(), 100);
    EXPECT_EQ(rightEnd(), empty) << "painted at once";

    window->session().paintFrame();
    EXPECT_NE(rightEnd(), empty) << "not painted by the frame";
}

TEST_F(WindowTest, TabAndShiftTabWalkTheDesignedOrder)
{
    const std::vector<ControlId> order{
        ControlId::txtPlaylist, ControlId::txtPathfrom,      ControlId::chkPlaylist,
        ControlId::chkNumbered, ControlId::chkRemoveDropped, ControlId::cmdSave,
        ControlId::txtPathto,   ControlId::cmdSearch2,       ControlId::cmbLang,
        ControlId::cmdCancel,   ControlId::cmdSearch,
    };
    ASSERT_EQ(GetFocus(), item(ControlId::cmdSearch));
    for (const ControlId next : order) {
        key(VK_TAB);
        EXPECT_EQ(GetFocus(), item(next)) << "after Tab, expected control " << idOf(next);
    }
    for (auto back = order.rbegin() + 1; back != order.rend(); ++back) {
        key(VK_TAB, true);
        EXPECT_EQ(GetFocus(), item(*back)) << "after Shift+Tab, expected control " << idOf(*back);
    }
}

class WorkedExample : public WindowTest, public testing::WithParamInterface<bool> {};

TEST_P(WorkedExample, SaveRunsIt)
{
    if (GetParam()) {
        click(ControlId::chkPlaylist);
    }
    TempDir dir(testRoot());
    fs::create_directories(dir.path() / "Music");
    fs::create_directories(dir.path() / "Export");
    writeFile(dir.path() / "Music" / "First Song.mp3", "first song");
    const std::string first = dir.file("Music/First Song.mp3");
    const std::string second = dir.file("Gone/Second Song.mp3");
    writeFile(dir.path() / "list.m3u", "#EXTM3U\r\n#EXTINF:215,Artist A - First Song\r\n" + first +
                                           "\r\n#EXTINF:187,Artist B - Second Song\r\n" + second +
                                           "\r\n");
    setText(ControlId::txtPathfrom, dir.file("list.m3u"));
    setText(ControlId::txtPathto, dir.file("Export"));

    click(ControlId::cmdSave);

    Lines expected{
        "",
        first,
        "copied to:",
        dir.file("Export/First Song.mp3"),
        "ok",
        "---",
        second,
        "copied to:",
        dir.file("Export/Second Song.mp3"),
        "error",
        "---",
        "Done: 1 of 2 files could not be copied.",
    };
    if (GetParam()) {
        expected.insert(expected.end() - 1, {dir.file("list.m3u"), "copied to:",
                                             dir.file("Export/list.m3u8"), "ok", "---"});
        expected.back() = "Done: 1 of 3 files could not be copied.";
    }
    EXPECT_EQ(fs::exists(dir.path() / "Export" / "list.m3u8"), GetParam());
    EXPECT_EQ(splitLogLines(window->logText()), expected);
    EXPECT_EQ(splitLogLines(text(ControlId::txtPlaylist)), expected) << "the box shows the log";
    EXPECT_EQ(readFile(dir.path() / "Export" / "First Song.mp3"), "first song");
    EXPECT_EQ(panel(1), "File: " + second);
    EXPECT_EQ(panel(2), "Filename: Second Song.mp3");
    EXPECT_EQ(progress(), 0);
    EXPECT_EQ(caret(), std::pair(logLength(), logLength())) << "the newest line is in view";
}

INSTANTIATE_TEST_SUITE_P(WindowWin32, WorkedExample, testing::Bool());

TEST_F(WindowTest, GermanBySelectionInTheList)
{
    SetFocus(item(ControlId::cmbLang));
    key(VK_DOWN);

    EXPECT_EQ(text(ControlId::cmbLang), "Deutsch");
    EXPECT_EQ(text(ControlId::cmdSearch), "Durchsuchen");
    EXPECT_EQ(text(ControlId::cmdSave), "Speichern");
    EXPECT_EQ(text(ControlId::cmdCancel), "Abbrechen");
    EXPECT_EQ(text(ControlId::chkPlaylist), "Mit Playlist");
    EXPECT_EQ(text(ControlId::chkNumbered), "Nummeriert");
    EXPECT_EQ(text(ControlId::chkRemoveDropped), "Entfernte löschen");
    EXPECT_EQ(panel(1), "Datei: ");
    EXPECT_EQ(panel(2), "Dateiname: ");
    EXPECT_EQ(panel(3), "Fortschritt: ");
    expectCaptionFits();
    EXPECT_EQ(hint(ControlId::txtPathfrom), "Playlist-Datei (M3U, M3U8, PLS, TXT)");
    EXPECT_EQ(hint(ControlId::txtPathto), "Zielordner");

    key(VK_UP);
    EXPECT_EQ(text(ControlId::cmdSave), "Save");
    EXPECT_EQ(text(ControlId::chkPlaylist), "With playlist");
    EXPECT_EQ(panel(3), "Progress: ");
    expectCaptionFits();
}

// Hands the items to the window's drop target as Explorer drags them out of
// their folder; gives the effects the window chose on entering and on the drop.
std::pair<DWORD, DWORD> dropOn(frmPlaylistExporter& window, const std::vector<fs::path>& items)
{
    std::vector<PIDLIST_ABSOLUTE> ids(items.size());
    std::vector<PCUITEMID_CHILD> children(items.size());
    Microsoft::WRL::ComPtr<IShellFolder> folder;
    for (std::size_t i = 0; i < items.size(); ++i) {
        SHParseDisplayName(items[i].c_str(), nullptr, &ids[i], 0, nullptr);
        SHBindToParent(ids[i], IID_IShellFolder,
                       reinterpret_cast<void**>(folder.ReleaseAndGetAddressOf()), &children[i]);
    }
    Microsoft::WRL::ComPtr<IDataObject> data;
    folder->GetUIObjectOf(nullptr, static_cast<UINT>(items.size()), children.data(),
                          IID_IDataObject, nullptr, reinterpret_cast<void**>(data.GetAddressOf()));
    std::ranges::for_each(ids, CoTaskMemFree);
    DWORD entered = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    DWORD dropped = entered;
    window.dropTarget().DragEnter(data.Get(), MK_LBUTTON, {}, &entered);
    window.dropTarget().Drop(data.Get(), 0, {}, &dropped);
    return {entered, dropped};
}

TEST_F(WindowTest, DropFillsTheBoxesOrIsRefused)
{
    const TempDir scene{testRoot()};
    writeFile(scene.path() / "a.pls", "[playlist]\r\n");
    writeFile(scene.path() / "song.mp3", "ID3");
    fs::create_directory(scene.path() / "Music");
    EXPECT_EQ(dropOn(*window, {scene.path() / "song.mp3"}), std::pair(DWORD{0}, DWORD{0}));
    EXPECT_EQ(text(ControlId::txtPathfrom) + text(ControlId::txtPathto), "");
    EXPECT_EQ(dropOn(*window, {scene.path() / "Music", scene.path() / "a.pls"}),
              std::pair(DWORD{DROPEFFECT_COPY}, DWORD{DROPEFFECT_COPY}));
    EXPECT_EQ(text(ControlId::txtPathfrom), scene.file("a.pls"));
    EXPECT_EQ(text(ControlId::txtPathto), scene.file("Music"));
}

struct ReleasedKey {
    const char* name;
    WPARAM key;
    UINT message;
};

class KeyOnTheList : public WindowTest, public testing::WithParamInterface<ReleasedKey> {};

// The list's selection changes without a notification; a key released on it
// applies what it shows, whatever the key.
TEST_P(KeyOnTheList, AppliesTheLanguageItShows)
{
    HWND list = item(ControlId::cmbLang);
    SendMessageW(list, CB_SETCURSEL, 1, 0);
    ASSERT_EQ(text(ControlId::cmdSave), "Save");

    PostMessageW(list, GetParam().message, GetParam().key, 0xC0000001);
    pump();

    EXPECT_EQ(text(ControlId::cmdSave), "Speichern");
    EXPECT_EQ(panel(2), "Dateiname: ");
}

INSTANTIATE_TEST_SUITE_P(WindowWin32, KeyOnTheList,
                         testing::Values(ReleasedKey{"letter", 'X', WM_KEYUP},
                                         ReleasedKey{"shift", VK_SHIFT, WM_KEYUP},
                                         ReleasedKey{"function", VK_F5, WM_KEYUP},
                                         ReleasedKey{"alt", VK_MENU, WM_SYSKEYUP}),
                         test::CaseName());

struct CancelCase {
    const char* name;
    int cancelDuringCopy;
    Lines tail;
    std::vector<bool> copied;
};

class CancelDuringARun : public WindowTest, public testing::WithParamInterface<CancelCase> {};

TEST_P(CancelDuringARun, EndsTheWalkAtTheNextLine)
{
    const Scene scene({"a.mp3", "b.mp3", "c.mp3"});
    pointAt(scene);
    const DuringCopy cancel(*window, actions, GetParam().cancelDuringCopy,
                            [this] { click(ControlId::cmdCancel); });

    click(ControlId::cmdSave);

    const Lines lines = splitLogLines(window->logText());
    ASSERT_GE(lines.size(), GetParam().tail.size());
    EXPECT_EQ(Lines(lines.end() - static_cast<std::ptrdiff_t>(GetParam().tail.size()), lines.end()),
              GetParam().tail);
    const char* names[] = {"a.mp3", "b.mp3", "c.mp3"};
    for (std::size_t i = 0; i < GetParam().copied.size(); ++i) {
        EXPECT_EQ(fs::exists(fs::path(wideFromUtf8(scene.exported(names[i])))),
                  GetParam().copied[i])
            << names[i];
    }
    EXPECT_EQ(test::countTemporaries(scene.target), 0);
}

INSTANTIATE_TEST_SUITE_P(WindowWin32, CancelDuringARun,
                         testing::Values(CancelCase{.name = "midList",
                                                    .cancelDuringCopy = 1,
                                                    .tail = {"ok", "---", "canceled!"},
                                                    .copied = {true, false, false}},
                                         CancelCase{.name = "onTheLastEntry",
                                                    .cancelDuringCopy = 3,
                                                    .tail = {"ok", "---", "All files copied!",
                                                             "canceled!"},
                                                    .copied = {true, true, true}}),
                         test::CaseName());

// A drive with too little room: the question comes through the window's
// dialog, and "Cancel" leaves the sentence and the canceled line.
TEST_F(WindowTest, TooLittleRoomIsAskedAboutAndCancelCopiesNothing)
{
    const Scene scene({"a.mp3", "huge.mp3"});
    test::makeLargerThanTheDrive(scene.music / "huge.mp3");
    pointAt(scene);
    fake.copyWhatFits = false;

    click(ControlId::cmdSave);

    ASSERT_EQ(fake.roomQuestions.size(), 1U);
    EXPECT_EQ(splitLogLines(window->logText()), (Lines{"", fake.roomQuestions[0], "canceled!"}));
    EXPECT_FALSE(fs::exists(scene.target / "a.mp3"));
}

// The boxes are read at Save: numbered copies, then a song left the playlist
// and "Remove" in the window's dialog takes its copy.
TEST_F(WindowTest, NumberedAndRemoveDroppedAreReadAtSave)
{
    const Scene scene({"a.mp3", "b.mp3"});
    pointAt(scene);
    click(ControlId::chkNumbered);
    click(ControlId::chkRemoveDropped);
    click(ControlId::cmdSave);
    writeFile(fs::path(wideFromUtf8(scene.list())), scene.songs[1] + "\r\n");
    fake.remove = true;
    click(ControlId::cmdSave);

    EXPECT_EQ(fake.removals,
              (std::vector<Lines>{
                  {"Remove 1 songs that are no longer in the playlist?", "001 - a.mp3"}}));
    EXPECT_FALSE(fs::exists(scene.target / "001 - a.mp3"));
    EXPECT_TRUE(fs::exists(scene.target / "001 - b.mp3"));
}

TEST_F(WindowTest, SaveDuringARunRunsTheWholeListNestedAndTheFirstRunGoesOn)
{
    const Scene scene({"a.mp3", "b.mp3"});
    pointAt(scene);
    const DuringCopy again(*window, actions, 1, [this] { click(ControlId::cmdSave); });

    click(ControlId::cmdSave);

    const Lines lines = splitLogLines(window->logText());
    // The nested run cleared the log and wrote both entries; the first run then
    // finished its entry and wrote the second one after them.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "All files copied!"), 2);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), scene.songs[1]), 2);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), scene.songs[0]), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ok"), 4);
    EXPECT_EQ(lines.back(), "All files copied!");
    EXPECT_EQ(progress(), 0);
    EXPECT_TRUE(IsWindow(window->handle()));
}

TEST_F(WindowTest, CloseDuringARunIsACancelAndClosesOnceTheRunStopped)
{
    const Scene scene({"a.mp3", "b.mp3"});
    pointAt(scene);
    HWND frame = window->handle();
    bool openAfterClose = false;
    const DuringCopy close(*window, actions, 1, [&] {
        SendMessageW(frame, WM_CLOSE, 0, 0);
        openAfterClose = IsWindow(frame) && IsWindowVisible(frame);
    });

    click(ControlId::cmdSave);

    EXPECT_TRUE(openAfterClose);
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(window->handle(), nullptr);
    EXPECT_EQ(splitLogLines(window->logText()).back(), "canceled!");
    EXPECT_TRUE(fs::exists(fs::path(wideFromUtf8(scene.exported("a.mp3")))));
    EXPECT_FALSE(fs::exists(fs::path(wideFromUtf8(scene.exported("b.mp3")))));
}

TEST_F(WindowTest, CloseWhenIdleClosesAtOnce)
{
    HWND frame = window->handle();
    SendMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(frame));
}

// What a user meets while a run waits is all the run wrote, though the run
// writes far more often than the window paints.
TEST_F(WindowTest, DuringACopyTheBoxAndPanelsShowAllTheRunWrote)
{
    const Scene scene({"a.mp3", "b.mp3"});
    pointAt(scene);
    std::string box;
    std::string log;
    std::string fileName;
    const DuringCopy look(*window, actions, 2, [&] {
        box = text(ControlId::txtPlaylist);
        log = window->logText();
        fileName = panel(2);
    });

    click(ControlId::cmdSave);

    EXPECT_EQ(box, log);
    EXPECT_EQ(splitLogLines(log).size(), 9u) << log;
    EXPECT_EQ(fileName, "Filename: b.mp3");
}

struct CaretCase {
    const char* name;
    std::function<void(frmPlaylistExporter& window, HWND box)> change;
};

class CaretRule : public WindowTest, public testing::WithParamInterface<CaretCase> {};

TEST_P(CaretRule, EveryChangeOfTheLogPutsTheCaretAtTheEnd)
{
    // More lines than the box shows, so that the last one has to be scrolled to.
    std::string log = "first";
    for (int i = 0; i < 30; ++i) {
        log += "\r\nline";
    }
    window->session().setLog(log);
    HWND box = item(ControlId::txtPlaylist);
    SendMessageW(box, EM_SETSEL, 2, 2);

    GetParam().change(*window, box);

    EXPECT_EQ(caret(), std::pair(logLength(), logLength()));
    EXPECT_TRUE(IsWindowVisible(box));
    RECT shown{};
    SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&shown));
    const LRESULT last = SendMessageW(box, EM_POSFROMCHAR, logLength() - 1, 0);
    EXPECT_TRUE(logLength() == 0 || PtInRect(&shown, {LOWORD(last), HIWORD(last)}))
        << "the last line is in view";
}

INSTANTIATE_TEST_SUITE_P(WindowWin32, CaretRule,
                         testing::Values(CaretCase{"appended",
                                                   [](frmPlaylistExporter& window, HWND) {
                                                       window.session().appendLog("\r\nfourth");
                                                   }},
                                         CaretCase{"replaced",
                                                   [](frmPlaylistExporter& window, HWND) {
                                                       window.session().setLog("new\r\nlog");
                                                   }},
                                         CaretCase{"cleared",
                                                   [](frmPlaylistExporter& window, HWND) {
                                                       window.session().setLog({});
                                                   }},
                                         CaretCase{"typedInTheMiddle",
                                                   [](frmPlaylistExporter&, HWND box) {
                                                       SendMessageW(box, EM_REPLACESEL, TRUE,
                                                                    reinterpret_cast<LPARAM>(L"x"));
                                                   }}),
                         test::CaseName());

TEST_F(WindowTest, LogTakesAnyLengthAndKeepsTheTextAsWritten)
{
    const std::string start = "\r\nfirst\r\ncopied to:";
    window->session().setLog(start);
    window->session().appendLog("\r\nline with \xC3\xA4 and\ttab");
    std::string expected = start + "\r\nline with \xC3\xA4 and\ttab";
    // Past the 30,000 characters a multi-line box takes by default, in a few
    // pieces: every visible update of the box costs a repaint.
    std::string block;
    for (int i = 0; i < 100; ++i) {
        block += "\r\n" + std::string(98, 'x');
    }
    for (int i = 0; i < 4; ++i) {
        window->session().appendLog(block);
        expected += block;
    }
    EXPECT_EQ(window->logText(), expected);
    EXPECT_EQ(text(ControlId::txtPlaylist), expected);

    window->session().setLog({});
    EXPECT_EQ(window->logText(), "");
    EXPECT_EQ(caret(), std::pair(DWORD{0}, DWORD{0}));
}

TEST_F(WindowTest, TypingInTheLogBecomesPartOfTheLog)
{
    window->session().setLog("run log");
    HWND box = item(ControlId::txtPlaylist);
    SendMessageW(box, EM_SETSEL, 3, 3);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"!"));
    window->session().appendLog("\r\nmore");
    EXPECT_EQ(window->logText(), "run! log\r\nmore");
}

TEST_F(WindowTest, TargetFolderIsWhatTheBoxShowsAsItIsTyped)
{
    HWND box = item(ControlId::txtPathto);
    setText(ControlId::txtPathto, "E:\\Musi");
    SendMessageW(box, EM_SETSEL, 7, 7);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"k"));
    EXPECT_EQ(window->session().pathTo(), "E:\\Musik");

    SendMessageW(box, EM_SETSEL, 0, -1);
    SendMessageW(box, WM_CLEAR, 0, 0);
    EXPECT_EQ(window->session().pathTo(), "");
}

struct DialogCase {
    const char* name;
    ControlId button;
    ControlId box;
    std::string before;
    std::string answer;
    std::string after;
};

class DialogAnswer : public WindowTest, public testing::WithParamInterface<DialogCase> {};

TEST_P(DialogAnswer, FillsItsBoxOrLeavesItWhenCancelled)
{
    const DialogCase& row = GetParam();
    setText(row.box, row.before);
    fake.playlistAnswers = {row.answer};
    fake.folderAnswers = {row.answer};

    click(row.button);

    EXPECT_EQ(text(row.box), row.after);
}

INSTANTIATE_TEST_SUITE_P(WindowWin32, DialogAnswer,
                         testing::Values(DialogCase{.name = "playlistChosen",
                                                    .button = ControlId::cmdSearch,
                                                    .box = ControlId::txtPathfrom,
                                                    .before = "C:\\old.m3u",
                                                    .answer = "C:\\Listen\\Sommer \xC3\xA4.m3u",
                                                    .after = "C:\\Listen\\Sommer \xC3\xA4.m3u"},
                                         DialogCase{.name = "playlistCancelled",
                                                    .button = ControlId::cmdSearch,
                                                    .box = ControlId::txtPathfrom,
                                                    .before = "C:\\old.m3u",
                                                    .answer = "",
                                                    .after = "C:\\old.m3u"},
                                         DialogCase{.name = "folderChosen",
                                                    .button = ControlId::cmdSearch2,
                                                    .box = ControlId::txtPathto,
                                                    .before = "E:\\Old",
                                                    .answer = "E:\\",
                                                    .after = "E:\\"},
                                         DialogCase{.name = "folderCancelled",
                                                    .button = ControlId::cmdSearch2,
                                                    .box = ControlId::txtPathto,
                                                    .before = "E:\\Old",
                                                    .answer = "",
                                                    .after = "E:\\Old"}),
                         test::CaseName());

TEST_F(WindowTest, FolderDialogAsksInGermanWithoutAStartFolderInEitherLanguage)
{
    click(ControlId::cmdSearch2);
    SendMessageW(item(ControlId::cmbLang), CB_SETCURSEL, 1, 0);
    PostMessageW(item(ControlId::cmbLang), WM_KEYUP, 'A', 0xC0000001);
    pump();
    click(ControlId::cmdSearch2);

    using Request = std::pair<std::string, std::string>;
    EXPECT_EQ(fake.folderRequests, (std::vector<Request>{{"Bitte Ordner ausw\xC3\xA4hlen", ""},
                                                         {"Bitte Ordner ausw\xC3\xA4hlen", ""}}));
}

TEST_F(WindowTest, ErrorInACommandIsShownAndTheWindowGoesOn)
{
    fake.playlistAnswer = []() -> std::string {
        throw std::runtime_error("the dialog could not open");
    };
    setText(ControlId::txtPathfrom, "C:\\music\\list.m3u");

    click(ControlId::cmdSearch);

    ASSERT_EQ(fake.errors.size(), 1u);
    EXPECT_NE(fake.errors.front().find("the dialog could not open"), std::string::npos)
        << fake.errors.front();
    EXPECT_EQ(text(ControlId::txtPathfrom), "C:\\music\\list.m3u");
    // Save with no target ends at once and clears the log: the window still answers.
    window->session().setLog("old");
    click(ControlId::cmdSave);
    EXPECT_EQ(window->logText(), "");
}

struct FileDialogAnswer {
    const char* name;
    bool confirm;
};

class RealFileDialog : public WindowTest, public testing::WithParamInterface<FileDialogAnswer> {};

// The system's file-open dialog, answered as a user who types a file's path
// and presses Open, or who cancels.
TEST_P(RealFileDialog, FillsThePlaylistBoxOrLeavesIt)
{
    window->setDialogs(systemDialogs(window->handle()));
    const TempDir dir(testRoot());
    const std::string list = dir.file("Sommer \xC3\xA4.m3u8");
    writeFile(fs::path(wideFromUtf8(list)), "C:\\song.mp3\r\n");
    setText(ControlId::txtPathfrom, "C:\\before.m3u");
    const bool confirm = GetParam().confirm;
    const test::ModalDialogAnswer answer([&](HWND dialog) {
        constexpr int fileNameBox = 0x47c;
        SetDlgItemTextW(dialog, fileNameBox, wideFromUtf8(list).c_str());
        PostMessageW(dialog, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
    });

    click(ControlId::cmdSearch);

    EXPECT_TRUE(test::ModalDialogAnswer::answered());
    EXPECT_EQ(text(ControlId::txtPathfrom), confirm ? list : "C:\\before.m3u");
}

INSTANTIATE_TEST_SUITE_P(WindowWin32, RealFileDialog,
                         testing::Values(FileDialogAnswer{"opened", true},
                                         FileDialogAnswer{"cancelled", false}),
                         test::CaseName());

// The removal dialog lists the names and keeps them on Enter, as its default
// button; only its "Remove" removes.
TEST_F(WindowTest, RemovalDialogKeepsOnEnterAndRemovesOnRemove)
{
    const std::vector<std::string> names{"001 - a.mp3", "002 - b.mp3"};
    for (const bool enter : {true, false}) {
        std::vector<std::wstring> listed;
        const test::ModalDialogAnswer answer([&](HWND dialog) {
            HWND list = FindWindowExW(dialog, nullptr, L"ListBox", nullptr);
            for (int i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
                std::wstring name(256, L'\0');
                name.resize(
                    static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                                          reinterpret_cast<LPARAM>(name.data()))));
                listed.push_back(name);
            }
            const HWND remove = FindWindowExW(dialog, nullptr, L"Button", L"Remove");
            if (enter) {
                PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
            } else {
                PostMessageW(remove, BM_CLICK, 0, 0);
            }
        });
        EXPECT_EQ(systemDialogs(window->handle()).askRemoval("Remove 2 songs?", names), !enter);
        EXPECT_EQ(listed, (std::vector<std::wstring>{L"001 - a.mp3", L"002 - b.mp3"}));
    }
}

TEST(FileDialogFilter, TurnsEveryBarIntoANulAndEndsWithTwo)
{
    const std::wstring filter = fileDialogFilter(playlistFilter);
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start < filter.size() && filter[start] != L'\0') {
        const std::size_t end = filter.find(L'\0', start);
        parts.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(start, filter.size() - 1) << "one more NUL ends the list";
    EXPECT_EQ(filter.back(), L'\0');
    EXPECT_EQ(parts, (std::vector<std::wstring>{
                         L"Playlists (*.m3u,*.pls,*.txt)", L"*.m3u;*.m3u8;*.pls;*.txt",
                         L"M3U Playlists (*.m3u)", L"*.m3u;*.m3u8", L"PLS Playlists (*.pls)",
                         L"*.pls", L"TXT Playlists (*.txt)", L"*.txt"}));
}

} // namespace
} // namespace tunecrate::win32
