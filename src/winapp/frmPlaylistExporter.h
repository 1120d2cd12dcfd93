#pragma once

#include "Controls.h"
#include "Dialogs.h"
#include "ExportWindow.h"
#include "FramePacer.h"
#include "Language.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <windows.h>

namespace tunecrate::win32 {

// The program's one window over the system's own controls. It lays them out as
// designed, starts in English with empty fields, and runs the export when Save
// is pressed; the run reaches the controls through ExportWindow, ApplyLanguage
// through LanguageWindow. Each control keeps the standard class of its kind
// and is found by its id (ControlIds.h).
class frmPlaylistExporter final : public ExportWindow, public LanguageWindow {
public:
    // Builds the window and its controls and runs the load step; the window
    // is not shown yet.
    explicit frmPlaylistExporter(HINSTANCE instance);
    ~frmPlaylistExporter() override;
    frmPlaylistExporter(const frmPlaylistExporter&) = delete;
    frmPlaylistExporter& operator=(const frmPlaylistExporter&) = delete;

    // Null once the window is closed.
    [[nodiscard]] HWND handle() const { return window_; }
    void show(int showCommand);
    void setDialogs(Dialogs dialogs);
    // The program ends with the window: its closing posts the quit message.
    void endProgramWhenClosed() { endsProgram_ = true; }

    // Hands one message on, with the keyboard navigation of a dialog.
    void dispatch(const MSG& message) const;

    // The log as written, lines separated by CR LF, including what the user
    // typed into the box.
    [[nodiscard]] std::string logText() const;

    [[nodiscard]] std::string pathFrom() const override;
    [[nodiscard]] std::string pathTo() const override;
    void setLog(const std::string& text) override;
    void appendLog(std::string_view piece) override;
    void setPanelText(int panel, const std::string& text) override;
    void setProgressValue(float value) override;
    [[nodiscard]] float progressValue() const override;
    void clearCancelRequest() override;
    [[nodiscard]] bool cancelRequested() const override;
    void processEvents() override;

    void setButtonCaption(tunecrate::Button button, const std::string& caption) override;

private:
    struct FontDeleter {
        void operator()(HFONT font) const { DeleteObject(font); }
    };
    using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK comboProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(int id, int code);

    void buildControls();
    void layout(unsigned dpi);
    void centreOnScreen();
    void Form_Load();

    void cmbLang_Click();
    void cmbLang_KeyUp();
    void cmdCancel_Click();
    void cmdSave_Click();
    void cmdSearch_Click();
    void cmdSearch2_Click();
    void txtPlaylist_Change();

    // Runs a command; an error that escapes it is shown, and the window goes on.
    void runCommand(void (frmPlaylistExporter::*command)());
    void applyShownLanguage();
    void fitPanels();
    [[nodiscard]] int textWidth(const std::wstring& text) const;
    void onClose();
    void insertIntoBox(std::string_view piece);

    // What the run writes to the log box and the status panels reaches them
    // at most once per screen refresh, and always before any message is
    // handed on, so whatever a user or a command meets in them is up to date.
    [[nodiscard]] bool deferringDisplay() const { return inRunBody_; }
    void syncDisplay();
    void pauseProgressBar();

    HWND window_ = nullptr;
    unsigned dpi_ = USER_DEFAULT_SCREEN_DPI;
    Font font_;

    PushButton cmdSearch;
    Edit txtPlaylist;
    Edit txtPathfrom;
    PushButton cmdSave;
    Edit txtPathto;
    PushButton cmdSearch2;
    ComboBox cmbLang;
    PushButton cmdCancel;
    ProgressBar pgbCopy;
    StatusBar stbStatus;
    std::array<std::wstring, StatusBar::panelCount> panelTexts_;
    int progressPanelWidth_ = 0;
    HWND lastFocus_ = nullptr;

    Dialogs dialogs_;
    bool CancelRequested = false;
    bool endsProgram_ = false;

    // The log kept as written; the box shows it. Once the user edits the
    // box, what it shows is the log.
    std::string logText_;
    bool logEditedInBox_ = false;
    bool writingLog_ = false;

    int runDepth_ = 0;
    bool closePending_ = false;

    // True while the run's own code runs, false while it lets messages through.
    bool inRunBody_ = false;
    std::string pendingLog_;
    std::array<std::optional<std::string>, StatusBar::panelCount> pendingPanels_{};
    bool displayPending_ = false;
    bool progressBarPaused_ = false;
    FramePacer pacer_;
};

} // namespace tunecrate::win32
