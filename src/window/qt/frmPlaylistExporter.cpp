#include "frmPlaylistExporter.h"

#include "DesignedControls.h"
#include "ExportRun.h"
#include "LogBox.h"
#include "OpenedPaths.h"
#include "RunDisplay.h"
#include "SystemDialogs.h"
#include "ToolWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace tunecrate {
frmPlaylistExporter::frmPlaylistExporter(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      commands_(*this, *this, systemDialogs(this))
{
    buildControls();
    display_ = std::make_unique<RunDisplay>(*this, *pgbCopy, static_cast<RunView&>(*this));
    Form_Load();
}

frmPlaylistExporter::~frmPlaylistExporter() = default;

void frmPlaylistExporter::setDialogs(Dialogs dialogs)
{
    commands_.setDialogs(std::move(dialogs));
}

void frmPlaylistExporter::buildControls()
{
    setWindowTitle(QString::fromUtf8(windowCaption));
    setFixedSize(designedRect(clientTwips).size());
    setWindowIconFromResources();

    // Created in tab order, which is also the order Tab walks.
    QWidget* previous = nullptr;
    for (const ControlDesign& design : designedControls) {
        QWidget* control = makeDesignedControl(*this, design);
        if (control->focusPolicy() != Qt::NoFocus) {
            if (previous != nullptr) {
                QWidget::setTabOrder(previous, control);
            }
            previous = control;
        }
    }
    cmdSearch = designed<QPushButton>("cmdSearch");
    txtPlaylist = designed<LogBox>("txtPlaylist");
    txtPathfrom = designed<QLineEdit>("txtPathfrom");
    chkPlaylist = designed<QCheckBox>("chkPlaylist");
    cmdSave = designed<QPushButton>("cmdSave");
    txtPathto = designed<QLineEdit>("txtPathto");
    cmdSearch2 = designed<QPushButton>("cmdSearch2");
    cmbLang = designed<QComboBox>("cmbLang");
    cmdCancel = designed<QPushButton>("cmdCancel");
    pgbCopy = designed<QProgressBar>("pgbCopy");
    stbStatus = designed<QStatusBar>("stbStatus");
    cmdSearch->setFocus();

    // Panel 1 takes what the others leave, panel 2 fits its text, panel 3 keeps its width.
    for (int panel = 1; panel <= 3; ++panel) {
        panels_.at(static_cast<std::size_t>(panel - 1)) = makeDesignedPanel(*stbStatus, panel);
    }
    panels_[0]->setMinimumWidth(pixelsFromTwips(panelMinimumTwips));
    panels_[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    panels_[1]->setMinimumWidth(pixelsFromTwips(panelMinimumTwips));
    panels_[2]->setFixedWidth(pixelsFromTwips(progressPanelTwips));
    stbStatus->addWidget(panels_[0], 1);
    stbStatus->addWidget(panels_[1]);
    stbStatus->addWidget(panels_[2]);

    cmbLang->installEventFilter(this);
    connect(cmbLang, &QComboBox::activated, this, [this] { cmbLang_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(cmdSearch2, &QPushButton::clicked, this, [this] { cmdSearch2_Click(); });
    // The run asks for the target folder at every entry; the box's text is
    // kept as UTF-8 as it changes, so asking costs no conversion.
    connect(txtPathto, &QLineEdit::textChanged, this,
            [this](const QString& text) { pathTo_ = text.toStdString(); });
    connect(txtPlaylist, &LogBox::textChanged, this, [this] { txtPlaylist_Change(); });

    // The window decides what a drop fills, wherever it lands.
    setAcceptDrops(true);
    for (QWidget* box : {static_cast<QWidget*>(txtPathfrom), static_cast<QWidget*>(txtPathto),
                         static_cast<QWidget*>(txtPlaylist), txtPlaylist->viewport()}) {
        box->setAcceptDrops(false);
    }

    applyToolWindowFrame(*this);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect placed(QPoint(), size());
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
}

template <class Control> Control* frmPlaylistExporter::designed(std::string_view name) const
{
    return findChild<Control*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                               Qt::FindDirectChildrenOnly);
}

void frmPlaylistExporter::setWindowIconFromResources()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 256}) {
        const QString file = QStringLiteral(":/icons/tunecrate-%1.png").arg(size);
        if (QFile::exists(file)) {
            icon.addFile(file, QSize(size, size));
        }
    }
    if (!icon.isNull()) {
        setWindowIcon(icon);
    }
}

void frmPlaylistExporter::Form_Load()
{
    cmbLang->setCurrentText(QStringLiteral("English"));
    commands_.applyShownLanguage();
}

void frmPlaylistExporter::cmbLang_Click()
{
    commands_.applyShownLanguage();
}

void frmPlaylistExporter::cmbLang_KeyUp()
{
    commands_.applyShownLanguage();
}

void frmPlaylistExporter::cmdCancel_Click()
{
    commands_.requestCancel();
}

void frmPlaylistExporter::cmdSave_Click()
{
    commands_.save([this] {
        const RunDisplay::Run run(*display_);
        runExport(*this);
    });
}

void frmPlaylistExporter::cmdSearch_Click()
{
    commands_.choosePlaylist();
}

void frmPlaylistExporter::cmdSearch2_Click()
{
    commands_.chooseTargetFolder();
}

void frmPlaylistExporter::txtPlaylist_Change()
{
    if (!display_->held().writingLog()) {
        // Edits reach the box through events, and the box is synced before those.
        Q_ASSERT(!display_->held().pending());
        display_->held().logEditedInBox();
    }
    txtPlaylist->setCaretPosition(txtPlaylist->textLength());
}

void frmPlaylistExporter::closeEvent(QCloseEvent* event)
{
    if (!commands_.mayClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool frmPlaylistExporter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cmbLang && event->type() == QEvent::KeyRelease) {
        cmbLang_KeyUp();
    }
    return QWidget::eventFilter(watched, event);
}

namespace {

// The local files and folders a drag carries, as UTF-8 paths.
std::vector<std::string> draggedPaths(const QMimeData& data)
{
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            paths.push_back(QDir::toNativeSeparators(url.toLocalFile()).toStdString());
        }
    }
    return paths;
}

} // namespace

void frmPlaylistExporter::dragEnterEvent(QDragEnterEvent* event)
{
    if (!sortOpenedPaths(draggedPaths(*event->mimeData())).empty()) {
        event->acceptProposedAction();
    }
}

void frmPlaylistExporter::dropEvent(QDropEvent* event)
{
    if (commands_.openPaths(draggedPaths(*event->mimeData()))) {
        event->acceptProposedAction();
    }
}

void frmPlaylistExporter::openPaths(const std::vector<std::string>& paths)
{
    (void)commands_.openPaths(paths);
}

std::string frmPlaylistExporter::logText() const
{
    return display_->held().logText();
}

std::string frmPlaylistExporter::logBoxText() const
{
    QString text = txtPlaylist->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text.toStdString();
}

void frmPlaylistExporter::replaceLogBox(const std::string& text)
{
    txtPlaylist->setPlainText(QString::fromStdString(text));
}

void frmPlaylistExporter::appendToLogBox(std::string_view piece)
{
    txtPlaylist->appendText(QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())));
}

void frmPlaylistExporter::showPanelText(int panel, const std::string& text)
{
    panels_.at(static_cast<std::size_t>(panel - 1))->setText(QString::fromStdString(text));
}

std::string frmPlaylistExporter::shownLanguage() const
{
    return cmbLang->currentText().toStdString();
}

void frmPlaylistExporter::languageApplied()
{
    // The designed width holds "Progress: 100%" in the design's small font; a
    // larger default font widens the panel so that no percentage is cut off.
    // It stays fixed while the percentage changes.
    QLabel* panel = panels_[2];
    const QString bareLabel = panel->text();
    panel->setText(bareLabel + QStringLiteral("100%"));
    const int needed = panel->sizeHint().width();
    panel->setText(bareLabel);
    panel->setFixedWidth(std::max(pixelsFromTwips(progressPanelTwips), needed));
}

void frmPlaylistExporter::setPathFrom(const std::string& path)
{
    txtPathfrom->setText(QString::fromStdString(path));
}

void frmPlaylistExporter::setPathTo(const std::string& path)
{
    txtPathto->setText(QString::fromStdString(path));
}

void frmPlaylistExporter::closeWindow()
{
    close();
}

std::string frmPlaylistExporter::pathFrom() const
{
    return txtPathfrom->text().toStdString();
}

std::string frmPlaylistExporter::pathTo() const
{
    return pathTo_;
}

bool frmPlaylistExporter::withPlaylist() const
{
    return chkPlaylist->isChecked();
}

void frmPlaylistExporter::setLog(const std::string& text)
{
    display_->held().setLog(text);
}

void frmPlaylistExporter::appendLog(std::string_view piece)
{
    display_->held().appendLog(piece);
}

void frmPlaylistExporter::setPanelText(int panel, const std::string& text)
{
    display_->held().setPanelText(panel, text);
}

void frmPlaylistExporter::setProgressValue(float value)
{
    display_->setProgressValue(static_cast<int>(std::lround(std::clamp(value, 0.0f, 100.0f))));
}

float frmPlaylistExporter::progressValue() const
{
    return static_cast<float>(display_->progressValue());
}

void frmPlaylistExporter::clearCancelRequest()
{
    commands_.clearCancelRequest();
}

bool frmPlaylistExporter::cancelRequested() const
{
    return commands_.cancelRequested();
}

void frmPlaylistExporter::processEvents()
{
    display_->processEvents();
}

void frmPlaylistExporter::setButtonCaption(Button button, const std::string& caption)
{
    QAbstractButton* target = nullptr;
    switch (button) {
    case Button::Search:
        target = cmdSearch;
        break;
    case Button::Search2:
        target = cmdSearch2;
        break;
    case Button::Save:
        target = cmdSave;
        break;
    case Button::Cancel:
        target = cmdCancel;
        break;
    case Button::WithPlaylist:
        target = chkPlaylist;
        break;
    }
    target->setText(QString::fromStdString(caption));
}

void frmPlaylistExporter::setHint(std::string_view control, const std::string& hint)
{
    designed<QLineEdit>(control)->setPlaceholderText(QString::fromStdString(hint));
}

void frmPlaylistExporter::setAccessibleName(std::string_view control, const std::string& name)
{
    designed<QWidget>(control)->setAccessibleName(QString::fromStdString(name));
}

} // namespace tunecrate
