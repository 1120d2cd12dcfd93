// Measures, under Wine or on Windows, 10,000 files of 4 KiB exported through
// the real Win32 window (shown, Save clicked) beside the core alone with a
// window that shows nothing; prints one table row.
//   tunecrate-bench-win32 [ROUNDS [FILES]]
// The runs alternate who goes first, in this one process; the figure is the
// ratio of the medians. The data lies directly under C:\ and is removed after.

#include "ControlIds.h"
#include "NullWindow.h"
#include "Utf16.h"
#include "frmPlaylistExporter.h"
#include "run/ExportRun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using namespace tunecrate;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int fileCount = 10000;

std::string utf8(const fs::path& path)
{
    return utf8FromWide(path.native());
}

void writeSongs(const fs::path& source)
{
    fs::create_directories(source / L"s");
    std::ofstream list(source / L"list.m3u", std::ios::binary);
    list << "#EXTM3U\r\n";
    for (int i = 0; i < fileCount; ++i) {
        const fs::path song = source / L"s" / (L"song" + std::to_wstring(i) + L".mp3");
        std::ofstream(song, std::ios::binary) << std::string(4096, static_cast<char>('a' + i % 26));
        list << "#EXTINF:200,Artist " << i << " - Title " << i << "\r\n" << utf8(song) << "\r\n";
    }
}

std::size_t filesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

double runCore(const fs::path& list, const fs::path& target)
{
    bench::NullWindow window(utf8(list), utf8(target));
    ApplyLanguage("English", window);
    const Clock::time_point start = Clock::now();
    runExport(window);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double runWindow(const fs::path& list, const fs::path& target)
{
    win32::frmPlaylistExporter window(GetModuleHandleW(nullptr));
    window.show(SW_SHOW);
    const auto control = [&window](win32::ControlId id) {
        return GetDlgItem(window.handle(), win32::idOf(id));
    };
    SetWindowTextW(control(win32::ControlId::txtPathfrom), list.c_str());
    SetWindowTextW(control(win32::ControlId::txtPathto), target.c_str());
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        window.dispatch(message);
    }
    // The click as the button makes it; the run holds it until it ends.
    const Clock::time_point start = Clock::now();
    SendMessageW(control(win32::ControlId::cmdSave), BM_CLICK, 0, 0);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int rounds =
        argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 5;
    if (argc > 2) {
        fileCount = std::max(1, static_cast<int>(std::wcstol(argv[2], nullptr, 10)));
    }
    const fs::path work = L"C:\\tunecrate-bench-" + std::to_wstring(GetCurrentProcessId());
    writeSongs(work);
    const fs::path list = work / L"list.m3u";

    struct Contender {
        const char* name;
        std::function<double(const fs::path&, const fs::path&)> run;
        std::vector<double> times;
    };
    std::vector<Contender> contenders{{"core", &runCore, {}}, {"window", &runWindow, {}}};
    bool complete = true;
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            Contender& contender = contenders[(k + static_cast<std::size_t>(round)) % 2];
            const fs::path target = work / (L"out" + std::to_wstring(round));
            fs::create_directories(target);
            contender.times.push_back(contender.run(list, target));
            if (filesIn(target) != static_cast<std::size_t>(fileCount)) {
                std::fprintf(stderr, "bench: %s copied %zu files, not %d\n", contender.name,
                             filesIn(target), fileCount);
                complete = false;
            }
            fs::remove_all(target);
        }
    }
    fs::remove_all(work);

    const double core = median(contenders[0].times);
    const double window = median(contenders[1].times);
    std::printf("| 1 | %d × 4 KiB under Wine, real Win32 window shown on Xvfb, median of %d | "
                "%.3f s | %.3f s (core under Wine) | %.2f × core | ≤ 1.25 |\n",
                fileCount, rounds, window, core, window / core);
    return complete ? 0 : 1;
}
