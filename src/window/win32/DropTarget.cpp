#include "DropTarget.h"

#include "Utf16.h"

#include <shellapi.h>
#include <utility>

namespace tunecrate::win32 {
namespace {

// Explorer offers copy, move and link; the items stay where they are, so copy.
[[nodiscard]] DWORD chosenEffect(bool accepted, DWORD allowed)
{
    return accepted && (allowed & DROPEFFECT_COPY) != 0 ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

} // namespace

std::vector<std::string> draggedPaths(IDataObject* data)
{
    std::vector<std::string> paths;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data == nullptr || FAILED(data->GetData(&format, &medium))) {
        return paths;
    }
    auto* drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1)));
        paths.push_back(utf8FromWide(path));
    }
    ReleaseStgMedium(&medium);
    return paths;
}

DropTarget::DropTarget(std::function<bool(const Paths&)> accepts,
                       std::function<void(const Paths&)> drop)
    : accepts_(std::move(accepts)), drop_(std::move(drop))
{}

HRESULT DropTarget::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The window owns the target, so the count only tells whether the system
// still holds it.
ULONG DropTarget::AddRef()
{
    return ++references_;
}

ULONG DropTarget::Release()
{
    return references_ > 1 ? --references_ : 1;
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD /*keys*/, POINTL /*point*/, DWORD* effect)
{
    accepted_ = accepts_(draggedPaths(data));
    *effect = chosenEffect(accepted_, *effect);
    return S_OK;
}

HRESULT DropTarget::DragOver(DWORD /*keys*/, POINTL /*point*/, DWORD* effect)
{
    *effect = chosenEffect(accepted_, *effect);
    return S_OK;
}

HRESULT DropTarget::DragLeave()
{
    accepted_ = false;
    return S_OK;
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD /*keys*/, POINTL /*point*/, DWORD* effect)
{
    const Paths paths = draggedPaths(data);
    accepted_ = accepts_(paths);
    *effect = chosenEffect(accepted_, *effect);
    if (*effect != DROPEFFECT_NONE) {
        drop_(paths);
    }
    accepted_ = false;
    return S_OK;
}

DropRegistration::DropRegistration(HWND window, IDropTarget& target)
{
    if (window != nullptr && SUCCEEDED(RegisterDragDrop(window, &target))) {
        window_ = window;
    }
}

void DropRegistration::revoke()
{
    if (window_ != nullptr) {
        RevokeDragDrop(window_);
        window_ = nullptr;
    }
}

} // namespace tunecrate::win32
