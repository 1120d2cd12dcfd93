#include "run/ExportRun.h"

#include "Language.h"
#include "drive/Drive.h"
#include "drive/FileOps.h"
#include "drive/Flush.h"
#include "files/Paths.h"
#include "files/PlatformFiles.h"
#include "folder/PlayOrder.h"
#include "folder/PlaylistSources.h"
#include "folder/RecordedFolders.h"
#include "folder/Steps.h"
#include "folder/TemporarySweep.h"
#include "folder/WrittenDestinations.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistLines.h"
#include "run/CopyBar.h"
#include "run/RoomCheck.h"
#include "run/WrittenFolders.h"
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

constexpr std::string_view crlf = "\r\n";

// The playlist's path made absolute, so that relative entries resolve to full
// paths whatever the program's working folder.
std::filesystem::path absolutePlaylistPath(const std::string& playlistPath)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(fsPath(playlistPath), error);
    return error ? fsPath(playlistPath) : path;
}

// Only an absolute folder is one the user can find again; "out" or "." would
// lie under the program's working folder.
bool isAbsoluteFolder(const std::string& folder)
{
    return !holdsNul(folder) && fsPath(folder).is_absolute();
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

// What the drive that holds a target folder is, as a run asks it once for
// each folder in a row.
struct Drive {
    std::string folder;
    bool windowsRules = false;
    bool flushesEachCopy = false;
    std::optional<std::uint64_t> largestFile;
};

// What the window's check boxes ask of a run, read at its start.
struct RunOptions {
    bool withPlaylist = false;
    bool numbered = false;
    bool removeDropped = false;
};

class Run {
public:
    Run(ExportWindow& window, const RunOptions& options)
        : window_(window), options_(options), nested_(underWay_->runs++ > 0)
    {}
    ~Run() { --underWay_->runs; }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    RunSummary execute(const std::string& playlistPath)
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
                window_.setLog(Language().strNoPlaylistFound);
                summary_.refused = true;
                endSteps();
                return summary_;
            }
            walking = true;
            if (options_.withPlaylist) {
                writtenPlaylist_.emplace(*mode);
            }
            // Numbers and removals need to know next time what this run put where.
            recorded_.emplace(underWay_->records,
                              options_.withPlaylist || options_.numbered || options_.removeDropped,
                              utf8Text(playlist));
            if (walk(*mode, lines, playlist) == WalkEnd::Canceled) {
                return summary_;
            }
        } catch (const std::exception&) {
            failed = true;
        }
        // What the log already says about copied files stays true, so an
        // error during the walk is added below it, once they are on the drive;
        // before the walk there is nothing worth keeping.
        if (failed && walking) {
            ++summary_.errors;
            flushDrives();
            window_.appendLog(concat({crlf, Language().strNoPlaylistFound}));
        } else if (failed) {
            summary_.refused = true;
            window_.setLog(Language().strNoPlaylistFound);
        }
        endSteps();
        return summary_;
    }

private:
    enum class WalkEnd { Finished, Canceled };

    // Every line is examined, blank ones too: events pass and a cancel request
    // is honoured there. Only the end of the file ends the walk.
    WalkEnd walk(PlaylistMode mode, PlaylistLines& lines, const std::filesystem::path& playlist)
    {
        const std::filesystem::path playlistFolder = playlist.parent_path();
        for (std::int32_t lineNumber = 1; lines.next(); ++lineNumber) {
            window_.processEvents();
            if (window_.cancelRequested()) {
                return cancelled();
            }
            if (const std::optional<std::string_view> candidate =
                    entryCandidate(mode, lines.line())) {
                if (const std::optional<std::string> source =
                        sourcePath(*candidate, playlistFolder)) {
                    // Before the first copy: a playlist that names no file
                    // is never read twice.
                    if (!prepared_) {
                        prepared_ = true;
                        if (!prepare(utf8Text(playlist), mode, playlistFolder)) {
                            if (stopped_) {
                                return cancelled();
                            }
                            window_.setProgressValue(0);
                            return WalkEnd::Canceled;
                        }
                    }
                    const std::optional<Arrival> arrival = copyEntry(*source, lines.truncated());
                    if (stopped_) {
                        return cancelled();
                    }
                    failed_ = failed_ || !arrival;
                    ++summary_.tried;
                    ++(arrival ? summary_.ok : summary_.errors);
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
        if (options_.removeDropped && !nested_ && !failed_ && !window_.cancelRequested()) {
            removeDropped(utf8Text(playlist));
        }
        flushDrives();
        window_.appendLog(concat({crlf, closingLine()}));
        return WalkEnd::Finished;
    }

    WalkEnd cancelled()
    {
        flushDrives();
        window_.appendLog(concat({crlf, Language().strCanceled}));
        summary_.cancelled = true;
        window_.setProgressValue(0);
        return WalkEnd::Canceled;
    }

    // Takes folder's lock where its record is kept, waiting for as long as
    // another program's run holds it, and saying so once. False when the
    // user cancelled meanwhile: the run stops.
    bool waitForFolder(const std::string& folder, bool windowsRules)
    {
        const bool ready = recorded_->readyToWrite(
            folder, windowsRules,
            {.started =
                 [this] {
                     window_.appendLog(concat({crlf, Language().strWaitingForFolder}));
                 },
             .keepWaiting =
                 [this] {
                     window_.processEvents();
                     return !window_.cancelRequested();
                 }});
        stopped_ = !ready;
        return ready;
    }

    // "All files copied!" only where every entry, the written playlist and
    // the drives said so.
    std::string closingLine() const
    {
        if (summary_.errors > 0) {
            std::string line = Language().strNotAllCopied;
            const int files = summary_.tried + (writtenPlaylist_ ? 1 : 0);
            line.replace(line.find("%1"), 2, std::to_string(summary_.errors));
            line.replace(line.find("%2"), 2, std::to_string(std::max(files, summary_.errors)));
            return line;
        }
        return summary_.flushFailed ? Language().strDriveUnconfirmed : Language().strAllFilesCopied;
    }

    // Before the first copy: counts the entries for their numbers and what
    // the run will write, and asks when that does not fit on the target's
    // drive (false: the user has the run copy nothing, and the log says why);
    // then the copies already there take the names the playlist's order
    // gives them now.
    bool prepare(const std::string& playlistPath, PlaylistMode mode,
                 const std::filesystem::path& playlistFolder)
    {
        const std::string folder = window_.pathTo();
        const bool absolute = isAbsoluteFolder(folder);
        if (!absolute && !options_.numbered) {
            return true;
        }
        const Drive* drive = absolute ? &driveOf(folder) : nullptr;
        const bool rules = drive != nullptr && drive->windowsRules;
        // Every decision that rests on the record is made under the lock.
        if (absolute && !waitForFolder(folder, rules)) {
            return false;
        }
        FolderRecord* record = absolute ? underWay_->records.record(folder, rules) : nullptr;
        order_ = {.playlist = playlistPath,
                  .places = {},
                  .entries = 0,
                  .numbered = options_.numbered,
                  .sources = &sources_};
        const std::optional<Room> room = countRoom(
            playlistPath, mode, playlistFolder, folder, rules, record, options_.numbered,
            drive != nullptr ? drive->largestFile : std::nullopt,
            [this, record](int number, const std::string& source) {
                sources_.add(source);
                // Where the record lists the playlist's sources, for renames and removals.
                if (record != nullptr && record->findSource(source) != nullptr) {
                    const auto [place, added] =
                        order_.places.try_emplace(platform::comparablePath(source), number);
                    place->second = added ? number : 0;
                }
            },
            [this] {
                window_.processEvents();
                return !window_.cancelRequested();
            });
        if (!room) {
            return true; // stopped: the walk's next line ends the run
        }
        order_.entries = room->entries;
        if (absolute && room->free && room->needed > *room->free) {
            const std::string question = roomSentence(*room);
            const std::optional<bool> answer = window_.copyWhatFits(question);
            if (!answer.value_or(false)) {
                // Ctrl+C at the question is a cancel; nobody to ask is no cancel.
                summary_.cancelled = window_.cancelRequested();
                window_.appendLog(
                    concat({crlf, question, crlf,
                            answer ? Language().strCanceled : Language().strNothingCopied}));
                summary_.refused = true;
                return false;
            }
        }
        orderFolder_ = folder;
        if (record != nullptr && !nested_) {
            putInOrder(folder, rules, *record);
        }
        return true;
    }

    // Finishes the renames a run that stopped midway left, then renames the
    // copies whose places in the playlist changed.
    void putInOrder(const std::string& folder, bool rules, FolderRecord& record)
    {
        const platform::WhileWaiting whileWaiting = [this] {
            window_.processEvents();
        };
        const bool flushFirst = driveOf(folder).flushesEachCopy;
        bool written = true;
        reached(Step::Renaming);
        if (finishRenames(folder, record, &sources_, rules, whileWaiting)) {
            written = writeRecord(folder, record, flushFirst, whileWaiting);
        }
        const std::vector<Rename> renames = plannedRenames(record, folder, order_, rules);
        written =
            renameCopies(folder, record, renames, &sources_, rules, flushFirst, whileWaiting) &&
            written;
        if (!written) {
            writtenFolders_.recordFailed();
        }
        if (!renames.empty()) {
            writtenFolders_.wrote(folder);
        }
    }

    // Offers to remove the copies in the folder the run began with that the
    // playlist no longer names, and removes those the user agrees to,
    // each as the record on the drive still has it, one line in the log for each.
    void removeDropped(const std::string& playlistPath)
    {
        if (!prepared_) {
            orderFolder_ = window_.pathTo(); // the playlist names no file at all
            order_.playlist = playlistPath;
        }
        const std::string& folder = orderFolder_;
        if (!isAbsoluteFolder(folder)) {
            return;
        }
        const bool rules = driveOf(folder).windowsRules;
        if (!waitForFolder(folder, rules)) {
            return;
        }
        const FolderRecord* record = underWay_->records.record(folder, rules);
        if (record == nullptr) {
            return;
        }
        const std::vector<RecordedCopy> dropped = droppedCopies(*record, folder, order_, rules);
        if (dropped.empty()) {
            return;
        }
        std::vector<std::string> names;
        for (const RecordedCopy& copy : dropped) {
            names.push_back(copy.name);
        }
        std::string question = Language().strRemoveQuestion;
        question.replace(question.find("%1"), 2, std::to_string(dropped.size()));
        if (!window_.confirmRemoval(question, names)) {
            return;
        }
        const std::optional<FolderRecord> onDrive = readRecord(folder, rules);
        for (const RecordedCopy& copy : dropped) {
            const std::string path = utf8Text(fsPath(folder) / fsPath(copy.name));
            if (onDrive && stillRecorded(*onDrive, folder, copy, &sources_, rules) &&
                platform::removeCopy(path)) {
                writtenFolders_.wrote(folder);
                window_.appendLog(concat({crlf, Language().strRemoved, path}));
            }
        }
    }

    // Where a copy that ended "ok" is.
    struct Arrival {
        std::string folder;
        std::string path;
    };

    std::optional<Arrival> copyEntry(const std::string& source, bool truncatedLine)
    {
        ++entryNumber_;
        const std::string name = options_.numbered
                                     ? numberedName(bareName(source), entryNumber_, order_.entries)
                                     : std::string(bareName(source));
        window_.entryStarted({.number = entryNumber_,
                              .entries = order_.entries,
                              .source = source,
                              .name = bareName(source)});
        window_.setProgressValue(0);

        // The target folder is read afresh for each entry, so a folder chosen
        // during a copy counts from the next entry on.
        const std::string folder = window_.pathTo();
        const bool absolute = isAbsoluteFolder(folder);
        const Drive* drive = absolute ? &driveOf(folder) : nullptr;
        if (absolute && !waitForFolder(folder, drive->windowsRules)) {
            return std::nullopt;
        }
        auto destination = written_.resolve(folder, name, source, &sources_);
        window_.appendLog(
            concat({crlf, source, crlf, Language().strCopiedTo, crlf, destination.path}));
        written_.reserve(folder, source, destination);

        // A line cut short names no real file (copying what is left of it could
        // pick up an unrelated one), and a folder that is not absolute no place
        // the user would find: it would lie under the program's working folder.
        const bool copying = !truncatedLine && absolute;
        if (copying) {
            sweep_.sweepOnce(folder);
        }
        // A song in the folder it is exported into is where it belongs, and
        // is no copy: nothing of it is recorded.
        if (copying && destination.isSource) {
            written_.release(folder, destination);
            const bool there = platform::fileStamp(source, true).has_value();
            window_.appendLog(concat({crlf, there ? "ok" : "error", crlf, "---"}));
            return there ? std::optional<Arrival>({folder, std::move(destination.path)})
                         : std::nullopt;
        }
        // The look that chose the destination mostly saw what is there; only
        // where none was needed does the copy look first.
        if (copying && destination.seen == platform::KnownDestination::Unknown) {
            destination.seen = files_.size(destination.path) ? platform::KnownDestination::Present
                                                             : platform::KnownDestination::Absent;
        }
        const std::optional<Copied> copied =
            copying ? copy(source, *drive, folder, destination) : std::nullopt;
        if (copied) {
            reached(Step::Copied);
            written_.remember(folder, name, source, destination, copied->size);
            recorded_->arrived(folder, std::string(bareName(destination.path)), source,
                               destination.path, !copied->held);
        }
        written_.release(folder, destination);
        // The copy's own result says whether the file arrived, in the folder
        // it used, whatever the box holds by now.
        const bool ok = copied.has_value();
        window_.appendLog(concat({crlf, ok ? "ok" : "error", crlf, "---"}));
        return ok ? std::optional<Arrival>({folder, std::move(destination.path)}) : std::nullopt;
    }

    // What arrived at a destination: the size written or found, and whether
    // it was found there already.
    struct Copied {
        std::uint64_t size = 0;
        bool held = false;
    };

    // Copies source to destination unless it already holds the copy, as an
    // export made again over an earlier one finds for every unchanged file,
    // or the copy could never fit on the drive.
    std::optional<Copied> copy(const std::string& source, const Drive& drive,
                               const std::string& folder,
                               const WrittenDestinations::Destination& destination)
    {
        // Where nothing was there is no earlier copy to keep, and the copy
        // need not look again; where the record's look found it held, neither.
        const bool absent = destination.seen == platform::KnownDestination::Absent;
        const std::optional<std::uint64_t> held =
            destination.held ? platform::entrySize(destination.path)
            : absent         ? std::nullopt
                             : heldCopySize(source, destination.path, drive.windowsRules);
        if (held) {
            CopyProgress(*held, *held, &window_);
            return Copied{*held, true};
        }
        if (drive.largestFile) {
            const std::optional<platform::FileStamp> from = platform::fileStamp(source, true);
            if (from && from->size > *drive.largestFile) {
                return std::nullopt;
            }
        }
        std::uint64_t size = 0;
        const bool copied = FileCopy(
            source, destination.path,
            [this, &size](std::uint64_t total, std::uint64_t done) {
                size = done;
                CopyProgress(total, done, &window_);
            },
            destination.seen, drive.flushesEachCopy);
        if (!copied) {
            return std::nullopt;
        }
        writtenFolders_.wrote(folder);
        return Copied{size, false};
    }

    // The playlist of what arrived, as one more record after the last entry's.
    void writePlaylist(const std::filesystem::path& playlist)
    {
        window_.appendLog(concat({crlf, utf8Text(playlist), crlf, Language().strCopiedTo}));
        const std::string folder = window_.pathTo();
        const std::string name = utf8Text(playlist.stem()) + ".m3u8";
        const PlacedPlaylist placed =
            isAbsoluteFolder(folder) ? placePlaylist(folder, name, writtenPlaylist_->text(folder),
                                                     playlist, [this] { window_.processEvents(); })
                                     : PlacedPlaylist{numberedPath(folder, name, 1, false)};
        if (placed.written) {
            writtenFolders_.wrote(folder);
        }
        failed_ = failed_ || !placed.ok;
        summary_.errors += placed.ok ? 0 : 1;
        window_.appendLog(
            concat({crlf, placed.path, crlf, placed.ok ? "ok" : "error", crlf, "---"}));
    }

    const Drive& driveOf(const std::string& folder)
    {
        if (!drive_ || drive_->folder != folder) {
            const bool rules = followsWindowsRules(folder);
            drive_ = Drive{.folder = folder,
                           .windowsRules = rules,
                           .flushesEachCopy = platform::flushesEachCopy(folder, rules),
                           .largestFile = driveKind(folder).largestFile};
        }
        return *drive_;
    }

    // Brings all the run wrote onto its drives before the run says it is
    // done, the folders' records with it: "error" on a line of its own when a
    // drive failed to take it. Panel 3 says so meanwhile, as the window goes
    // on answering.
    void flushDrives()
    {
        const bool flushed = writtenFolders_.flush(
            recorded_ ? &*recorded_ : nullptr, [this] { window_.processEvents(); },
            [this](bool flushing) {
                window_.activityChanged(flushing ? Activity::WritingToDrive : Activity::Copying);
            });
        if (!flushed) {
            summary_.flushFailed = true;
            window_.appendLog(concat({crlf, "error"}));
        }
    }

    // The pieces as one text, built in a buffer that every record reuses;
    // valid until the next call.
    const std::string& concat(std::initializer_list<std::string_view> pieces)
    {
        text_.clear();
        for (const std::string_view piece : pieces) {
            text_ += piece;
        }
        return text_;
    }

    void endSteps()
    {
        if (window_.cancelRequested()) {
            summary_.cancelled = true;
            window_.appendLog(concat({crlf, Language().strCanceled}));
        }
        window_.setProgressValue(0);
    }

    ExportWindow& window_;
    RunOptions options_;
    RunSummary summary_;
    SystemFileLookup files_;
    std::shared_ptr<RunsUnderWay> underWay_ = runsUnderWay();
    bool nested_; // started while another run waits: it neither renames nor removes
    WrittenDestinations& written_ = underWay_->written;
    std::optional<RecordedRun> recorded_;
    bool stopped_ = false; // cancelled while it waited for a folder
    PlaylistSources sources_;
    bool prepared_ = false;
    PlayOrder order_;
    std::string orderFolder_; // the target when the run prepared
    int entryNumber_ = 0;
    bool failed_ = false; // an entry, or the written playlist, ended "error"
    TemporarySweep sweep_;
    std::optional<WrittenPlaylist> writtenPlaylist_;
    std::string text_;
    WrittenFolders writtenFolders_;
    std::optional<Drive> drive_;
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
