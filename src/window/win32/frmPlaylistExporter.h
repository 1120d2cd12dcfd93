#pragma once

#include "AccessibleNames.h"
#include "Controls.h"
#include "DropTarget.h"
#include "ExportWindow.h"
#include "HeldDisplay.h"
#include "Language.h"
#include "Layout.h"
#include "RunDisplay.h"
#include "WindowBase.h"
#include "WindowCommands.h"

#include <string>
#include <string_view>
#include <vector>

namespace tunecrate::win32 {

// The program's one window over the system's own controls. It builds them from
// the design, starts in English with empty fields, and runs the export when
// Save is pressed; the run reaches the controls through ExportWindow,
// ApplyLanguage through LanguageWindow, and the commands through
// CommandControls. Each control keeps the standard class of its kind and is
// found by its id (ControlIds.h).
class frmPlaylistExporter final : public WindowBase,
                                  public ExportWindow,
                                  public LanguageWindow,
                                  private RunView,
                                  private CommandControls {
public:
    // Builds the window and its controls and runs the load step; the window
    // is not shown yet.
    explicit frmPlaylistExporter(HINSTANCE instance);
    ~frmPlaylistExporter() override;

    void setDialogs(Dialogs dialogs);

    // The log as written, lines separated by CR LF, including what the user
    // typed into the box.
    [[nodiscard]] std::string logText() const;

    [[nodiscard]] std::string pathFrom() const override;
    [[nodiscard]] std::string pathTo() const override;
    [[nodiscard]] bool withPlaylist() const override;
    void setLog(const std::string& text) override;
    void appendLog(std::string_view piece) override;
    void setPanelText(int panel, const std::string& text) override;
    void setProgressValue(float value) override;
    [[nodiscard]] float progressValue() const override;
    void clearCancelRequest() override;
    [[nodiscard]] bool cancelRequested() const override;
    void processEvents() override;

    void setButtonCaption(tunecrate::Button button, const std::string& caption) override;
    void setHint(std::string_view control, const std::string& hint) override;
    void setAccessibleName(std::string_view control, const std::string& name) override;

    // The program's arguments: a playlist fills txtPathfrom, a folder
    // txtPathto (WindowCommands::openPaths).
    void openPaths(const std::vector<std::string>& paths);
    // What the system hands drags of files onto the window to: a playlist
    // file or a folder fills its box, any other drag is refused.
    [[nodiscard]] IDropTarget& dropTarget() { return dropTarget_; }

private:
    void bindHandlers();
    void Form_Load();

    void cmbLang_Click();
    void cmbLang_KeyUp();
    void cmdCancel_Click();
    void cmdSave_Click();
    void cmdSearch_Click();
    void cmdSearch2_Click();
    void txtPlaylist_Change();

    // WindowBase
    void onClose() override;
    void onDpiChanged(unsigned dpi) override;

    // RunView
    [[nodiscard]] std::string logBoxText() const override;
    void replaceLogBox(const std::string& text) override;
    void appendToLogBox(std::string_view piece) override;
    void showPanelText(int panel, const std::string& text) override;

    // CommandControls
    [[nodiscard]] std::string shownLanguage() const override;
    void languageApplied() override;
    void setPathFrom(const std::string& path) override;
    void setPathTo(const std::string& path) override;
    void closeWindow() override;

    bool build(HINSTANCE instance);
    // Takes back from the system what it holds of the window, then destroys it.
    void destroyWindow();
    [[nodiscard]] HWND designed(std::string_view name) const;

    // Comes first: the members after it find the window and its controls built.
    bool built_;
    PushButton cmdSearch;
    Edit txtPlaylist;
    Edit txtPathfrom;
    CheckBox chkPlaylist;
    PushButton cmdSave;
    Edit txtPathto;
    PushButton cmdSearch2;
    ComboBox cmbLang;
    PushButton cmdCancel;
    ProgressBar pgbCopy;
    StatusBar stbStatus;

    Layout layout_;
    RunDisplay display_;
    WindowCommands commands_;
    AccessibleNames accessibleNames_;
    DropTarget dropTarget_;
    DropRegistration dropRegistration_;
};

} // namespace tunecrate::win32
