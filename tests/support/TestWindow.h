#pragma once

#include "Language.h"
#include "LogLines.h"
#include "run/ExportWindow.h"

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tunecrate::test {

// Stands in for the main window. processEvents() runs onEvents, where a test
// scripts what a user does while the run waits: press Cancel, switch the
// language, choose another target, press Save again.
class TestWindow : public ExportWindow, public LanguageWindow {
public:
    std::string pathFromText;
    std::string pathToText;
    bool withPlaylistChecked = false;
    bool numberedChecked = false;
    bool removeDroppedChecked = false;
    std::string logText;
    std::array<std::string, 4> panels; // [1] to [3] are used
    std::map<Button, std::string> captions;
    float progress = 0;
    bool cancel = false;
    int eventCalls = 0;
    std::vector<float> progressValues;
    std::function<void()> onEvents;
    std::vector<std::string> roomQuestions;
    std::optional<bool> copyWhatFitsAnswer = true;
    std::vector<std::vector<std::string>> removalQuestions; // the question, then the names
    bool removeAnswer = false;

    std::string pathFrom() const override { return pathFromText; }
    std::string pathTo() const override { return pathToText; }
    bool withPlaylist() const override { return withPlaylistChecked; }
    bool numbered() const override { return numberedChecked; }
    bool removeDropped() const override { return removeDroppedChecked; }
    void setLog(const std::string& text) override { logText = text; }
    void appendLog(std::string_view piece) override { logText += piece; }
    // The panels as the window words the run's facts.
    void setPanelText(int panel, const std::string& text) override
    {
        panels.at(static_cast<std::size_t>(panel)) = text;
    }
    void entryStarted(const EntryStarted& entry) override
    {
        panels[1] = Language().strFile + ": " + std::string(entry.source);
        panels[2] = Language().strFilename + ": " + std::string(entry.name);
    }
    void activityChanged(Activity activity) override
    {
        panels[3] = activity == Activity::WritingToDrive
                        ? Language().strWritingToDrive
                        : Language().strProgress + ": " +
                              std::to_string(static_cast<int>(std::lround(progress))) + "%";
    }
    void setButtonCaption(Button button, const std::string& caption) override
    {
        captions[button] = caption;
    }
    void setHint(std::string_view, const std::string&) override {}
    void setAccessibleName(std::string_view, const std::string&) override {}
    void setProgressValue(float value) override
    {
        progress = value;
        progressValues.push_back(value);
    }
    float progressValue() const override { return progress; }
    void clearCancelRequest() override { cancel = false; }
    bool cancelRequested() const override { return cancel; }
    void processEvents() override
    {
        ++eventCalls;
        if (onEvents) {
            onEvents();
        }
    }

    std::optional<bool> copyWhatFits(const std::string& question) override
    {
        roomQuestions.push_back(question);
        return copyWhatFitsAnswer;
    }
    bool confirmRemoval(const std::string& question, const std::vector<std::string>& names) override
    {
        removalQuestions.push_back({question});
        removalQuestions.back().insert(removalQuestions.back().end(), names.begin(), names.end());
        return removeAnswer;
    }

    // The log split at its CR LF line breaks.
    [[nodiscard]] std::vector<std::string> logLines() const { return splitLogLines(logText); }

    // True while a copy is under way: its record is written, its result not yet.
    [[nodiscard]] bool copying() const
    {
        const auto lines = logLines();
        return lines.size() >= 3 && lines[lines.size() - 2] == Language().strCopiedTo;
    }
};

} // namespace tunecrate::test
