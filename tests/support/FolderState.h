#pragma once

#include "Language.h"
#include "TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tunecrate::test {

// What a folder holds, for comparing before and after a run: every file's path
// relative to the folder with its bytes, every subfolder as "name/" with the
// text "<folder>". A missing folder has no state at all (nullopt).
using FolderState = std::map<std::string, std::string>;
inline const std::string folderMark = "<folder>";

// The whole of a file, read in one piece: the states hold files of megabytes.
[[nodiscard]] inline std::string bytesOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::filesystem::file_size(path), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

[[nodiscard]] inline std::optional<FolderState> folderState(const std::filesystem::path& folder)
{
    if (!std::filesystem::is_directory(folder)) {
        return std::nullopt;
    }
    FolderState state;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).generic_string();
        if (entry.is_directory()) {
            state[name + "/"] = folderMark;
        } else {
            state[name] = bytesOf(entry.path());
        }
    }
    return state;
}

// One record of the log: source, "copied to:", destination, then "ok" or
// "error" (result stays empty when the run never got that far).
struct LogRecord {
    std::string source;
    std::string destination;
    std::string result;
};

[[nodiscard]] inline std::vector<LogRecord> logRecords(const std::vector<std::string>& lines)
{
    std::vector<LogRecord> records;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        if (lines[i] != Language().strCopiedTo) {
            continue;
        }
        LogRecord record{lines[i - 1], lines[i + 1], {}};
        if (i + 2 < lines.size() && (lines[i + 2] == "ok" || lines[i + 2] == "error")) {
            record.result = lines[i + 2];
        }
        records.push_back(record);
    }
    return records;
}

[[nodiscard]] inline std::vector<std::string> resultsOf(const std::vector<LogRecord>& records)
{
    std::vector<std::string> results;
    for (const auto& record : records) {
        results.push_back(record.result);
    }
    return results;
}

// The log's closing line in English after records with these results, the
// written playlist's among them.
[[nodiscard]] inline std::string closingLine(const std::vector<std::string>& results)
{
    const auto failed = std::count(results.begin(), results.end(), "error");
    if (failed == 0) {
        return "All files copied!";
    }
    return "Done: " + std::to_string(failed) + " of " + std::to_string(results.size()) +
           " files could not be copied.";
}

// The log's last line before the list of failures that ends it, and that
// list: after the last line that reads end, each record that ended "error"
// once, in the log's order, as "<source>: <reason>" (the written playlist's
// by its destination), and then any other path that failed (a record, a
// folder), as extra allows. Whatever is wrong, for the test's message.
[[nodiscard]] inline std::string wrongLogEnd(const std::vector<std::string>& lines,
                                             const std::string& end, std::size_t extra = 0)
{
    const auto last = std::find(lines.rbegin(), lines.rend(), end);
    if (last == lines.rend()) {
        return "no line reads \"" + end + "\"";
    }
    const std::vector<std::string> failures(last.base(), lines.end());
    std::vector<LogRecord> failed;
    for (const LogRecord& record : logRecords(lines)) {
        const bool listed = std::any_of(failed.begin(), failed.end(), [&](const LogRecord& one) {
            return one.source == record.source;
        });
        if (record.result == "error" && !listed) {
            failed.push_back(record);
        }
    }
    if (failures.size() < failed.size() || failures.size() > failed.size() + extra) {
        return std::to_string(failures.size()) + " failures listed for " +
               std::to_string(failed.size()) + " records that ended \"error\"";
    }
    for (std::size_t i = 0; i < failures.size(); ++i) {
        const std::string& line = failures[i];
        const auto says = [&line](const std::string& path) {
            return line.starts_with(path + ": ") && line.size() > path.size() + 2;
        };
        const bool named = i < failed.size() ? says(failed[i].source) || says(failed[i].destination)
                                             : line.find(": ") != std::string::npos;
        if (!named) {
            return "failure " + std::to_string(i + 1) + " is \"" + line + "\"";
        }
    }
    return {};
}

// The target folder as the log describes it: as it was before the run, except
// that every destination of an "ok" record holds the bytes of its source.
[[nodiscard]] inline FolderState claimedState(FolderState before,
                                              const std::filesystem::path& target,
                                              const std::vector<LogRecord>& records,
                                              const std::map<std::string, std::string>& sources)
{
    for (const auto& record : records) {
        if (record.result == "ok") {
            const auto name = std::filesystem::path(record.destination).lexically_relative(target);
            before[name.generic_string()] = sources.at(record.source);
        }
    }
    return before;
}

} // namespace tunecrate::test
