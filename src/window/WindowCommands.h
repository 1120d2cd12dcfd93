#pragma once

#include "Dialogs.h"
#include "Language.h"

#include <functional>
#include <string>
#include <vector>

namespace tunecrate {

// The folder dialog's prompt, the same in both languages.
inline constexpr char folderPrompt[] = "Bitte Ordner auswählen";

// The controls the commands read and write, as a window's toolkit has them.
class CommandControls {
public:
    // cmbLang's text.
    [[nodiscard]] virtual std::string shownLanguage() const = 0;
    // After ApplyLanguage: what depends on the new texts is fitted to them.
    virtual void languageApplied() = 0;
    virtual void setPathFrom(const std::string& path) = 0;
    virtual void setPathTo(const std::string& path) = 0;
    virtual void closeWindow() = 0;

protected:
    ~CommandControls() = default;
};

// What the window's commands do, for both windows: each window's handler
// (cmdSave_Click, cmbLang_Click, ...) hands over to one of these. An error
// that escapes a command is shown in a message box, and the program goes on.
class WindowCommands {
public:
    WindowCommands(CommandControls& controls, LanguageWindow& language, Dialogs dialogs);

    void setDialogs(Dialogs dialogs);

    // cmbLang Click and KeyUp: the language the list shows.
    void applyShownLanguage();
    // cmdCancel: a copy under way runs to its end; the run stops before its next line.
    void requestCancel() { CancelRequested = true; }
    // cmdSearch and cmdSearch2: a cancelled dialog leaves its box as it is.
    void choosePlaylist();
    void chooseTargetFolder();
    // The program's arguments, and the items dropped on the window: the first
    // playlist file fills txtPathfrom, the first folder txtPathto, as typing
    // would (sortOpenedPaths); a box nothing fits keeps its text. False when
    // nothing fits.
    bool openPaths(const std::vector<std::string>& paths);
    // cmdSave: brackets one export run. Runs nest (Save pressed while a run
    // waits); a close asked for meanwhile closes the window once the last
    // run has stopped.
    void save(const std::function<void()>& exportRun);

    // A close while a run copies is a cancel request: false then, and the
    // window closes once the run has stopped.
    [[nodiscard]] bool mayClose();

    void clearCancelRequest() { CancelRequested = false; }
    [[nodiscard]] bool cancelRequested() const { return CancelRequested || closePending_; }

private:
    void run(const std::function<void()>& command);

    CommandControls& controls_;
    LanguageWindow& language_;
    Dialogs dialogs_;
    bool CancelRequested = false;
    int runDepth_ = 0;
    bool closePending_ = false;
};

} // namespace tunecrate
