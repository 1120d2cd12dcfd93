// Measures Tunecrate's export beside cp on generated data and prints one table.
//   tunecrate-bench WORKDIR RUN_EXPORT [WINDOW_EXPORT]
// RUN_EXPORT is the core-only runner (tunecrate-run-export); WINDOW_EXPORT, when
// given, runs the same export through the real window offscreen. Every figure
// is a ratio of runs made side by side, alternating, in this one process.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Measured {
    double seconds = 0;
    long peakKiB = 0;
};

// Runs a command in a child process and waits; its wall time and peak memory.
Measured run(const std::vector<std::string>& command)
{
    std::vector<char*> argv;
    for (const auto& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        if (std::freopen("/dev/null", "w", stdout) == nullptr) {
            ::_exit(126);
        }
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench: command failed: %s\n", command.front().c_str());
        std::exit(1);
    }
    return {elapsed.count(), usage.ru_maxrss};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void emptyFolder(const fs::path& folder)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
}

void writeBytes(const fs::path& path, std::size_t size, char fill)
{
    std::ofstream out(path, std::ios::binary);
    const std::string block(1 << 20, fill);
    for (std::size_t written = 0; written < size; written += block.size()) {
        out.write(block.data(),
                  static_cast<std::streamsize>(std::min(block.size(), size - written)));
    }
}

struct Contender {
    std::string name;
    std::vector<std::string> command;
    fs::path target;
    std::vector<double> times;
};

// Runs each contender once per round, rotating who goes first, into an
// emptied target folder.
void alternate(std::vector<Contender>& contenders, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            auto& contender = contenders[(k + static_cast<std::size_t>(round)) % contenders.size()];
            emptyFolder(contender.target);
            contender.times.push_back(run(contender.command).seconds);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s WORKDIR RUN_EXPORT [WINDOW_EXPORT]\n", argv[0]);
        return 2;
    }
    const fs::path work = argv[1];
    const std::string runExport = argv[2];
    const std::string windowExport = argc > 3 ? argv[3] : "";

    std::printf("| Case | Measure | Tunecrate | cp or base | Ratio | Target |\n");
    std::printf("|---|---|---|---|---|---|\n");

    // 0. Reading alone: 1,000,000 comment lines, nothing to copy, beside wc -l.
    {
        const fs::path source = work / "c0";
        fs::create_directories(source);
        {
            std::ofstream list(source / "list.m3u", std::ios::binary);
            list << "#EXTM3U\r\n";
            for (int i = 1; i < 1'000'000; ++i) {
                list << "#EXTINF:" << i % 600 << ",Artist " << i << " - Title " << i << "\r\n";
            }
        }
        std::vector<Contender> contenders{
            {"core",
             {runExport, (source / "list.m3u").string(), (source / "out").string()},
             source / "out",
             {}},
            {"wc", {"wc", "-l", (source / "list.m3u").string()}, source / "unused", {}}};
        alternate(contenders, 5);
        const double core = median(contenders[0].times);
        const double wc = median(contenders[1].times);
        std::printf("| 0 | 1,000,000 comment lines, nothing copied, median of 5 | %.3f s | %.3f s "
                    "(wc -l) | %.2f × wc | |\n",
                    core, wc, core / wc);
        fs::remove_all(source);
    }

    // 1. 10,000 files of 4 KiB from an extended M3U.
    {
        const fs::path source = work / "c1";
        fs::create_directories(source / "s");
        std::ofstream list(source / "list.m3u", std::ios::binary);
        std::ofstream files(source / "files.txt", std::ios::binary);
        list << "#EXTM3U\r\n";
        for (int i = 0; i < 10000; ++i) {
            const fs::path song = source / "s" / ("song" + std::to_string(i) + ".mp3");
            writeBytes(song, 4096, static_cast<char>('a' + i % 26));
            list << "#EXTINF:200,Artist " << i << " - Title " << i << "\r\n"
                 << song.string() << "\r\n";
            files << song.string() << "\n";
        }
        list.close();
        files.close();
        std::vector<Contender> contenders{
            {"core",
             {runExport, (source / "list.m3u").string(), (source / "out-core").string()},
             source / "out-core",
             {}},
            {"cp",
             {"sh", "-c", "xargs -a \"$0\" -d '\\n' -s 1000000 cp -t \"$1\"",
              (source / "files.txt").string(), (source / "out-cp").string()},
             source / "out-cp",
             {}}};
        if (!windowExport.empty()) {
            contenders.push_back(
                {"window",
                 {windowExport, (source / "list.m3u").string(), (source / "out-window").string()},
                 source / "out-window",
                 {}});
        }
        alternate(contenders, 5);
        const double cp = median(contenders[1].times);
        const double core = median(contenders[0].times);
        std::printf(
            "| 1 | 10,000 × 4 KiB, core, median of 5 | %.3f s | %.3f s | %.2f × cp | ≤ 1.3 |\n",
            core, cp, core / cp);
        if (!windowExport.empty()) {
            const double window = median(contenders[2].times);
            std::printf("| 1 | 10,000 × 4 KiB, real window offscreen | %.3f s | %.3f s | %.2f × cp "
                        "| ≤ 2 |\n",
                        window, cp, window / cp);
        }
        fs::remove_all(source);
    }

    // 2. One 512 MiB file, progress reporting on.
    {
        const fs::path source = work / "c2";
        fs::create_directories(source);
        writeBytes(source / "big.mp3", std::size_t{512} << 20, 'b');
        std::ofstream(source / "list.m3u", std::ios::binary)
            << (source / "big.mp3").string() << "\r\n";
        std::vector<Contender> contenders{
            {"core",
             {runExport, (source / "list.m3u").string(), (source / "out-core").string()},
             source / "out-core",
             {}},
            {"cp",
             {"cp", (source / "big.mp3").string(), (source / "out-cp").string()},
             source / "out-cp",
             {}}};
        alternate(contenders, 3);
        const double core = median(contenders[0].times);
        const double cp = median(contenders[1].times);
        std::printf("| 2 | 512 MiB, throughput, median of 3 | %.0f MiB/s | %.0f MiB/s | %.2f × cp "
                    "| ≥ 0.95 |\n",
                    512 / core, 512 / cp, cp / core);
        fs::remove_all(source);
    }

    // 3 and 4. Scaling: one line in 100 an entry naming one of 100 tiny files.
    {
        const fs::path source = work / "c3";
        fs::create_directories(source / "s");
        for (int i = 0; i < 100; ++i) {
            writeBytes(source / "s" / ("tiny" + std::to_string(i) + ".mp3"), 16, 't');
        }
        struct Size {
            long lines;
            double perLine = 0;
            long peakKiB = 0;
        };
        std::vector<Size> sizes{{10'000}, {100'000}, {1'000'000}};
        for (auto& size : sizes) {
            const fs::path list = source / ("list" + std::to_string(size.lines) + ".m3u");
            std::ofstream out(list, std::ios::binary);
            out << "#EXTM3U\r\n";
            for (long line = 1; line < size.lines; ++line) {
                if (line % 100 == 0) {
                    out << (source / "s" / ("tiny" + std::to_string(line / 100 % 100) + ".mp3"))
                               .string()
                        << "\r\n";
                } else {
                    out << "#EXTINF:123,Some Artist - Some Title " << line << "\r\n";
                }
            }
            out.close();
            std::vector<double> times;
            for (int round = 0; round < 3; ++round) {
                emptyFolder(source / "out");
                const Measured measured =
                    run({runExport, list.string(), (source / "out").string()});
                times.push_back(measured.seconds);
                size.peakKiB = std::max(size.peakKiB, measured.peakKiB);
            }
            size.perLine = median(times) / static_cast<double>(size.lines);
        }
        std::printf("| 3 | time per line, 1M over 10k lines | %.2f µs | %.2f µs | %.2f | ≤ 1.5 |\n",
                    sizes[2].perLine * 1e6, sizes[0].perLine * 1e6,
                    sizes[2].perLine / sizes[0].perLine);
        // Each entry adds five log lines; the log is the window's, not the run's.
        std::printf("| 4 | peak memory, core run, 1M over 10k lines | %ld KiB | %ld KiB | %.2f | ≤ "
                    "1.2 apart from the log |\n",
                    sizes[2].peakKiB, sizes[0].peakKiB,
                    static_cast<double>(sizes[2].peakKiB) / static_cast<double>(sizes[0].peakKiB));
        fs::remove_all(source);
    }
    return 0;
}
