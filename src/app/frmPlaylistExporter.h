#pragma once

#include "Dialogs.h"
#include "ExportWindow.h"
#include "Language.h"

#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <string_view>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace tunecrate {

class RunDisplay;

// The program's one window. It lays out its controls as designed, starts in
// English with empty fields, and runs the export when Save is pressed; the run
// reaches the controls through ExportWindow, ApplyLanguage through
// LanguageWindow. Each control's objectName is its name (txtPathfrom, cmdSave,
// stbStatus with its labels panel1 to panel3, ...).
class frmPlaylistExporter : public QWidget, public ExportWindow, public LanguageWindow {
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
    void setLog(const std::string& text) override;
    void appendLog(std::string_view piece) override;
    void setPanelText(int panel, const std::string& text) override;
    void setProgressValue(float value) override;
    [[nodiscard]] float progressValue() const override;
    void clearCancelRequest() override;
    [[nodiscard]] bool cancelRequested() const override;
    void processEvents() override;

    void setButtonCaption(Button button, const std::string& caption) override;

protected:
    // A close while the run copies is a cancel request; the window closes once
    // the run has stopped.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void setWindowIconFromResources();
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
    void fitProgressPanel();
    [[nodiscard]] std::string logFromBox() const;
    void insertIntoBox(std::string_view piece);

    QPushButton* cmdSearch = nullptr;
    QPlainTextEdit* txtPlaylist = nullptr;
    QLineEdit* txtPathfrom = nullptr;
    QPushButton* cmdSave = nullptr;
    QLineEdit* txtPathto = nullptr;
    QPushButton* cmdSearch2 = nullptr;
    QComboBox* cmbLang = nullptr;
    QPushButton* cmdCancel = nullptr;
    QProgressBar* pgbCopy = nullptr;
    QStatusBar* stbStatus = nullptr;
    std::array<QLabel*, 3> panels_{};

    Dialogs dialogs_;
    bool CancelRequested = false;
    // A close while a run goes on: it asks the run to stop, and the window
    // closes once the run has.
    bool closeRequested_ = false;

    // The box turns CR LF into its own line breaks, so the log is kept as
    // written and the box only shows it. Once the user edits the box, what it
    // shows is the log.
    std::string logText_;
    bool logEditedInBox_ = false;
    bool writingLog_ = false;

    // What the run writes reaches the log box, the panels and the bar through it.
    std::unique_ptr<RunDisplay> display_;
};

} // namespace tunecrate
