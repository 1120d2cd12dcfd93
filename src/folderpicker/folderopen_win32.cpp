#include "Folderopen.h"
#include "Utf16.h"

#include <cwchar>
#include <memory>
#include <objbase.h>
#include <shlobj.h>
#include <string>
#include <windows.h>

namespace tunecrate {
namespace {

// The item list the dialog hands out, freed when it goes out of scope.
struct ItemIdListFree {
    void operator()(ITEMIDLIST_ABSOLUTE* list) const { CoTaskMemFree(list); }
};
using ItemIdList = std::unique_ptr<ITEMIDLIST_ABSOLUTE, ItemIdListFree>;

// The folder's file-system path, also one past MAX_PATH; the empty text for an
// item that has none.
std::wstring pathOf(const ItemIdList& folder)
{
    // The longest path the wide calls take.
    std::wstring path(32768, L'\0');
    if (!SHGetPathFromIDListEx(folder.get(), path.data(), static_cast<DWORD>(path.size()),
                               GPFIDL_DEFAULT)) {
        return {};
    }
    path.resize(wcsnlen(path.data(), path.size()));
    return path;
}

// Preselects the start folder, which arrives as the dialog's application data.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM /*param*/, LPARAM startPath)
{
    if (message == BFFM_INITIALIZED) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, startPath);
    }
    return 0;
}

// The shell dialog needs COM on this thread; the window usually has it already.
class ComScope {
public:
    ComScope()
        : initialized_(
              SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
    {}
    ~ComScope()
    {
        if (initialized_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

} // namespace

std::string BrowseFolder(const std::string& sTitle, const std::string& sStartPath)
{
    const ComScope com;
    const std::wstring title = wideFromUtf8(sTitle);
    const std::wstring startPath = wideFromUtf8(sStartPath);

    BROWSEINFOW request{};
    request.hwndOwner = GetActiveWindow();
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    if (!sStartPath.empty()) {
        request.lpfn = BrowseCallback;
        request.lParam = reinterpret_cast<LPARAM>(startPath.c_str());
    }

    const ItemIdList folder(SHBrowseForFolderW(&request));
    if (!folder) {
        return {};
    }
    return utf8FromWide(pathOf(folder));
}

} // namespace tunecrate
