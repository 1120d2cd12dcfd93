#pragma once

#include "Session.h"
#include "WindowView.h"

#include <QBasicTimer>
#include <QWidget>
#include <array>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace tunecrate {

// The program's one window over Qt's widgets. It builds its controls from the
// design and shows what its Session tells it; each handler hands over to the
// session. Each control's objectName is its name (txtPathfrom, cmdSave,
// stbStatus with its labels panel1 to panel3, ...).
class frmPlaylistExporter : public QWidget, private WindowView {
    Q_OBJECT

public:
    explicit frmPlaylistExporter(QWidget* parent = nullptr);
    ~frmPlaylistExporter() override;

    void setDialogs(Dialogs dialogs) { session_.setDialogs(std::move(dialogs)); }
    // What the export run and ApplyLanguage reach the window through.
    [[nodiscard]] Session& session() { return session_; }
    [[nodiscard]] std::string logText() const { return session_.logText(); }

    // The program's arguments: a playlist fills txtPathfrom, a folder
    // txtPathto (Session::openPaths).
    void openPaths(const std::vector<std::string>& paths);

protected:
    // A close while the run copies is a cancel request; the window closes once
    // the run has stopped.
    void closeEvent(QCloseEvent* event) override;
    // On the whole program: what a run holds back reaches the controls before
    // any event does, and during a run the window paints only at frames.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
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
    void txtPathto_Change();

    // WindowView
    [[nodiscard]] std::string text(std::string_view control) const override;
    void setText(std::string_view control, const std::string& text) override;
    void appendToLog(std::string_view piece) override;
    void showLogEnd() override;
    [[nodiscard]] bool checked(std::string_view control) const override;
    void setHint(std::string_view control, const std::string& hint) override;
    void setAccessibleName(std::string_view control, const std::string& name) override;
    void setPanelText(int panel, const std::string& text) override;
    void setBarValue(int value) override;
    void fitToTexts() override;
    void letEventsThrough() override;
    void paintFrame() override;
    void scheduleFrame(std::chrono::milliseconds delay) override;
    [[nodiscard]] double refreshRate() const override;
    void closeWindow() override;

    QPushButton* cmdSearch = nullptr;
    QPlainTextEdit* txtPlaylist = nullptr;
    QLineEdit* txtPathfrom = nullptr;
    QCheckBox* chkPlaylist = nullptr;
    QCheckBox* chkNumbered = nullptr;
    QCheckBox* chkRemoveDropped = nullptr;
    QPushButton* cmdSave = nullptr;
    QLineEdit* txtPathto = nullptr;
    QPushButton* cmdSearch2 = nullptr;
    QComboBox* cmbLang = nullptr;
    QPushButton* cmdCancel = nullptr;
    QProgressBar* pgbCopy = nullptr;
    QStatusBar* stbStatus = nullptr;
    std::array<QLabel*, 3> panels_{};

    Session session_;
    bool paintingFrame_ = false;
    QBasicTimer nextFrame_;
};

} // namespace tunecrate
