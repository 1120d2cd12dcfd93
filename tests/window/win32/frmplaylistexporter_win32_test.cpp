#include "CaseName.h"
#include "FakeDialogs.h"
#include "LogLines.h"
#include "ModalDialog.h"
#include "PlaylistFilter.h"
#include "SystemDialogs.h"
#include "TempDir.h"
#include "Utf16.h"
#include "WindowControls.h"
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

class WindowTest : public testing::Test, protected WindowControls {
protected:
    void SetUp() override
    {
        try {
            open(fake.dialogs());
        } catch (const std::exception& error) {
            GTEST_SKIP() << "no window without a display: " << error.what();
        }
    }

    [[nodiscard]] std::string hint(ControlId id) const
    {
        std::wstring text(128, L'\0');
        SendMessageW(item(id), EM_GETCUEBANNER, reinterpret_cast<WPARAM>(text.data()), 128);
        return utf8FromWide(text.c_str());
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

    FakeDialogs fake;
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
