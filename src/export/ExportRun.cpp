#include "ExportRun.h"

#include "ByteSource.h"
#include "FileOps.h"
#include "Language.h"
#include "LineReader.h"
#include "Playlist.h"
#include "WrittenDestinations.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <stdexcept>

namespace tunecrate {
namespace {

constexpr std::string_view crlf = "\r\n";

std::string concat(std::initializer_list<std::string_view> pieces)
{
    std::size_t size = 0;
    for (const std::string_view piece : pieces) {
        size += piece.size();
    }
    std::string text;
    text.reserve(size);
    for (const std::string_view piece : pieces) {
        text += piece;
    }
    return text;
}

// The playlist read front to back, one line held at a time.
class PlaylistLines {
public:
    explicit PlaylistLines(const std::string& path) : file_(openPlaylistFile(path))
    {
        if (file_) {
            reader_.emplace(*file_);
        }
    }

    // Reads the next line; the empty text past the end.
    const std::string& advance()
    {
        if (!reader_ || !reader_->next(line_)) {
            line_.clear();
            truncated_ = false;
        } else {
            truncated_ = reader_->lastLineTruncated();
        }
        return line_;
    }
    [[nodiscard]] const std::string& line() const { return line_; }
    [[nodiscard]] bool truncated() const { return truncated_; }

private:
    std::unique_ptr<ByteSource> file_;
    std::optional<LineReader> reader_;
    std::string line_;
    bool truncated_ = false;
};

class Run {
public:
    explicit Run(ExportWindow& window) : window_(window) {}

    void execute(const std::string& playlistPath)
    {
        bool walking = false;
        try {
            PlaylistLines lines(playlistPath);
            const std::string& firstLine = lines.advance();
            if (firstLine.empty()) {
                throw std::runtime_error("the playlist has no first line");
            }
            const std::optional<PlaylistMode> mode = DecidePlaylistMode(firstLine);
            if (!mode) {
                window_.setLog(Language().strNoPlaylistFound);
                endSteps();
                return;
            }
            walking = true;
            if (walk(*mode, lines) == WalkEnd::Canceled) {
                return;
            }
        } catch (const std::exception&) {
            // What the log already says about copied files stays true, so an
            // error during the walk is added below it; before the walk there is
            // nothing worth keeping.
            if (walking) {
                window_.appendLog(concat({crlf, Language().strNoPlaylistFound}));
            } else {
                window_.setLog(Language().strNoPlaylistFound);
            }
        }
        endSteps();
    }

private:
    enum class WalkEnd { Finished, Canceled };

    // Line 1 is already read for the mode decision; the walk examines it again.
    WalkEnd walk(PlaylistMode mode, PlaylistLines& lines)
    {
        for (std::int32_t lineNumber = 1;; ++lineNumber) {
            const std::string& line = lineNumber == 1 ? lines.line() : lines.advance();
            if (line.empty()) {
                window_.appendLog(concat({crlf, Language().strAllFilesCopied}));
                return WalkEnd::Finished;
            }
            window_.processEvents();
            if (window_.cancelRequested()) {
                window_.appendLog(concat({crlf, Language().strCanceled}));
                window_.setProgressValue(0);
                return WalkEnd::Canceled;
            }
            if (const std::optional<std::string_view> source = EntryPath(mode, line)) {
                copyEntry(std::string(*source), lines.truncated());
            }
            if (lineNumber == std::numeric_limits<std::int32_t>::max()) {
                throw std::overflow_error("the playlist has too many lines");
            }
        }
    }

    void copyEntry(const std::string& source, bool truncatedLine)
    {
        const std::string bareName(BareName(source));
        window_.setPanelText(1, concat({Language().strFile, ": ", source}));
        window_.setPanelText(2, concat({Language().strFilename, ": ", bareName}));
        window_.setProgressValue(0);

        // The target folder is read afresh for the record, the copy and the
        // check, so a folder chosen during the copy counts from the next read.
        const std::string recordedFolder = window_.pathTo();
        const auto recorded = written_.resolve(recordedFolder, bareName, source);
        window_.appendLog(
            concat({crlf, source, crlf, Language().strCopiedTo, crlf, recorded.path}));

        // Nothing ran in between, so the same folder gives the same answer
        // without asking the file system again.
        const std::string folder = window_.pathTo();
        const auto destination =
            folder == recordedFolder ? recorded : written_.resolve(folder, bareName, source);
        // A line cut short names no real file; copying what is left of it could
        // pick up an unrelated one.
        const bool copied =
            !truncatedLine &&
            FileCopy(source, destination.path, [this](std::uint64_t total, std::uint64_t done) {
                CopyProgress(total, done, &window_);
            });
        if (copied) {
            written_.remember(folder, bareName, source, destination);
        }
        const bool ok =
            copied && FileExists(written_.resolve(window_.pathTo(), bareName, source).path);
        window_.appendLog(concat({crlf, ok ? "ok" : "error", crlf, "---"}));
    }

    void endSteps()
    {
        if (window_.cancelRequested()) {
            window_.appendLog(concat({crlf, Language().strCanceled}));
        }
        window_.setProgressValue(0);
    }

    ExportWindow& window_;
    WrittenDestinations written_;
};

} // namespace

void RunExport(ExportWindow& window)
{
    window.clearCancelRequest();
    window.setLog({});
    const std::string playlistPath = window.pathFrom();
    if (window.pathTo().empty()) {
        return;
    }
    Run(window).execute(playlistPath);
}

} // namespace tunecrate
