#pragma once

#include "Language.h"
#include "run/ExportWindow.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tunecrate::bench {

// A window that shows nothing: the run's own cost, without any display work.
// It keeps the log, as every window must, in blocks of a fixed size: a string
// that doubles would hold up to twice the log at times, and the memory
// measured beside the log would be the string's, not the run's.
class NullWindow final : public ExportWindow, public LanguageWindow {
public:
    NullWindow(std::string playlist, std::string target, bool withPlaylist = false,
               bool numbered = false)
        : playlist_(std::move(playlist)), target_(std::move(target)), withPlaylist_(withPlaylist),
          numbered_(numbered)
    {}

    std::string pathFrom() const override { return playlist_; }
    std::string pathTo() const override { return target_; }
    bool withPlaylist() const override { return withPlaylist_; }
    bool numbered() const override { return numbered_; }
    void setLog(const std::string& text) override
    {
        blocks_.clear();
        appendLog(text);
    }
    void appendLog(std::string_view piece) override
    {
        while (!piece.empty()) {
            if (blocks_.empty() || blocks_.back().size() == blockBytes) {
                blocks_.emplace_back().reserve(blockBytes);
            }
            std::string& block = blocks_.back();
            const std::size_t taken = std::min(piece.size(), blockBytes - block.size());
            block.append(piece.substr(0, taken));
            piece.remove_prefix(taken);
        }
    }
    void setPanelText(int, const std::string&) override {}
    void setButtonCaption(Button, const std::string&) override {}
    void setHint(std::string_view, const std::string&) override {}
    void setAccessibleName(std::string_view, const std::string&) override {}
    void entryStarted(const EntryStarted&) override {}
    void activityChanged(Activity) override {}
    void setProgressValue(float value) override { progress_ = value; }
    float progressValue() const override { return progress_; }
    void clearCancelRequest() override {}
    bool cancelRequested() const override { return false; }
    void processEvents() override {}

    [[nodiscard]] std::size_t logBytes() const
    {
        std::size_t bytes = 0;
        for (const std::string& block : blocks_) {
            bytes += block.size();
        }
        return bytes;
    }
    [[nodiscard]] std::size_t logLines() const
    {
        std::size_t breaks = 0;
        for (const std::string& block : blocks_) {
            breaks += static_cast<std::size_t>(std::count(block.begin(), block.end(), '\n'));
        }
        return breaks + 1;
    }

    void writeLog(std::FILE* out) const
    {
        for (const std::string& block : blocks_) {
            std::fwrite(block.data(), 1, block.size(), out);
        }
    }

private:
    std::string playlist_;
    std::string target_;
    bool withPlaylist_;
    bool numbered_;
    static constexpr std::size_t blockBytes = 64 * 1024;
    std::vector<std::string> blocks_;
    float progress_ = 0;
};

} // namespace tunecrate::bench
