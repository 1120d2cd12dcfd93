#include "CaseName.h"
#include "TempDir.h"
#include "TestWindow.h"
#include "files/PlatformFiles.h"
#include "run/ExportRun.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace tunecrate {
namespace {

using test::PrintTo;
using test::readFile;
using test::TempDir;
using test::TestWindow;
using test::writeFile;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

std::wstring wideFromUtf8(const std::string& text)
{
    return fsPath(text).wstring();
}

enum class Encoding { Utf8, Utf8WithByteOrderMark, Utf16LE, Ansi1252 };

std::string encode(const std::string& utf8, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return utf8;
    case Encoding::Utf8WithByteOrderMark:
        return "\xEF\xBB\xBF" + utf8;
    case Encoding::Utf16LE: {
        std::string bytes = "\xFF\xFE";
        for (const wchar_t unit : wideFromUtf8(utf8)) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        return bytes;
    }
    case Encoding::Ansi1252: {
        const std::wstring wide = wideFromUtf8(utf8);
        const int size = static_cast<int>(wide.size());
        std::string bytes(wide.size() * 2, '\0');
        BOOL lossy = FALSE;
        bytes.resize(static_cast<std::size_t>(
            WideCharToMultiByte(1252, 0, wide.data(), size, bytes.data(),
                                static_cast<int>(bytes.size()), nullptr, &lossy)));
        EXPECT_FALSE(lossy) << utf8 << " is not all in code page 1252";
        return bytes;
    }
    }
    return {};
}

class ExportRunWin32Test : public testing::Test {
protected:
    ExportRunWin32Test() { ApplyLanguage("English", window); }

    // Writes content to the UTF-8 name inside the test's folder; gives its path.
    std::string create(const std::string& name, std::string_view content = "music")
    {
        const std::string path = dir.file(name);
        fs::create_directories(fsPath(path).parent_path());
        writeFile(fsPath(path), content);
        return path;
    }
    void runWithPlaylist(const std::string& source, Encoding encoding = Encoding::Utf8)
    {
        window.pathFromText = create("list.m3u", encode("#EXTM3U\r\n" + source + "\r\n", encoding));
        runExport(window);
    }
    static Lines oneCopyLog(const std::string& source, const std::string& destination)
    {
        return {"", source, "copied to:", destination, "ok", "---", "All files copied!"};
    }

    TempDir dir;
    TestWindow window;
};

struct NamesCase {
    const char* name;
    Encoding encoding;
    std::string sourceFolder;
    std::string song;
    std::string target;
};

class NamesTest : public ExportRunWin32Test, public testing::WithParamInterface<NamesCase> {};

TEST_P(NamesTest, SurviveTheCopyUnchanged)
{
    const std::string source = create(GetParam().sourceFolder + "/" + GetParam().song, "tune");
    const std::string target = dir.file(GetParam().target);
    ASSERT_TRUE(fs::create_directory(fsPath(target)));
    window.pathToText = target;

    runWithPlaylist(source, GetParam().encoding);

    const std::string destination = target + "\\" + GetParam().song;
    EXPECT_EQ(window.logLines(), oneCopyLog(source, destination));
    EXPECT_EQ(window.panels[2], "Filename: " + GetParam().song);
    EXPECT_EQ(readFile(fsPath(destination)), "tune");
}

INSTANTIATE_TEST_SUITE_P(
    Playlists, NamesTest,
    testing::Values(NamesCase{"Utf8", Encoding::Utf8, "Ω 音楽", "Ω Song 歌.mp3", "出力 Ω"},
                    NamesCase{"Utf8WithByteOrderMark", Encoding::Utf8WithByteOrderMark, "Ω 音楽",
                              "Ω Song 歌.mp3", "出力 Ω"},
                    NamesCase{"Utf16", Encoding::Utf16LE, "Ω 音楽", "Ω Song 歌 😀.mp3", "出力 Ω"},
                    NamesCase{"Ansi", Encoding::Ansi1252, "Musik é", "Café ½ €.mp3", "Ziel ä"}),
    test::CaseName());

// Windows file names ignore case: Song.mp3 and song.mp3 are one file.
TEST_F(ExportRunWin32Test, NameThatDiffersOnlyInCaseFromAnotherSourceIsNumbered)
{
    const std::string first = create("music/a/Song.mp3", "first");
    const std::string second = create("music/b/song.mp3", "second");
    std::string firstAgain = first;
    firstAgain.replace(firstAgain.find("music"), 5, "MUSIC");
    const std::string target = dir.file("export");
    fs::create_directory(fsPath(target));
    window.pathToText = target;
    window.pathFromText =
        create("list.m3u", "#EXTM3U\r\n" + first + "\r\n" + second + "\r\n" + firstAgain + "\r\n");

    runExport(window);

    const Lines expected{"",
                         first,
                         "copied to:",
                         target + "\\Song.mp3",
                         "ok",
                         "---",
                         second,
                         "copied to:",
                         target + "\\song (2).mp3",
                         "ok",
                         "---",
                         firstAgain,
                         "copied to:",
                         target + "\\Song.mp3",
                         "ok",
                         "---",
                         "All files copied!"};
    EXPECT_EQ(window.logLines(), expected);
    EXPECT_EQ(readFile(fsPath(target + "\\Song.mp3")), "first");
    EXPECT_EQ(readFile(fsPath(target + "\\song (2).mp3")), "second");
}

// Maps a spare drive letter to a folder while it lives. Windows maps it as
// subst does. Wine finds drives only through the links in its prefix's
// dosdevices folder, so there the link is made, and removed, with ln and rm;
// Wine starts Unix programs without a handle to wait on, so the drive is
// watched until it appears or goes.
class SpareDrive {
public:
    explicit SpareDrive(const fs::path& folder) : folder_(folder)
    {
        const DWORD used = GetLogicalDrives();
        for (wchar_t letter = L'T'; letter > L'D' && !mapped_; --letter) {
            if ((used & (1u << (letter - L'A'))) == 0) {
                device_ = {letter, L':'};
                mapped_ = map();
            }
        }
    }
    ~SpareDrive()
    {
        if (!mapped_) {
            return;
        }
        if (wineLink_.empty()) {
            DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, device_.c_str(),
                             folder_.c_str());
        } else if (startUnix("/bin/rm", "\"" + wineLink_ + "\"")) {
            waitUntil(
                [this] { return GetFileAttributesW(rootW().c_str()) == INVALID_FILE_ATTRIBUTES; });
        }
    }
    SpareDrive(const SpareDrive&) = delete;
    SpareDrive& operator=(const SpareDrive&) = delete;

    [[nodiscard]] bool mapped() const { return mapped_; }
    // "T:\" and the like.
    [[nodiscard]] std::string root() const { return {static_cast<char>(device_[0]), ':', '\\'}; }

private:
    [[nodiscard]] std::wstring rootW() const { return device_ + L"\\"; }

    bool map()
    {
        const auto unixName = wineFunction<char*(CDECL*)(LPCWSTR)>("wine_get_unix_file_name");
        if (unixName == nullptr) {
            return DefineDosDeviceW(0, device_.c_str(), folder_.c_str()) != 0;
        }
        const std::string unixFolder = takeWineText(unixName(folder_.c_str()));
        std::string dosDevices = takeWineText(unixName(L"C:\\")); // ".../dosdevices/c:/"
        dosDevices.resize(dosDevices.rfind('/', dosDevices.size() - 2) + 1);
        wineLink_ = dosDevices + static_cast<char>(device_[0] - L'A' + L'a') + ":";
        if (startUnix("/bin/ln", "-s \"" + unixFolder + "\" \"" + wineLink_ + "\"") &&
            waitUntil([this] {
                const DWORD attributes = GetFileAttributesW(rootW().c_str());
                return attributes != INVALID_FILE_ATTRIBUTES &&
                       (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            })) {
            return true;
        }
        wineLink_.clear();
        return false;
    }

    template <class Condition> static bool waitUntil(Condition condition)
    {
        for (int waited = 0; waited < 10'000; waited += 10) {
            if (condition()) {
                return true;
            }
            Sleep(10);
        }
        return false;
    }
    template <class Function> static Function wineFunction(const char* name)
    {
        const FARPROC address = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
        // Through void (*)(): the one cast between function types that GCC allows.
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    }
    static std::string takeWineText(char* text)
    {
        std::string copy = text != nullptr ? text : "";
        HeapFree(GetProcessHeap(), 0, text);
        return copy;
    }
    static bool startUnix(const std::string& program, const std::string& arguments)
    {
        const auto dosName = wineFunction<WCHAR*(CDECL*)(LPCSTR)>("wine_get_dos_file_name");
        WCHAR* application = dosName(program.c_str());
        std::wstring commandLine = wideFromUtf8(program + " " + arguments);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        const bool started = CreateProcessW(application, commandLine.data(), nullptr, nullptr,
                                            FALSE, 0, nullptr, nullptr, &startup, &process);
        HeapFree(GetProcessHeap(), 0, application);
        return started;
    }

    fs::path folder_;
    std::wstring device_;
    std::string wineLink_;
    bool mapped_ = false;
};

TEST_F(ExportRunWin32Test, DriveRootTargetDoublesTheBackslashInTheLogAndStillCopies)
{
    const fs::path folder = dir.path() / "drive";
    fs::create_directory(folder);
    const SpareDrive drive(folder);
    ASSERT_TRUE(drive.mapped()) << "could not map a spare drive letter to " << folder.string();
    const DWORD rootAttributes = GetFileAttributesW(wideFromUtf8(drive.root()).c_str());
    ASSERT_NE(rootAttributes, INVALID_FILE_ATTRIBUTES);
    ASSERT_NE(rootAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    const std::string source = create("music/a.mp3");
    window.pathToText = drive.root();

    runWithPlaylist(source);

    EXPECT_EQ(window.logLines(), oneCopyLog(source, drive.root() + "\\a.mp3"));
    EXPECT_EQ(readFile(folder / "a.mp3"), "music");
}

} // namespace
} // namespace tunecrate
