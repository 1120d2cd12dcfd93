// Measures Tunecrate's export beside cp on generated data and prints one table.
//   tunecrate-bench WORKDIR RUN_EXPORT [WINDOW_EXPORT [EARLIER_WINDOW_EXPORT
//                   [EARLIER_RUN_EXPORT]]]
// RUN_EXPORT is the core-only runner (tunecrate-run-export); WINDOW_EXPORT, when
// given, runs the same export through the real window offscreen, and
// EARLIER_WINDOW_EXPORT through an earlier build of that window, so that the
// two are compared in the same rounds; EARLIER_RUN_EXPORT, the core-only
// runner of an earlier build, runs beside today's in cases 1, 2 and 5. An
// empty argument leaves that runner out. TUNECRATE_BENCH_CASES (say "0 1")
// runs only the parts it names. Every figure is a ratio of runs made side by
// side, alternating, in this one process.

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Measured {
    double seconds = 0;
    long peakKiB = 0;
    std::string output;
};

// Runs a command in a child process and waits; its wall time, peak memory and
// what it printed.
Measured run(const std::vector<std::string>& command)
{
    std::vector<char*> argv;
    for (const auto& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    std::array<int, 2> pipe{};
    if (::pipe(pipe.data()) != 0) {
        std::perror("bench: pipe");
        std::exit(1);
    }
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        if (::dup2(pipe[1], STDOUT_FILENO) < 0) {
            ::_exit(126);
        }
        ::close(pipe[1]);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipe[1]);
    Measured measured;
    std::array<char, 4096> buffer{};
    for (ssize_t count; (count = ::read(pipe[0], buffer.data(), buffer.size())) != 0;) {
        if (count > 0) {
            measured.output.append(buffer.data(), static_cast<std::size_t>(count));
        } else if (errno != EINTR) {
            break;
        }
    }
    ::close(pipe[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench: command failed: %s\n", command.front().c_str());
        std::exit(1);
    }
    measured.seconds = elapsed.count();
    measured.peakKiB = usage.ru_maxrss;
    return measured;
}

// The log size a runner reports: "<lines> log lines, <bytes> log bytes".
long logBytes(const Measured& measured)
{
    long lines = 0;
    long bytes = 0;
    if (std::sscanf(measured.output.c_str(), "%ld log lines, %ld log bytes", &lines, &bytes) != 2) {
        std::fprintf(stderr, "bench: a runner did not report its log: %s\n",
                     measured.output.c_str());
        std::exit(1);
    }
    return bytes;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
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
    // The command that writes into the given empty folder.
    std::function<std::vector<std::string>(const fs::path&)> command;
    std::vector<double> times;
};

// A program that takes a playlist and a target folder: the core or the window.
// options follow the two.
Contender exporter(std::string name, std::string program, std::string playlist,
                   std::vector<std::string> options = {})
{
    return {std::move(name),
            [program = std::move(program), playlist = std::move(playlist),
             options = std::move(options)](const fs::path& target) {
                std::vector<std::string> command{program, playlist, target.string()};
                command.insert(command.end(), options.begin(), options.end());
                return command;
            },
            {}};
}

// The contender of that name, or null when it does not run here.
const Contender* named(const std::vector<Contender>& contenders, std::string_view name)
{
    const auto found =
        std::find_if(contenders.begin(), contenders.end(),
                     [&](const Contender& contender) { return contender.name == name; });
    return found == contenders.end() ? nullptr : &*found;
}

// The core exporting again, into the same folder every time, over an export
// made once before the first round.
Contender exporterAgain(std::string name, const std::string& program, std::string playlist,
                        const fs::path& folder)
{
    fs::create_directories(folder);
    run({program, playlist, folder.string()});
    return {std::move(name),
            [program, playlist = std::move(playlist), folder](const fs::path&) {
                return std::vector<std::string>{program, playlist, folder.string()};
            },
            {}};
}

// cp copying the files that list names, one a line, in one process.
Contender cpFrom(const std::string& list)
{
    return {"cp",
            [list](const fs::path& target) {
                return std::vector<std::string>{"sh", "-c",
                                                "xargs -a \"$0\" -d '\\n' -s 1000000 cp -t \"$1\"",
                                                list, target.string()};
            },
            {}};
}

// Where the runs of a case write: a new empty folder for every run, and
// nothing removed until the bench is over. ext4 without a journal skips inodes
// freed in the last half minute when it allocates new ones, at a cost that
// grows with their number, so a run made soon after thousands of files were
// removed would pay for that removal. Only a case whose output is one big file
// removes it after each run, to keep unwritten data from piling up.
class Outputs {
public:
    Outputs(fs::path base, bool removeAfterEachRun)
        : base_(std::move(base)), removeAfterEachRun_(removeAfterEachRun)
    {}

    fs::path next()
    {
        const fs::path folder = base_ / std::to_string(count_++);
        fs::create_directories(folder);
        return folder;
    }
    void done(const fs::path& folder) const
    {
        if (removeAfterEachRun_) {
            fs::remove_all(folder);
        }
    }

private:
    fs::path base_;
    bool removeAfterEachRun_;
    int count_ = 0;
};

// Writes the generated data out, so that the disk is quiet when timing starts.
void settle()
{
    ::sync();
}

std::size_t filesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Ends the bench when folder does not hold that many files.
void expectFiles(const fs::path& folder, std::size_t count)
{
    if (filesIn(folder) != count) {
        std::fprintf(stderr, "bench: %s holds %zu files, not %zu\n", folder.c_str(),
                     filesIn(folder), count);
        std::exit(1);
    }
}

// Runs each contender once per round, rotating who goes first. A run of the
// contender at index k must leave expectedFiles[k] files, when that is given,
// or the bench fails.
void alternate(std::vector<Contender>& contenders, int rounds, Outputs& outputs,
               const std::vector<std::optional<std::size_t>>& expectedFiles)
{
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const std::size_t index = (k + static_cast<std::size_t>(round)) % contenders.size();
            auto& contender = contenders[index];
            const fs::path target = outputs.next();
            contender.times.push_back(run(contender.command(target)).seconds);
            if (const std::optional<std::size_t> expected = expectedFiles.at(index)) {
                expectFiles(target, *expected);
            }
            outputs.done(target);
        }
    }
}

// The same with one count for every contender; 0 checks nothing.
void alternate(std::vector<Contender>& contenders, int rounds, Outputs& outputs,
               std::size_t expectedFiles = 0)
{
    alternate(
        contenders, rounds, outputs,
        std::vector<std::optional<std::size_t>>(
            contenders.size(), expectedFiles > 0 ? std::optional(expectedFiles) : std::nullopt));
}

// An export made again (first) and its base (second) taking turns: their
// medians, once the folder exported again still holds its files.
std::pair<double, double> againBesideBase(std::vector<Contender>& pair, int rounds,
                                          Outputs& outputs, const fs::path& again,
                                          std::size_t files = 10000)
{
    settle();
    alternate(pair, rounds, outputs);
    expectFiles(again, files);
    return {median(pair[0].times), median(pair[1].times)};
}

// Whether TUNECRATE_BENCH_CASES, when set, names the part: a case's number, or
// for case 1's longer parts, which go with it, "1p" (playlist beside), "1r"
// (the room counted alone) and "1a" (exported again), or case 5's music-sized files alone, "5m", or
// its exports made again through the window alone, "5a".
bool caseChosen(std::string_view part)
{
    const char* chosen = std::getenv("TUNECRATE_BENCH_CASES");
    if (chosen == nullptr || *chosen == '\0') {
        return true;
    }
    std::istringstream words(chosen);
    for (std::string word; words >> word;) {
        if (word == part) {
            return true;
        }
    }
    return false;
}

// A playlist with nothing in it, in folder: what the window's start and quit
// are timed on.
fs::path emptyPlaylist(const fs::path& folder)
{
    const fs::path empty = folder / "empty.m3u";
    std::ofstream(empty, std::ios::binary) << "#EXTM3U\r\n";
    return empty;
}

// Two costs of the window that no work on a run's own code takes away: its
// start and quit around a playlist with nothing in it, and the event-loop
// passes a run of case 1 makes (one at each of its 20,001 examined lines and
// each of its 20,000 progress notifications), each with nothing pending.
void windowCosts(const std::string& windowExport, const fs::path& source, int rounds, double cp)
{
    const fs::path empty = emptyPlaylist(source);
    const long passes = 40001;
    std::vector<double> starts;
    std::vector<double> passTimes;
    for (int round = 0; round < rounds; ++round) {
        starts.push_back(run({windowExport, empty.string(), source.string()}).seconds);
        const Measured measured = run({windowExport, "--passes", std::to_string(passes)});
        double seconds = 0;
        if (std::sscanf(measured.output.c_str(), "%*[0-9] passes, %lf seconds", &seconds) != 1) {
            std::fprintf(stderr, "bench: the window did not report its passes: %s\n",
                         measured.output.c_str());
            std::exit(1);
        }
        passTimes.push_back(seconds);
    }
    const double start = median(starts);
    const double passing = median(passTimes);
    std::printf("| 1 | the window's start and quit, empty playlist, median of %d | %.3f s | %.3f s "
                "| %.2f × cp | |\n",
                rounds, start, cp, start / cp);
    std::printf("| 1 | the window's %ld event-loop passes, nothing pending (%.2f µs each), median "
                "of %d | %.3f s | %.3f s | %.2f × cp | |\n",
                passes, passing / static_cast<double>(passes) * 1e6, rounds, passing, cp,
                passing / cp);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s WORKDIR RUN_EXPORT [WINDOW_EXPORT [EARLIER_WINDOW_EXPORT "
                     "[EARLIER_RUN_EXPORT]]]\n",
                     argv[0]);
        return 2;
    }
    const fs::path work = argv[1];
    const std::string runExport = argv[2];
    const std::string windowExport = argc > 3 ? argv[3] : "";
    const std::string earlierWindowExport = argc > 4 ? argv[4] : "";
    const std::string earlierRunExport = argc > 5 ? argv[5] : "";

    std::printf("| Case | Measure | Tunecrate | cp or base | Ratio | Target |\n");
    std::printf("|---|---|---|---|---|---|\n");

    // 0. Reading alone: 1,000,000 comment lines, nothing to copy, beside wc -l;
    // once with CR LF line ends and once with LF alone, as most playlists have.
    if (caseChosen("0")) {
        const fs::path source = work / "c0";
        fs::create_directories(source);
        for (const std::string_view lineEnd : {"\r\n", "\n"}) {
            std::ofstream list(source / (lineEnd == "\n" ? "list-lf.m3u" : "list.m3u"),
                               std::ios::binary);
            list << "#EXTM3U" << lineEnd;
            for (int i = 1; i < 1'000'000; ++i) {
                list << "#EXTINF:" << i % 600 << ",Artist " << i << " - Title " << i << lineEnd;
            }
        }
        const std::string list = (source / "list.m3u").string();
        const std::string listLf = (source / "list-lf.m3u").string();
        std::vector<Contender> contenders{exporter("core", runExport, list),
                                          exporter("core LF", runExport, listLf),
                                          {"wc",
                                           [&](const fs::path&) {
                                               return std::vector<std::string>{"wc", "-l", list};
                                           },
                                           {}}};
        Outputs outputs(source / "out", false);
        alternate(contenders, 5, outputs);
        const double wc = median(contenders[2].times);
        for (std::size_t i = 0; i < 2; ++i) {
            const double core = median(contenders[i].times);
            std::printf("| 0 | 1,000,000 comment lines%s, nothing copied, median of 5 | %.3f s | "
                        "%.3f s (wc -l) | %.2f × wc | ≤ 2 |\n",
                        i == 0 ? " (CR LF)" : " (LF)", core, wc, core / wc);
        }
        fs::remove_all(source);
    }

    // 1. 10,000 files of 4 KiB from an extended M3U.
    if (caseChosen("1")) {
        const fs::path source = work / "c1";
        fs::create_directories(source / "s");
        std::ofstream list(source / "list.m3u", std::ios::binary);
        // The same songs as most tools write them: LF alone, relative entries.
        std::ofstream listLf(source / "list-lf.m3u", std::ios::binary);
        std::ofstream files(source / "files.txt", std::ios::binary);
        list << "#EXTM3U\r\n";
        listLf << "#EXTM3U\n";
        for (int i = 0; i < 10000; ++i) {
            const std::string name = "song" + std::to_string(i) + ".mp3";
            const fs::path song = source / "s" / name;
            writeBytes(song, 4096, static_cast<char>('a' + i % 26));
            list << "#EXTINF:200,Artist " << i << " - Title " << i << "\r\n"
                 << song.string() << "\r\n";
            listLf << "#EXTINF:200,Artist " << i << " - Title " << i << "\ns/" << name << "\n";
            files << song.string() << "\n";
        }
        list.close();
        listLf.close();
        files.close();
        const std::string listPath = (source / "list.m3u").string();
        const std::string listLfPath = (source / "list-lf.m3u").string();
        const std::string filesPath = (source / "files.txt").string();
        std::vector<Contender> contenders{exporter("core", runExport, listPath), cpFrom(filesPath)};
        contenders.push_back(exporter("core LF", runExport, listLfPath));
        if (!windowExport.empty()) {
            contenders.push_back(exporter("window", windowExport, listPath));
        }
        if (!windowExport.empty() && !earlierWindowExport.empty()) {
            contenders.push_back(exporter("earlier window", earlierWindowExport, listPath));
        }
        if (!earlierRunExport.empty()) {
            contenders.push_back(exporter("earlier core", earlierRunExport, listPath));
        }
        settle();
        Outputs outputs(source / "out", false);
        const int rounds = 7;
        alternate(contenders, rounds, outputs, 10000);
        const double cp = median(contenders[1].times);
        const double core = median(contenders[0].times);
        std::printf(
            "| 1 | 10,000 × 4 KiB, core, median of %d | %.3f s | %.3f s | %.2f × cp | ≤ 1.1 |\n",
            rounds, core, cp, core / cp);
        const double coreLf = median(contenders[2].times);
        std::printf("| 1 | 10,000 × 4 KiB, core, LF and relative entries, median of %d | %.3f s | "
                    "%.3f s | %.2f × cp | ≤ 1.1 |\n",
                    rounds, coreLf, cp, coreLf / cp);
        if (!windowExport.empty()) {
            const double window = median(contenders[3].times);
            std::printf("| 1 | 10,000 × 4 KiB, real window offscreen, median of %d | %.3f s | %.3f "
                        "s | %.2f × cp (%.2f × core) | ≤ 3.0 × cp |\n",
                        rounds, window, cp, window / cp, window / core);
        }
        if (const Contender* earlierWindow = named(contenders, "earlier window")) {
            const double earlier = median(earlierWindow->times);
            std::printf("| 1 | 10,000 × 4 KiB, the earlier build's window, median of %d | %.3f s | "
                        "%.3f s | %.2f × cp (%.2f × core) | |\n",
                        rounds, earlier, cp, earlier / cp, earlier / core);
        }
        if (const Contender* earlierCore = named(contenders, "earlier core")) {
            const double earlier = median(earlierCore->times);
            std::printf("| 1 | 10,000 × 4 KiB, the earlier build's core, median of %d | %.3f s | "
                        "%.3f s | %.2f × cp (%.2f × core) | |\n",
                        rounds, earlier, cp, earlier / cp, earlier / core);
        }
        if (!windowExport.empty()) {
            windowCosts(windowExport, source, rounds, cp);
        }

        // The core's plain export beside the same with one option, taking
        // turns: the medians of both.
        const auto besidePlain = [&](const char* name, const char* option) {
            std::vector<Contender> pair{exporter("core", runExport, listPath),
                                        exporter(name, runExport, listPath, {option})};
            alternate(pair, rounds, outputs);
            return std::pair{median(pair[0].times), median(pair[1].times)};
        };

        if (caseChosen("1p")) {
            // The same export with the box for the playlist beside the copies
            // checked, and without.
            const auto [plain, checked] = besidePlain("core with playlist", "--with-playlist");
            std::printf(
                "| 1 | 10,000 × 4 KiB, core, playlist written beside, median of %d | %.3f s | "
                "%.3f s (without) | %.2f × without | ≤ 1.05 |\n",
                rounds, checked, plain, checked / plain);
        }

        if (caseChosen("1r")) {
            // The room an export will take, counted as a run does before its
            // first copy, beside that first export.
            const auto [first, counted] = besidePlain("room count", "--count-room");
            std::printf("| 1 | 10,000 × 4 KiB, the room counted alone, median of %d | %.3f s | "
                        "%.3f s (first export) | %.2f × first | ≤ 0.1 |\n",
                        rounds, counted, first, counted / first);
        }

        if (caseChosen("1a")) {
            // Exported again over an unchanged first export: every file is of the
            // same size, so each one's name is checked against the folder.
            const int againRounds = 3;
            std::vector<Contender> again{
                exporterAgain("core again", runExport, listPath, source / "again"),
                exporter("core", runExport, listPath)};
            const auto [second, first] =
                againBesideBase(again, againRounds, outputs, source / "again");
            std::printf("| 1 | 10,000 × 4 KiB, one size, exported again unchanged, median of %d | "
                        "%.3f s | %.3f s (first export) | %.2f × first | ≤ 1.2 |\n",
                        againRounds, second, first, second / first);
        }
    }

    // 1 again: 10,000 files of as many sizes (4 KiB and up), exported again
    // over an unchanged first export, beside cp copying them afresh.
    if (caseChosen("1a")) {
        const fs::path source = work / "c1b";
        fs::create_directories(source / "s");
        std::ofstream list(source / "list.m3u", std::ios::binary);
        std::ofstream files(source / "files.txt", std::ios::binary);
        list << "#EXTM3U\r\n";
        for (int i = 0; i < 10000; ++i) {
            const fs::path song = source / "s" / ("song" + std::to_string(i) + ".mp3");
            writeBytes(song, 4096 + static_cast<std::size_t>(i), static_cast<char>('a' + i % 26));
            list << "#EXTINF:200,Artist " << i << " - Title " << i << "\r\n"
                 << song.string() << "\r\n";
            files << song.string() << "\n";
        }
        list.close();
        files.close();
        std::vector<Contender> contenders{exporterAgain("core again", runExport,
                                                        (source / "list.m3u").string(),
                                                        source / "again"),
                                          cpFrom((source / "files.txt").string())};
        Outputs outputs(source / "out", false);
        const int rounds = 7;
        const auto [again, cp] = againBesideBase(contenders, rounds, outputs, source / "again");
        std::printf("| 1 | 10,000 × 4 to 14 KiB, core, exported again unchanged, median of %d | "
                    "%.3f s | %.3f s | %.2f × cp | ≤ 0.5 |\n",
                    rounds, again, cp, again / cp);
    }

    // 2. One 512 MiB file, progress reporting on.
    if (caseChosen("2")) {
        const fs::path source = work / "c2";
        fs::create_directories(source);
        writeBytes(source / "big.mp3", std::size_t{512} << 20, 'b');
        std::ofstream(source / "list.m3u", std::ios::binary)
            << (source / "big.mp3").string() << "\r\n";
        const std::string listPath = (source / "list.m3u").string();
        const std::string bigPath = (source / "big.mp3").string();
        std::vector<Contender> contenders{
            exporter("core", runExport, listPath),
            {"cp",
             [&](const fs::path& target) {
                 return std::vector<std::string>{"cp", bigPath, target.string()};
             },
             {}}};
        if (!earlierRunExport.empty()) {
            contenders.push_back(exporter("earlier core", earlierRunExport, listPath));
        }
        settle();
        Outputs outputs(source / "out", true);
        const int rounds = 9;
        alternate(contenders, rounds, outputs);
        const double core = median(contenders[0].times);
        const double cp = median(contenders[1].times);
        std::printf("| 2 | 512 MiB, throughput, median of %d | %.0f MiB/s | %.0f MiB/s | %.2f × cp "
                    "| ≥ 0.95 |\n",
                    rounds, 512 / core, 512 / cp, cp / core);
        if (const Contender* earlierCore = named(contenders, "earlier core")) {
            const double earlier = median(earlierCore->times);
            std::printf("| 2 | 512 MiB, throughput, the earlier build's core, median of %d | %.0f "
                        "MiB/s | %.0f MiB/s | %.2f × cp (%.2f × core) | |\n",
                        rounds, 512 / earlier, 512 / cp, cp / earlier, core / earlier);
        }
        fs::remove_all(source);
    }

    // 3 and 4. Scaling: one line in 100 an entry, each naming a tiny file of its
    // own, so that every size does the same kind of work per line (replacing
    // files instead of writing new ones costs several times as much). The
    // start-up of a run, timed on a playlist of one line, is taken off first.
    if (caseChosen("3") || caseChosen("4")) {
        const fs::path source = work / "c3";
        fs::create_directories(source / "s");
        const auto tiny = [&](long number) {
            return source / "s" / ("tiny" + std::to_string(number) + ".mp3");
        };
        for (long i = 1; i <= 10'000; ++i) {
            writeBytes(tiny(i), 16, 't');
        }
        struct Size {
            long lines;
            fs::path list;
            std::vector<double> times;
            long peakKiB = 0;
            long logKiB = 0;
            // Peak memory less what the log itself holds.
            [[nodiscard]] long ownKiB() const { return peakKiB - logKiB; }
        };
        std::vector<Size> sizes{
            {1, {}, {}}, {10'000, {}, {}}, {100'000, {}, {}}, {1'000'000, {}, {}}};
        for (auto& size : sizes) {
            size.list = source / ("list" + std::to_string(size.lines) + ".m3u");
            std::ofstream out(size.list, std::ios::binary);
            out << "#EXTM3U\r\n";
            for (long line = 1; line < size.lines; ++line) {
                if (line % 100 == 0) {
                    out << tiny(line / 100).string() << "\r\n";
                } else {
                    out << "#EXTINF:123,Some Artist - Some Title " << line << "\r\n";
                }
            }
        }
        settle();
        Outputs outputs(source / "out", false);
        for (std::size_t round = 0; round < 5; ++round) {
            for (std::size_t k = 0; k < sizes.size(); ++k) {
                Size& size = sizes[(k + round) % sizes.size()];
                const Measured measured =
                    run({runExport, size.list.string(), outputs.next().string()});
                size.times.push_back(measured.seconds);
                size.peakKiB = std::max(size.peakKiB, measured.peakKiB);
                size.logKiB = logBytes(measured) / 1024;
            }
        }
        const double startUp = median(sizes[0].times);
        const auto perLine = [&](const Size& size) {
            return (median(size.times) - startUp) / static_cast<double>(size.lines);
        };
        const Size& small = sizes[1];
        const Size& large = sizes[3];
        std::printf("| 3 | time per line less start-up (%.1f ms), 1M over 10k lines, median of 5 | "
                    "%.2f µs | %.2f µs | %.2f | ≤ 1.5 |\n",
                    startUp * 1e3, perLine(large) * 1e6, perLine(small) * 1e6,
                    perLine(large) / perLine(small));
        // Each entry adds five log lines; the log is the window's, not the run's.
        std::printf("| 4 | peak memory, core run, 1M over 10k lines | %ld KiB (log %ld KiB) | %ld "
                    "KiB (log %ld KiB) | %.2f apart from the log | ≤ 1.2 |\n",
                    large.peakKiB, large.logKiB, small.peakKiB, small.logKiB,
                    static_cast<double>(large.ownKiB()) / static_cast<double>(small.ownKiB()));
    }

    // 5. The window on music: 100 songs of 4 MiB through the core, the window
    // and cp, with the window's start and quit timed in the same rounds. The
    // window may take the core's time, its start and quit, and 3 % of the
    // core's time. "5m" alone runs these rows.
    if (caseChosen("5") || caseChosen("5m")) {
        const fs::path source = work / "c5m";
        fs::create_directories(source / "s");
        const std::size_t songs = 100;
        std::ofstream list(source / "list.m3u", std::ios::binary);
        std::ofstream files(source / "files.txt", std::ios::binary);
        list << "#EXTM3U\r\n";
        for (std::size_t i = 0; i < songs; ++i) {
            const fs::path song = source / "s" / ("track" + std::to_string(i) + ".mp3");
            writeBytes(song, std::size_t{4} << 20, static_cast<char>('a' + i % 26));
            list << "#EXTINF:240,Artist " << i << " - Title " << i << "\r\n"
                 << song.string() << "\r\n";
            files << song.string() << "\n";
        }
        list.close();
        files.close();
        const std::string listPath = (source / "list.m3u").string();
        std::vector<Contender> contenders{exporter("core", runExport, listPath),
                                          cpFrom((source / "files.txt").string())};
        std::vector<std::optional<std::size_t>> expected{songs, songs};
        if (!windowExport.empty()) {
            contenders.push_back(
                exporter("window start", windowExport, emptyPlaylist(source).string()));
            expected.emplace_back(0);
            contenders.push_back(exporter("window", windowExport, listPath));
            expected.emplace_back(songs);
            if (!earlierWindowExport.empty()) {
                contenders.push_back(exporter("earlier window", earlierWindowExport, listPath));
                expected.emplace_back(songs);
            }
        }
        if (!earlierRunExport.empty()) {
            contenders.push_back(exporter("earlier core", earlierRunExport, listPath));
            expected.emplace_back(songs);
        }
        settle();
        // 400 MiB a run: each output goes once its run is checked.
        Outputs outputs(source / "out", true);
        const int rounds = 7;
        alternate(contenders, rounds, outputs, expected);
        const double core = median(contenders[0].times);
        const double cp = median(contenders[1].times);
        std::printf("| 5 | 100 × 4 MiB, core, median of %d | %.3f s | %.3f s | %.2f × cp | |\n",
                    rounds, core, cp, core / cp);
        if (const Contender* earlierCore = named(contenders, "earlier core")) {
            const double earlier = median(earlierCore->times);
            std::printf("| 5 | 100 × 4 MiB, the earlier build's core, median of %d | %.3f s | %.3f "
                        "s | %.2f × cp (%.2f × core) | |\n",
                        rounds, earlier, cp, earlier / cp, earlier / core);
        }
        if (!windowExport.empty()) {
            const double start = median(contenders[2].times);
            const double allowed = core + start + 0.03 * core;
            std::printf(
                "| 5 | the window's start and quit, empty playlist, median of %d | %.3f s | "
                "%.3f s | %.2f × cp | |\n",
                rounds, start, cp, start / cp);
            const auto windowRow = [&](const char* who, double seconds, const char* target) {
                std::printf("| 5 | 100 × 4 MiB, %s, median of %d | %.3f s | %.3f s (core %.3f + "
                            "start %.3f + 3 %% of core %.3f) | %.2f × allowed (%.2f × cp) |%s|\n",
                            who, rounds, seconds, allowed, core, start, 0.03 * core,
                            seconds / allowed, seconds / cp, target);
            };
            windowRow("real window offscreen", median(contenders[3].times),
                      " ≤ 1 × core + start + 3 % of core ");
            if (const Contender* earlierWindow = named(contenders, "earlier window")) {
                windowRow("the earlier build's window", median(earlierWindow->times), " ");
            }
        }
        fs::remove_all(source);
    }

    // 5 again: 3,000 and 10,000 files of 4 KiB, all of one size, exported
    // again unchanged through the window beside its own first export, with
    // the core's pair beside for comparison. "5a" alone runs these rows.
    if ((caseChosen("5") || caseChosen("5a")) && !windowExport.empty()) {
        const fs::path source = work / "c5a";
        fs::create_directories(source / "s");
        struct Size {
            std::size_t files;
            const char* shown;
        };
        const std::array<Size, 2> sizes{{{3000, "3,000"}, {10000, "10,000"}}};
        std::vector<fs::path> songs;
        for (std::size_t i = 0; i < sizes.back().files; ++i) {
            songs.push_back(source / "s" / ("song" + std::to_string(i) + ".mp3"));
            writeBytes(songs.back(), 4096, static_cast<char>('a' + i % 26));
        }
        Outputs outputs(source / "out", false);
        const int rounds = 5;
        for (const Size& size : sizes) {
            const std::string count = std::to_string(size.files);
            const std::string listPath = (source / ("list" + count + ".m3u")).string();
            std::ofstream list(listPath, std::ios::binary);
            list << "#EXTM3U\r\n";
            for (std::size_t i = 0; i < size.files; ++i) {
                list << "#EXTINF:200,Artist " << i << " - Title " << i << "\r\n"
                     << songs[i].string() << "\r\n";
            }
            list.close();
            // Pairs of an export made again, over one made before the first
            // round into a folder of its own, and that program's first export.
            std::vector<std::pair<std::string, std::string>> programs{{"window", windowExport}};
            if (!earlierWindowExport.empty()) {
                programs.emplace_back("earlier", earlierWindowExport);
            }
            programs.emplace_back("core", runExport);
            std::vector<Contender> contenders;
            std::vector<std::optional<std::size_t>> expected;
            for (const auto& [who, program] : programs) {
                contenders.push_back(exporterAgain(who + " again", program, listPath,
                                                   source / ("again-" + who + "-" + count)));
                expected.emplace_back(std::nullopt);
                contenders.push_back(exporter(who, program, listPath));
                expected.emplace_back(size.files);
            }
            settle();
            alternate(contenders, rounds, outputs, expected);
            for (std::size_t k = 0; k < programs.size(); ++k) {
                const std::string& who = programs[k].first;
                expectFiles(source / ("again-" + who + "-" + count), size.files);
                const double again = median(contenders[2 * k].times);
                const double first = median(contenders[2 * k + 1].times);
                const char* measure = who == "window"    ? "real window offscreen"
                                      : who == "earlier" ? "the earlier build's window"
                                                         : "core, for comparison";
                std::printf("| 5 | %s × 4 KiB, one size, %s, exported again unchanged, median of "
                            "%d | %.3f s | %.3f s (its first export) | %.2f × first |%s|\n",
                            size.shown, measure, rounds, again, first, again / first,
                            who == "window" ? " ≤ 0.8 × first (tmpfs) " : " ");
            }
        }
    }
    return 0;
}
