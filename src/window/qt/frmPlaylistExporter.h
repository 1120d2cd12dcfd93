#pragma once

#include "Design.h"
#include "ExportWindow.h"
#include "HeldDisplay.h"
#include "Language.h"
#include "WindowCommands.h"

#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace tunecrate {

class LogBox;
class RunDisplay;

// The program's one window. It builds its controls from the design, starts in
// English with empty fields, and runs the export when Save is pressed; the run
// reaches the controls through ExportWindow, ApplyLanguage through
// LanguageWindow, and the commands through CommandControls. Each control's
// objectName is its name (txtPathfrom, cmdSave, stbStatus with its labels
// panel1 to panel3, ...).
class frmPlaylistExporter : public QWidget,
                            public ExportWindow,
                            public LanguageWindow,
                            private RunView,
                            private CommandControls {
    Q_OBJECT

public:
    explicit frmPlaylistExporter(QWidget* parent = nullptr);
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

    void setButtonCaption(Button button, const std::string& caption) override;
    void setHint(std::string_view control, const std::string& hint) override;
    void setAccessibleName(std::string_view control, const std::string& name) override;

    // The program's arguments: a playlist fills txtPathfrom, a folder
    // txtPathto (WindowCommands::openPaths).
    void openPaths(const std::vector<std::string>& paths);

protected:
    // A close while the run copies is a cancel request; the window closes once
    // the run has stopped.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Files and folders dropped anywhere on the window, the boxes included:
    // a drop with a playlist file or a folder fills their boxes, any other is
    // refused.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    template <class Control> Control* designed(std::string_view name) const;
    void setWindowIconFromResources();
    void Form_Load();

    void cmbLang_Click();
    void cmbLang_KeyUp();
    void cmdCancel_Click();
    void cmdSave_Click();
    void cmdSearch_Click();
    void cmdSearch2_Click();
    void txtPlaylist_Change();

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

    QPushButton* cmdSearch = nullptr;
    LogBox* txtPlaylist = nullptr;
    QLineEdit* txtPathfrom = nullptr;
    QCheckBox* chkPlaylist = nullptr;
    QPushButton* cmdSave = nullptr;
    QLineEdit* txtPathto = nullptr;
    QPushButton* cmdSearch2 = nullptr;
    QComboBox* cmbLang = nullptr;
    QPushButton* cmdCancel = nullptr;
    QProgressBar* pgbCopy = nullptr;
    QStatusBar* stbStatus = nullptr;
    std::array<QLabel*, 3> panels_{};

    WindowCommands commands_;
    // What the run writes reaches the log box, the panels and the bar through it.
    std::unique_ptr<RunDisplay> display_;
    std::string pathTo_;
};

} // namespace tunecrate
