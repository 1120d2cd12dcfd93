// tunecrate.com, beside tunecrate.exe: cmd and PowerShell find it first when
// "tunecrate" is typed, wait for it and show its output, which a window program
// would not have them do. It runs the export without a window, help and
// version itself, and hands the window's form to tunecrate.exe.

#include "ConsoleRun.h"
#include "ProgramArguments.h"
#include "Utf16.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

// One argument as CommandLineToArgvW reads it back.
std::wstring quoted(const std::wstring& argument)
{
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, L'\\');
    return text + L"\"";
}

// Starts tunecrate.exe from this program's folder with the same arguments.
int startWindow(const std::vector<std::wstring>& arguments)
{
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::wstring program = std::filesystem::path(self).replace_extension(L".exe").native();
    std::wstring line = quoted(program);
    for (const std::wstring& argument : arguments) {
        line += L" " + quoted(argument);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        tunecrate::systemConsole().writeError("tunecrate: tunecrate.exe could not be started\n");
        return 1;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return 0;
}

} // namespace

int main()
{
    const std::vector<std::wstring> arguments = tunecrate::win32::programArguments();
    std::vector<std::string> texts;
    for (const std::wstring& argument : arguments) {
        texts.push_back(tunecrate::utf8FromWide(argument));
    }
    std::error_code noFolder;
    const tunecrate::CommandLine line =
        tunecrate::parseCommandLine(texts, std::filesystem::current_path(noFolder));
    if (const std::optional<int> status =
            tunecrate::runWithoutWindow(line, tunecrate::systemConsole())) {
        return *status;
    }
    return startWindow(arguments);
}
