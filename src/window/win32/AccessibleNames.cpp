#include "AccessibleNames.h"

#include "Utf16.h"

#include <algorithm>

namespace tunecrate::win32 {

AccessibleNames::AccessibleNames()
{
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices,
                                reinterpret_cast<void**>(services_.GetAddressOf())))) {
        services_.Reset();
    }
}

void AccessibleNames::name(HWND control, const std::string& name)
{
    if (services_ == nullptr || control == nullptr) {
        return;
    }
    const std::wstring wide = wideFromUtf8(name);
    if (SUCCEEDED(services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                            PROPID_ACC_NAME, wide.c_str())) &&
        std::ranges::find(named_, control) == named_.end()) {
        named_.push_back(control);
    }
}

void AccessibleNames::clear()
{
    MSAAPROPID properties[] = {PROPID_ACC_NAME};
    for (HWND control : named_) {
        if (IsWindow(control)) {
            services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                      properties, 1);
        }
    }
    named_.clear();
}

} // namespace tunecrate::win32
