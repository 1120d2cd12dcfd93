#include "drive/Drive.h"
#include "files/PlatformFiles.h"

#include <windows.h>

namespace tunecrate {

// FAT, exFAT, NTFS and ReFS alike compare names without regard to case and
// refuse the same characters, whatever the volume.
bool followsWindowsRules(const std::string& /*folder*/)
{
    return true;
}

DriveKind driveKind(const std::string& folder)
{
    const std::wstring path = fsPath(folder).wstring();
    std::wstring root(MAX_PATH + 1, L'\0');
    std::wstring system(MAX_PATH + 1, L'\0');
    if (!GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
        !GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, system.data(),
                               static_cast<DWORD>(system.size()))) {
        return {};
    }
    system.resize(system.find(L'\0'));
    if (system == L"NTFS" || system == L"ReFS") {
        return {.keepsFileNumbers = true, .largestFile = std::nullopt};
    }
    const bool fat = system.starts_with(L"FAT");
    return {.keepsFileNumbers = false,
            .largestFile = fat ? std::optional(largestFatFile) : std::nullopt};
}

} // namespace tunecrate
