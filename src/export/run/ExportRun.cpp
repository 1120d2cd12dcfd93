#include "run/ExportRun.h"

#include "Language.h"
#include "drive/Drive.h"
#include "files/PlatformFiles.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistLines.h"
#include "run/DroppedCopies.h"
#include "run/EntryCopy.h"
#include "run/Preparation.h"
#include "run/RunContext.h"
#include "run/WrittenPlaylist.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace tunecrate {
namespace {

// The playlist's path made absolute, so that relative entries resolve to full
// paths whatever the program's working folder.
std::filesystem::path absolutePlaylistPath(const std::string& playlistPath)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(fsPath(playlistPath), error);
    return error ? fsPath(playlistPath) : path;
}

// What the runs under way know of the folders they write into: the names
// they gave (WrittenDestinations) and the folders' records with their locks.
// A run started while another waits shares it, and the next run after the
// outermost has ended starts afresh.
struct RunsUnderWay {
    explicit RunsUnderWay(const FileLookup& files) : written(files, followsWindowsRules, &records)
    {}
    RecordedFolders records;
    WrittenDestinations written;
    int runs = 0; // the outermost and those nested in it
};

std::shared_ptr<RunsUnderWay> runsUnderWay()
{
    static const SystemFileLookup files;
    static std::weak_ptr<RunsUnderWay> underWay;
    std::shared_ptr<RunsUnderWay> shared = underWay.lock();
    if (!shared) {
        shared = std::make_shared<RunsUnderWay>(files);
        underWay = shared;
    }
    return shared;
}

class Run {
public:
    Run(ExportWindow& window, const RunOptions& options)
        : run_(window, options, underWay_->records, underWay_->written, underWay_->runs++ > 0)
    {}
    ~Run() { --underWay_->runs; }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // The run, then the list of what failed and why below all it logged.
    RunSummary execute(const std::string& playlistPath)
    {
        runSteps(playlistPath);
        run_.logFailures();
        return run_.summary;
    }

private:
    enum class WalkEnd { Finished, Canceled };

    void runSteps(const std::string& playlistPath)
    {
        bool walking = false;
        bool failed = false;
        try {
            PlaylistLines lines(playlistPath);
            const std::filesystem::path playlist = absolutePlaylistPath(playlistPath);
            const std::optional<PlaylistMode> mode =
                lines.findFirstContent() ? decidePlaylistMode(lines.line(), playlist)
                                         : std::nullopt;
            if (!mode) {
                run_.window.setLog(Language().strNoPlaylistFound);
                run_.summary.refused = true;
                endSteps();
                return;
            }
            walking = true;
            const RunOptions& options = run_.options;
            if (options.withPlaylist) {
                writtenPlaylist_.emplace(*mode);
            }
            // Numbers and removals need to know next time what this run put where.
            run_.recorded.emplace(run_.records,
                                  options.withPlaylist || options.numbered || options.removeDropped,
                                  utf8Text(playlist));
            if (walk(*mode, lines, playlist) == WalkEnd::Canceled) {
                return;
            }
        } catch (const std::exception&) {
            failed = true;
        }
        // What the log already says about copied files stays true, so an
        // error during the walk is added below it, once they are on the drive;
        // before the walk there is nothing worth keeping.
        if (failed && walking) {
            ++run_.summary.errors;
            flushDrives();
            run_.log({crlf, Language().strNoPlaylistFound});
        } else if (failed) {
            run_.summary.refused = true;
            run_.window.setLog(Language().strNoPlaylistFound);
        }
        endSteps();
    }

    // Every line is examined, blank ones too: events pass and a cancel request
    // is honoured there. Only the end of the file ends the walk.
    WalkEnd walk(PlaylistMode mode, PlaylistLines& lines, const std::filesystem::path& playlist)
    {
        const std::filesystem::path playlistFolder = playlist.parent_path();
        for (std::int32_t lineNumber = 1; lines.next(); ++lineNumber) {
            if (!run_.keepGoing()) {
                return cancelled();
            }
            if (const std::optional<std::string_view> candidate =
                    entryCandidate(mode, lines.line())) {
                if (const std::optional<std::string> source =
                        sourcePath(*candidate, playlistFolder)) {
                    // Before the first copy: a playlist that names no file
                    // is never read twice.
                    if (!preparation_.prepared() &&
                        !preparation_.prepare(utf8Text(playlist), mode, playlistFolder)) {
                        if (run_.stopped) {
                            return cancelled();
                        }
                        run_.window.setProgressValue(0);
                        return WalkEnd::Canceled;
                    }
                    const std::optional<EntryCopy::Arrival> arrival =
                        entryCopy_.copy(*source, lines.truncated());
                    if (run_.stopped) {
                        return cancelled();
                    }
                    failed_ = failed_ || !arrival;
                    ++run_.summary.tried;
                    ++(arrival ? run_.summary.ok : run_.summary.errors);
                    if (writtenPlaylist_ && arrival) {
                        writtenPlaylist_->addCopy(lines.line(), arrival->folder, arrival->path);
                    } else if (writtenPlaylist_) {
                        writtenPlaylist_->leaveOut();
                    }
                } else if (writtenPlaylist_) {
                    writtenPlaylist_->keepAsWritten(lines.line(), *candidate);
                }
            } else if (writtenPlaylist_) {
                writtenPlaylist_->noteLine(lines.line());
            }
            // The run counts lines in 32 bits. A playlist longer than that is
            // no playlist anyone wrote, so the run stops there and ends as it
            // does on a read error, rather than letting the count wrap round.
            if (lineNumber == std::numeric_limits<std::int32_t>::max()) {
                throw std::overflow_error("the playlist has too many lines");
            }
        }
        // Closed before a playlist is written beside the copies, which may
        // be the folder it is read from.
        lines.close();
        if (writtenPlaylist_) {
            writePlaylist(playlist);
        }
        if (run_.options.removeDropped && !run_.nested && !failed_ &&
            !run_.window.cancelRequested()) {
            if (!preparation_.prepared()) { // the playlist names no file at all
                run_.order.playlist = utf8Text(playlist);
            }
            removeDroppedCopies(run_, preparation_.prepared() ? preparation_.folder()
                                                              : run_.window.pathTo());
        }
        flushDrives();
        run_.log({crlf, closingLine()});
        return WalkEnd::Finished;
    }

    WalkEnd cancelled()
    {
        flushDrives();
        run_.log({crlf, Language().strCanceled});
        run_.summary.cancelled = true;
        run_.window.setProgressValue(0);
        return WalkEnd::Canceled;
    }

    // "All files copied!" only where every entry, the written playlist and
    // the drives said so.
    std::string closingLine() const
    {
        const RunSummary& summary = run_.summary;
        if (summary.errors > 0) {
            std::string line = Language().strNotAllCopied;
            const int files = summary.tried + (writtenPlaylist_ ? 1 : 0);
            line.replace(line.find("%1"), 2, std::to_string(summary.errors));
            line.replace(line.find("%2"), 2, std::to_string(std::max(files, summary.errors)));
            return line;
        }
        return summary.flushFailed ? Language().strDriveUnconfirmed : Language().strAllFilesCopied;
    }

    // The playlist of what arrived, as one more record after the last entry's.
    void writePlaylist(const std::filesystem::path& playlist)
    {
        run_.log({crlf, utf8Text(playlist), crlf, Language().strCopiedTo});
        const std::string folder = run_.window.pathTo();
        const std::string name = utf8Text(playlist.stem()) + ".m3u8";
        PlacedPlaylist placed{numberedPath(folder, name, 1, false), Failure{Reason::FolderNotFull}};
        if (isAbsoluteFolder(folder)) {
            const DriveOfFolder::Facts& drive = run_.drives.of(folder);
            placed = placePlaylist(folder, name, writtenPlaylist_->text(folder), playlist,
                                   drive.windowsRules, drive.flushesEachCopy,
                                   [this] { run_.window.processEvents(); });
        }
        if (placed.written) {
            run_.writtenFolders.wrote(folder);
        }
        const bool ok = static_cast<bool>(placed.outcome);
        if (!ok) {
            failed_ = true;
            ++run_.summary.errors;
            run_.failed(placed.path, placed.outcome.failure());
        }
        run_.log({crlf, placed.path, crlf, ok ? "ok" : "error", crlf, "---"});
    }

    // Brings all the run wrote onto its drives before the run says it is
    // done, the folders' records with it: "error" on a line of its own when a
    // drive failed to take it. Panel 3 says so meanwhile, as the window goes
    // on answering.
    void flushDrives()
    {
        const std::vector<FailedPath> failed = run_.writtenFolders.flush(
            run_.recorded ? &*run_.recorded : nullptr, [this] { run_.window.processEvents(); },
            [this](bool flushing) {
                run_.window.activityChanged(flushing ? Activity::WritingToDrive
                                                     : Activity::Copying);
            });
        for (const FailedPath& what : failed) {
            run_.failed(what.path, what.failure);
        }
        if (!failed.empty()) {
            run_.summary.flushFailed = true;
            run_.log({crlf, "error"});
        }
    }

    void endSteps()
    {
        if (run_.window.cancelRequested()) {
            run_.summary.cancelled = true;
            run_.log({crlf, Language().strCanceled});
        }
        run_.window.setProgressValue(0);
    }

    std::shared_ptr<RunsUnderWay> underWay_ = runsUnderWay();
    RunContext run_;
    Preparation preparation_{run_};
    EntryCopy entryCopy_{run_};
    std::optional<WrittenPlaylist> writtenPlaylist_;
    bool failed_ = false; // an entry, or the written playlist, ended "error"
};

} // namespace

RunSummary runExport(ExportWindow& window)
{
    window.clearCancelRequest();
    window.setLog({});
    const std::string playlistPath = window.pathFrom();
    const RunOptions options{.withPlaylist = window.withPlaylist(),
                             .numbered = window.numbered(),
                             .removeDropped = window.removeDropped()};
    if (window.pathTo().empty()) {
        return {.refused = true};
    }
    return Run(window, options).execute(playlistPath);
}

} // namespace tunecrate
