#pragma once

#include "ExportWindow.h"
#include "Language.h"

#include <string>

namespace tunecrate::bench {

// A window that shows nothing: the run's own cost, without any display work.
// It keeps the log, as every window must.
class NullWindow final : public ExportWindow, public LanguageWindow {
public:
    NullWindow(std::string playlist, std::string target)
        : playlist_(std::move(playlist)), target_(std::move(target))
    {}

    std::string pathFrom() const override { return playlist_; }
    std::string pathTo() const override { return target_; }
    void setLog(const std::string& text) override { log_ = text; }
    void appendLog(std::string_view piece) override { log_ += piece; }
    void setPanelText(int, const std::string&) override {}
    void setButtonCaption(Button, const std::string&) override {}
    void setProgressValue(float value) override { progress_ = value; }
    float progressValue() const override { return progress_; }
    void clearCancelRequest() override {}
    bool cancelRequested() const override { return false; }
    void processEvents() override {}

    [[nodiscard]] const std::string& log() const { return log_; }

private:
    std::string playlist_;
    std::string target_;
    std::string log_;
    float progress_ = 0;
};

} // namespace tunecrate::bench
