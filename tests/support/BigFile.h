#pragma once

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tunecrate::test {

// Makes file a gigabyte larger than its drive has room for, without writing
// it (the file system keeps it sparse).
inline void makeLargerThanTheDrive(const std::filesystem::path& file)
{
    const std::uintmax_t size =
        std::filesystem::space(file.parent_path()).available + 1'000'000'000;
#ifdef _WIN32
    // MinGW's resize_file stops at 2 GiB.
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    SetFilePointerEx(handle, end, nullptr, FILE_BEGIN);
    SetEndOfFile(handle);
    CloseHandle(handle);
#else
    std::filesystem::resize_file(file, size);
#endif
}

} // namespace tunecrate::test
