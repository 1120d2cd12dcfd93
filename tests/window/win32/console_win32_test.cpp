#include "TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

namespace tunecrate {
namespace {

struct Finished {
    std::string out;
    DWORD status = 0;
};

enum class Output { Read, Closed };

// Runs tunecrate.com (from the working folder) in folder, as cmd would, with
// its standard output and error through a pipe; with Output::Closed its
// standard output is a pipe nobody reads, closed before it starts.
Finished runCompanion(const std::wstring& arguments, const std::filesystem::path& folder,
                      Output output = Output::Read)
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    EXPECT_TRUE(CreatePipe(&reading, &writing, &inherited, 0));
    SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
    HANDLE closed = nullptr;
    if (output == Output::Closed) {
        HANDLE unread = nullptr;
        EXPECT_TRUE(CreatePipe(&unread, &closed, &inherited, 0));
        CloseHandle(unread);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output == Output::Closed ? closed : writing;
    startup.hStdError = writing;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring line =
        L"\"" + std::filesystem::absolute(TUNECRATE_COM).wstring() + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    Finished finished;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        folder.c_str(), &startup, &process)) {
        ADD_FAILURE() << "error " << GetLastError();
        return finished;
    }
    CloseHandle(writing);
    if (closed != nullptr) {
        CloseHandle(closed);
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(reading, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        finished.out.append(buffer, got);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &finished.status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(reading);
    return finished;
}

TEST(TunecrateCom, ExportsWithoutAWindowAndEndsWithTheRunsStatus)
{
    const test::TempDir scene;
    std::filesystem::create_directories(scene.path() / "music");
    std::filesystem::create_directories(scene.path() / "out");
    test::writeFile(scene.path() / "music" / "a.mp3", "music");
    test::writeFile(scene.path() / "list.m3u", "music\\a.mp3\r\nmusic\\gone.mp3\r\n");

    const Finished run = runCompanion(L"--export list.m3u out", scene.path());

    const std::string music = scene.file("music");
    const std::string out = scene.file("out");
    EXPECT_EQ(run.out,
              music + "\\a.mp3\r\ncopied to:\r\n" + out + "\\a.mp3\r\nok\r\n---\r\n" + music +
                  "\\gone.mp3\r\ncopied to:\r\n" + out +
                  "\\gone.mp3\r\nerror\r\n---\r\nDone: 1 of 2 files could not be copied.\r\n" +
                  music + "\\gone.mp3: the song was not found\r\n");
    EXPECT_EQ(run.status, 1U);
    EXPECT_TRUE(std::filesystem::exists(scene.path() / "out" / "a.mp3"));

    const Finished wrong = runCompanion(L"--export --fast list.m3u out", scene.path());
    EXPECT_EQ(wrong.status, 2U);
    EXPECT_NE(wrong.out.find("unknown option --fast"), std::string::npos) << wrong.out;
}

TEST(TunecrateCom, AClosedOutputStopsNoExportAndEndsWithOne)
{
    const test::TempDir scene;
    std::filesystem::create_directories(scene.path() / "music");
    std::filesystem::create_directories(scene.path() / "out");
    const std::vector<std::string> names{"a.mp3", "b.mp3", "c.mp3"};
    std::string list;
    for (const std::string& name : names) {
        test::writeFile(scene.path() / "music" / name, "music");
        list += "music\\" + name + "\r\n";
    }
    test::writeFile(scene.path() / "list.m3u", list);

    const Finished run = runCompanion(L"--export list.m3u out", scene.path(), Output::Closed);

    EXPECT_EQ(run.out, "tunecrate: standard output: Broken pipe\r\n");
    EXPECT_EQ(run.status, 1U);
    for (const std::string& name : names) {
        EXPECT_TRUE(std::filesystem::exists(scene.path() / "out" / name)) << name;
    }
}

} // namespace
} // namespace tunecrate
