#include "SystemDialogs.h"

#include "Folderopen.h"
#include "Language.h"
#include "PlaylistFilter.h"
#include "Utf16.h"

#include <algorithm>
#include <array>
#include <commctrl.h>
#include <commdlg.h>
#include <cwchar>
#include <string_view>
#include <vector>

namespace tunecrate::win32 {
namespace {

std::string choosePlaylistFile(HWND owner)
{
    const std::wstring filter = fileDialogFilter(playlistFilter);
    // Room for a path past MAX_PATH.
    std::wstring file(32768, L'\0');
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&request)) {
        return {};
    }
    file.resize(wcsnlen(file.data(), file.size()));
    return utf8FromWide(file);
}

void showErrorBox(HWND owner, const std::string& message)
{
    std::wstring caption(256, L'\0');
    caption.resize(static_cast<std::size_t>(
        GetWindowTextW(owner, caption.data(), static_cast<int>(caption.size()))));
    MessageBoxW(owner, wideFromUtf8(message).c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

// A task dialog: message boxes cannot name their buttons.
bool askCopyWhatFitsBox(HWND owner, const std::string& question)
{
    constexpr int copyWhatFits = 100;
    std::wstring caption(256, L'\0');
    caption.resize(static_cast<std::size_t>(
        GetWindowTextW(owner, caption.data(), static_cast<int>(caption.size()))));
    const std::wstring text = wideFromUtf8(question);
    const std::wstring copyCaption = wideFromUtf8(Language().strCopyWhatFits);
    const std::wstring cancelCaption = wideFromUtf8(Language().strCancel);
    const std::array<TASKDIALOG_BUTTON, 2> buttons{
        {{copyWhatFits, copyCaption.c_str()}, {IDCANCEL, cancelCaption.c_str()}}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = caption.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.data();
    config.nDefaultButton = copyWhatFits;
    int pressed = IDCANCEL;
    return SUCCEEDED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr)) &&
           pressed == copyWhatFits;
}

// A dialog built in memory, since a task dialog has no list that scrolls:
// the question, the names in a list box, "Keep" (the default, and what Esc
// does) and "Remove".
class RemovalDialog {
public:
    RemovalDialog(const std::string& question, const std::vector<std::string>& names)
        : question_(wideFromUtf8(question))
    {
        for (const std::string& name : names) {
            names_.push_back(wideFromUtf8(name));
        }
    }

    bool ask(HWND owner)
    {
        std::wstring caption(256, L'\0');
        caption.resize(static_cast<std::size_t>(
            GetWindowTextW(owner, caption.data(), static_cast<int>(caption.size()))));
        const std::vector<WORD> layout = templateOf(caption);
        return DialogBoxIndirectParamW(
                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
                   reinterpret_cast<LPCDLGTEMPLATEW>(layout.data()), owner, &RemovalDialog::proc,
                   reinterpret_cast<LPARAM>(this)) == remove;
    }

private:
    static constexpr WORD remove = 100;
    static constexpr WORD questionText = 101;
    static constexpr WORD nameList = 102;

    // The template in dialog units, items DWORD-aligned as the system reads them.
    [[nodiscard]] std::vector<WORD> templateOf(const std::wstring& caption) const
    {
        std::vector<WORD> words;
        const auto add32 = [&words](DWORD value) {
            words.push_back(LOWORD(value));
            words.push_back(HIWORD(value));
        };
        const auto addText = [&words](std::wstring_view text) {
            words.insert(words.end(), text.begin(), text.end());
            words.push_back(0);
        };
        const auto item = [&](DWORD style, WORD x, WORD y, WORD cx, WORD cy, WORD id, WORD atom,
                              std::wstring_view text) {
            if (words.size() % 2 != 0) {
                words.push_back(0);
            }
            add32(style | WS_CHILD | WS_VISIBLE);
            add32(0);
            words.insert(words.end(), {x, y, cx, cy});
            words.push_back(id);
            words.push_back(0xFFFF);
            words.push_back(atom);
            addText(text);
            words.push_back(0);
        };
        add32(DS_MODALFRAME | DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        add32(0);
        words.push_back(4); // items
        words.insert(words.end(), {WORD{0}, WORD{0}, WORD{280}, WORD{180}});
        words.push_back(0); // no menu
        words.push_back(0); // the dialog class
        addText(caption);
        words.push_back(8);
        addText(L"MS Shell Dlg");
        constexpr WORD buttonAtom = 0x0080;
        constexpr WORD staticAtom = 0x0082;
        constexpr WORD listAtom = 0x0083;
        item(SS_LEFT, WORD{7}, WORD{7}, WORD{266}, WORD{20}, questionText, staticAtom, L"");
        item(WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, WORD{7},
             WORD{30}, WORD{266}, WORD{122}, nameList, listAtom, L"");
        item(BS_DEFPUSHBUTTON | WS_TABSTOP, WORD{162}, WORD{159}, WORD{54}, WORD{14}, IDCANCEL,
             buttonAtom, L"");
        item(BS_PUSHBUTTON | WS_TABSTOP, WORD{219}, WORD{159}, WORD{54}, WORD{14}, remove,
             buttonAtom, L"");
        return words;
    }

    static INT_PTR CALLBACK proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_INITDIALOG) {
            const auto* self = reinterpret_cast<const RemovalDialog*>(lParam);
            SetDlgItemTextW(dialog, questionText, self->question_.c_str());
            SetDlgItemTextW(dialog, IDCANCEL, wideFromUtf8(Language().strKeep).c_str());
            SetDlgItemTextW(dialog, remove, wideFromUtf8(Language().strRemove).c_str());
            HWND list = GetDlgItem(dialog, nameList);
            for (const std::wstring& name : self->names_) {
                SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
            }
            SendMessageW(dialog, DM_SETDEFID, IDCANCEL, 0);
            SetFocus(GetDlgItem(dialog, IDCANCEL));
            return FALSE; // the focus is set
        }
        if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == remove)) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }

    std::wstring question_;
    std::vector<std::wstring> names_;
};

} // namespace

std::wstring fileDialogFilter(std::string_view filter)
{
    std::wstring parts = wideFromUtf8(filter);
    std::replace(parts.begin(), parts.end(), L'|', L'\0');
    parts.push_back(L'\0');
    parts.push_back(L'\0');
    return parts;
}

Dialogs systemDialogs(HWND owner)
{
    return {
        .choosePlaylist = [owner] { return choosePlaylistFile(owner); },
        .browseFolder = &BrowseFolder,
        .showError = [owner](const std::string& message) { showErrorBox(owner, message); },
        .askCopyWhatFits =
            [owner](const std::string& question) { return askCopyWhatFitsBox(owner, question); },
        .askRemoval =
            [owner](const std::string& question, const std::vector<std::string>& names) {
                return RemovalDialog(question, names).ask(owner);
            },
    };
}

} // namespace tunecrate::win32
