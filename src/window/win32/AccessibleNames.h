#pragma once

#include <oleacc.h>
#include <string>
#include <vector>
#include <windows.h>
#include <wrl/client.h>

namespace tunecrate::win32 {

// Gives controls the names screen readers read, through Dynamic Annotation
// (IAccPropServices::SetHwndPropStr with PROPID_ACC_NAME): an edit box or a
// progress bar has no caption a reader could take its name from, and two
// buttons with one caption cannot be told apart. Where the service is missing
// or refuses (Wine's answers E_NOTIMPL), the controls keep the names the
// system gives them and nothing else changes. Needs COM on the thread.
class AccessibleNames {
public:
    AccessibleNames();
    ~AccessibleNames() { clear(); }
    AccessibleNames(const AccessibleNames&) = delete;
    AccessibleNames& operator=(const AccessibleNames&) = delete;

    // Replaces the name a control had from here.
    void name(HWND control, const std::string& name);
    // Takes the names back, while the controls still exist.
    void clear();

private:
    Microsoft::WRL::ComPtr<IAccPropServices> services_;
    std::vector<HWND> named_;
};

} // namespace tunecrate::win32
