#pragma once

#include "Dialogs.h"
#include "FramePacer.h"
#include "HeldDisplay.h"
#include "Language.h"
#include "WindowView.h"
#include "run/ExportWindow.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tunecrate {

// The folder dialog's prompt, the same in both languages.
inline constexpr char folderPrompt[] = "Bitte Ordner auswählen";

// What the window does, whatever toolkit draws it: the export run and
// ApplyLanguage reach the window through it, and each of the window's handlers
// (cmdSave_Click, cmbLang_Click, ...) hands over to one of its commands. It
// keeps the log and the writes a run holds back (HeldDisplay), paces the
// painting during a run (FramePacer), and drives a passive WindowView.
//
// An error that escapes a command is shown in a message box, and the program
// goes on.
class Session final : public ExportWindow, public LanguageWindow {
public:
    Session(WindowView& view, Dialogs dialogs);

    void setDialogs(Dialogs dialogs) { dialogs_ = std::move(dialogs); }

    // The load step: English shown in cmbLang and applied.
    void load();
    // cmbLang Click and KeyUp: the language the list shows.
    void applyShownLanguage();
    // cmdCancel: a copy under way runs to its end; the run stops before its next line.
    void requestCancel() { CancelRequested = true; }
    // cmdSave: one export run. Runs nest (Save pressed while a run waits); a
    // close asked for meanwhile closes the window once the last run has stopped.
    void save();
    // cmdSearch and cmdSearch2: a cancelled dialog leaves its box as it is.
    void choosePlaylist();
    void chooseTargetFolder();
    // txtPlaylist's Change: the caret goes to the end, and what the user
    // changed becomes the log.
    void logBoxChanged();
    // txtPathto's Change.
    void pathToChanged(std::string text) { pathTo_ = std::move(text); }
    // The program's arguments, and the items dropped on the window: the first
    // playlist file fills txtPathfrom, the first folder txtPathto, as typing
    // would (sortOpenedPaths); a box nothing fits keeps its text. False when
    // nothing fits.
    bool openPaths(const std::vector<std::string>& paths);
    // A close while a run copies is a cancel request: false then, and the
    // window closes once the run has stopped.
    [[nodiscard]] bool mayClose();

    // The log as written, lines separated by CR LF, including what the user
    // typed into the box.
    [[nodiscard]] std::string logText() const { return held_.logText(); }

    // The view's hooks. Before each event reaches a control: what waits
    // reaches the controls first.
    void beforeEvent() { sync(); }
    // True during a run: the window's repaints wait for the next frame.
    [[nodiscard]] bool holdsRepaints() const { return held_.running(); }
    // The view held a repaint back. Paints the frame at once when one is due
    // (true), and otherwise has one painted when it is.
    bool repaintWanted();
    // Brings what waits to the controls and paints them.
    void paintFrame();

    // ExportWindow
    [[nodiscard]] std::string pathFrom() const override;
    [[nodiscard]] std::string pathTo() const override { return pathTo_; }
    [[nodiscard]] bool withPlaylist() const override;
    [[nodiscard]] bool numbered() const override;
    [[nodiscard]] bool removeDropped() const override;
    void setLog(const std::string& text) override { held_.setLog(text); }
    void appendLog(std::string_view piece) override { held_.appendLog(piece); }
    void entryStarted(const EntryStarted& entry) override;
    void activityChanged(Activity activity) override;
    void setProgressValue(float value) override;
    [[nodiscard]] float progressValue() const override { return static_cast<float>(barValue_); }
    void clearCancelRequest() override { CancelRequested = false; }
    [[nodiscard]] bool cancelRequested() const override { return CancelRequested || closePending_; }
    void processEvents() override;
    [[nodiscard]] std::optional<bool> copyWhatFits(const std::string& question) override;
    [[nodiscard]] bool confirmRemoval(const std::string& question,
                                      const std::vector<std::string>& names) override;

    // LanguageWindow, and the run's progress worded
    void setPanelText(int panel, const std::string& text) override
    {
        held_.setPanelText(panel, text);
    }
    void setButtonCaption(Button button, const std::string& caption) override;
    void setHint(std::string_view control, const std::string& hint) override
    {
        view_.setHint(control, hint);
    }
    void setAccessibleName(std::string_view control, const std::string& name) override
    {
        view_.setAccessibleName(control, name);
    }

private:
    void runCommand(const std::function<void()>& command);
    void setPathTo(const std::string& path);
    void held();
    void sync();

    WindowView& view_;
    Dialogs dialogs_;
    HeldDisplay held_;
    FramePacer pacer_;
    bool frameWanted_ = false;
    int barValue_ = 0;
    bool barHeld_ = false;
    std::string pathTo_;

    bool CancelRequested = false;
    int runDepth_ = 0;
    bool closePending_ = false;
};

} // namespace tunecrate
