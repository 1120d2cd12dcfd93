#include "Platform.h"

#include <string>
#include <windows.h>

namespace tunecrate::platform {
namespace {

DWORD CALLBACK onCopyProgress(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                              LARGE_INTEGER /*streamSize*/, LARGE_INTEGER /*streamTransferred*/,
                              DWORD /*streamNumber*/, DWORD /*callbackReason*/,
                              HANDLE /*sourceFile*/, HANDLE /*destinationFile*/, LPVOID data)
{
    const auto& progress = *static_cast<const CopyProgressRoutine*>(data);
    progress(static_cast<std::uint64_t>(totalFileSize.QuadPart),
             static_cast<std::uint64_t>(totalBytesTransferred.QuadPart));
    return PROGRESS_CONTINUE;
}

// A copy takes over the source's attributes, read-only included, which would
// stop its removal.
void removeFile(const std::filesystem::path& file)
{
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(file.c_str());
}

} // namespace

bool isProtectedDestination(const std::filesystem::path& destination)
{
    const DWORD attributes = GetFileAttributesW(destination.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) != 0;
}

bool copyThroughTemporary(const std::filesystem::path& source,
                          const std::filesystem::path& destination,
                          const CopyProgressRoutine& progress)
{
    static unsigned counter = 0;
    const std::filesystem::path folder = destination.parent_path();
    std::filesystem::path temporary;
    for (int attempt = 0;; ++attempt) {
        temporary = folder / (L".tunecrate-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(counter++) + L".part");
        // The cast only drops const for the API's untyped pointer; the routine
        // reads through it as const.
        void* routine = const_cast<CopyProgressRoutine*>(&progress);
        if (CopyFileExW(source.c_str(), temporary.c_str(), onCopyProgress, routine, nullptr,
                        COPY_FILE_FAIL_IF_EXISTS)) {
            break;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt >= 1000) {
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                removeFile(temporary);
            }
            return false;
        }
    }
    if (!MoveFileExW(temporary.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        removeFile(temporary);
        return false;
    }
    return true;
}

} // namespace tunecrate::platform
