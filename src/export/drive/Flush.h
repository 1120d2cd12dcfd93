#pragma once

// How what a run wrote reaches the drive before the run says it is done.
// Flush.cpp holds what every system shares (the worker thread, the test hook);
// flush_linux.cpp and flush_win32.cpp the rest, one chosen in CMake.

#include "files/Failure.h"

#include <functional>
#include <string>
#include <vector>

namespace tunecrate::platform {

// Lets the window's events through while the run waits for a drive.
using WhileWaiting = std::function<void()>;

// How often at least whileWaiting is called while a call blocks.
inline constexpr int waitingIntervalMs = 100;

// Runs call, which may block for as long as a slow drive takes to take in its
// data, on the process's one worker thread, and calls whileWaiting on the
// calling thread every waitingIntervalMs until it has returned. The worker
// serves one call at a time, in the order they came: a run started while
// another waits queues behind it. The call's result.
[[nodiscard]] bool waitForDrive(const std::function<bool()>& call,
                                const WhileWaiting& whileWaiting);

// The calls that bring data onto a drive: a copy's data before it takes its
// name, a folder's entries, and a whole drive.
enum class FlushCall { CopyData, Folder, Drive };

// For tests: called on the worker thread just before each flush call, with
// the call and what it flushes (a copy's final name, a folder, a folder on
// the drive); false makes the call fail as a failing drive would. An empty
// hook leaves every call as it is.
using FlushHook = std::function<bool(FlushCall, const std::string& path)>;
void setFlushHook(FlushHook hook);

// Runs flush on the worker (waitForDrive), after the hook has had its say.
[[nodiscard]] bool flushThroughHook(FlushCall call, const std::string& path,
                                    const std::function<bool()>& flush,
                                    const WhileWaiting& whileWaiting);

// Whether each copy into folder reaches the drive before it takes its name:
// on drives without a journal (windowsRules: a stick pulled out keeps what its
// last writes left) and on FUSE drives, whose drivers may hold data back until
// asked for it.
[[nodiscard]] bool flushesEachCopy(const std::string& folder, bool windowsRules);

// Brings onto their drives everything written into folders, data and names.
// The folders whose drives reported a failure, and why.
[[nodiscard]] std::vector<FailedPath> flushFolders(const std::vector<std::string>& folders,
                                                   const WhileWaiting& whileWaiting);

} // namespace tunecrate::platform
