#pragma once

#include <memory>
#include <string>
#include <vector>
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

namespace tunecrate::win32 {

// The command line as the program was started with it, after the program's
// own name: "tunecrate.exe PLAYLIST", or a playlist dropped on its icon.
[[nodiscard]] inline std::vector<std::wstring> programArguments()
{
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype([](LPWSTR* list) { LocalFree(list); })> list(
        CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::wstring> arguments;
    for (int i = 1; list != nullptr && i < count; ++i) {
        arguments.emplace_back(list.get()[i]);
    }
    return arguments;
}

} // namespace tunecrate::win32
