#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunecrate {

// What the export run reads and writes of the main window, and nothing more.
//
// Implemented by
//   window/Session.h          Session, which both windows draw
//   console/ConsoleRun.cpp    ConsoleWindow, the export without a window
//   tests/support/TestWindow.h TestWindow, whose processEvents() plays
//                             scripted user actions
//   bench/NullWindow.h        NullWindow, which keeps nothing
// An entry whose copy begins: its number, counted from 1, of the entries the
// count before the first copy found (0 where it did not count), its source as
// the log names it, and its bare name.
struct EntryStarted {
    int number = 0;
    int entries = 0;
    std::string_view source;
    std::string_view name;
};

// What a run is doing.
enum class Activity { Copying, WritingToDrive };

class ExportWindow {
public:
    virtual ~ExportWindow() = default;

    // txtPathfrom: the run reads it once, at its start.
    [[nodiscard]] virtual std::string pathFrom() const = 0;
    // txtPathto: read afresh at every use, so a folder chosen while the run
    // waits takes effect from the next read on.
    [[nodiscard]] virtual std::string pathTo() const = 0;
    // chkPlaylist: the run reads it once, at its start, as it reads pathFrom().
    [[nodiscard]] virtual bool withPlaylist() const = 0;
    // chkNumbered and chkRemoveDropped, read with it.
    [[nodiscard]] virtual bool numbered() const { return false; }
    [[nodiscard]] virtual bool removeDropped() const { return false; }

    // txtPlaylist. appendLog(p) leaves the same text as setLog(old + p) but
    // costs the length of p, not the length of the log.
    virtual void setLog(const std::string& text) = 0;
    virtual void appendLog(std::string_view piece) = 0;

    // pgbCopy's Value, 0 to 100.
    virtual void setProgressValue(float value) = 0;
    [[nodiscard]] virtual float progressValue() const = 0;

    virtual void clearCancelRequest() = 0;
    [[nodiscard]] virtual bool cancelRequested() const = 0;

    // The run's progress, as facts each window words itself. An entry's copy
    // begins (before its record is logged)...
    virtual void entryStarted(const EntryStarted& entry) = 0;
    // ...and what the run is doing changes: copying, with the bar at
    // progressValue(), or waiting for what it wrote to reach the drives.
    virtual void activityChanged(Activity activity) = 0;

    // Lets pending window events through: commands may run nested in here,
    // including a second export run.
    virtual void processEvents() = 0;

    // Asked when the target's drive has too little room for what the run
    // will write (question: the sentence that says so): true to copy what
    // fits, false to copy nothing; nothing where nobody could be asked.
    [[nodiscard]] virtual std::optional<bool> copyWhatFits(const std::string& /*question*/)
    {
        return true;
    }

    // Asked before copies of songs that left the playlist are removed
    // (question: how many; names: the files'): true only when the user
    // chose to remove them.
    [[nodiscard]] virtual bool confirmRemoval(const std::string& /*question*/,
                                              const std::vector<std::string>& /*names*/)
    {
        return false;
    }
};

} // namespace tunecrate
