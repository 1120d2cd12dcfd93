#pragma once

#include <functional>
#include <ole2.h>
#include <string>
#include <vector>
#include <windows.h>

namespace tunecrate::win32 {

// The files and folders a drag from Explorer carries (CF_HDROP), as UTF-8
// paths; none when it carries something else.
[[nodiscard]] std::vector<std::string> draggedPaths(IDataObject* data);

// Takes drags onto a window. A drag whose items the window can use (accepts)
// is offered the copy effect and handed to drop when it is let go; any other
// drag is refused, and the cursor shows that. The window owns the target: the
// system holds a reference only from RegisterDragDrop to RevokeDragDrop.
// COM interfaces have no virtual destructor: nobody deletes through them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class DropTarget final : public IDropTarget {
public:
    using Paths = std::vector<std::string>;

    DropTarget(std::function<bool(const Paths&)> accepts, std::function<void(const Paths&)> drop);
    ~DropTarget() = default;
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                   DWORD* effect) override;

private:
    std::function<bool(const Paths&)> accepts_;
    std::function<void(const Paths&)> drop_;
    bool accepted_ = false;
    ULONG references_ = 1;
};
#pragma GCC diagnostic pop

// Registers a window's drop target with the system while the window lives.
// Registration needs OLE on the thread (OleInitialize); without it the window
// simply takes no drops.
class DropRegistration {
public:
    DropRegistration(HWND window, IDropTarget& target);
    ~DropRegistration() { revoke(); }
    DropRegistration(const DropRegistration&) = delete;
    DropRegistration& operator=(const DropRegistration&) = delete;

    // Before the window is destroyed.
    void revoke();

private:
    HWND window_ = nullptr;
};

} // namespace tunecrate::win32
