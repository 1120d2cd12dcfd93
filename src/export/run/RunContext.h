#pragma once

#include "drive/Flush.h"
#include "folder/PlayOrder.h"
#include "folder/PlaylistSources.h"
#include "folder/RecordedFolders.h"
#include "folder/WrittenDestinations.h"
#include "run/ExportRun.h"
#include "run/ExportWindow.h"
#include "run/WrittenFolders.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace tunecrate {

// What the window's check boxes ask of a run, read at its start.
struct RunOptions {
    bool withPlaylist = false;
    bool numbered = false;
    bool removeDropped = false;
};

// What the drive that holds a target folder is, asked once for each folder
// in a row: a run writes into one folder nearly always.
class DriveOfFolder {
public:
    struct Facts {
        bool windowsRules = false;
        bool flushesEachCopy = false;
        std::optional<std::uint64_t> largestFile;
    };
    const Facts& of(const std::string& folder);

private:
    std::string folder_;
    std::optional<Facts> facts_;
};

// What the steps of one run share: the window it reports to, what it was
// asked, what it did so far, and what it knows of the folders and drives it
// writes into.
class RunContext {
public:
    RunContext(ExportWindow& forWindow, const RunOptions& asked, RecordedFolders& recordsUnderWay,
               WrittenDestinations& writtenUnderWay, bool startedInAnother)
        : window(forWindow), options(asked), records(recordsUnderWay), written(writtenUnderWay),
          nested(startedInAnother)
    {}
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    // Adds the pieces to the log as one text.
    void log(std::initializer_list<std::string_view> pieces);

    // Takes folder's lock where its record is kept, waiting for as long as
    // another program's run holds it, and saying so once. False when the
    // user cancelled meanwhile: the run stops.
    [[nodiscard]] bool waitForFolder(const std::string& folder, bool windowsRules);

    // Lets the window's events through; false once the user asked to cancel.
    [[nodiscard]] bool keepGoing();

    // Notes a file, record or folder that failed, for the list at the log's
    // end; the same failure once.
    void failed(std::string path, const Failure& failure);
    // Adds that list to the log, one line for each: the path, ": " and why.
    void logFailures();

    ExportWindow& window;
    const RunOptions options;
    RecordedFolders& records;
    WrittenDestinations& written;
    const bool nested; // started while another run waits: it neither renames nor removes
    RunSummary summary;
    DriveOfFolder drives;
    WrittenFolders writtenFolders;
    std::optional<RecordedRun> recorded;
    PlaylistSources sources;
    PlayOrder order;
    bool stopped = false; // cancelled while it waited for a folder

private:
    std::string text_; // the log's pieces joined, reused for every record
    std::vector<FailedPath> failures_;
    std::set<std::tuple<std::string, Reason, int>> listed_; // failures_, to find one again
};

// Why a file failed, in the interface's language.
[[nodiscard]] std::string reasonText(const Failure& failure);

// Only an absolute folder is one the user can find again; "out" or "." would
// lie under the program's working folder.
[[nodiscard]] bool isAbsoluteFolder(const std::string& folder);

inline constexpr std::string_view crlf = "\r\n";

} // namespace tunecrate
