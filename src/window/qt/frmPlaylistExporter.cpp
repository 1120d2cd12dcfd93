#include "frmPlaylistExporter.h"

#include "DesignedControls.h"
#include "OpenedPaths.h"
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
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QTextCursor>
#include <QTimerEvent>
#include <QUrl>
#include <algorithm>
#include <utility>

namespace tunecrate {
frmPlaylistExporter::frmPlaylistExporter(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      session_(*this, systemDialogs(this))
{
    buildControls();
    QCoreApplication::instance()->installEventFilter(this);
    Form_Load();
}

frmPlaylistExporter::~frmPlaylistExporter() = default;

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
    txtPlaylist = designed<QPlainTextEdit>("txtPlaylist");
    txtPathfrom = designed<QLineEdit>("txtPathfrom");
    chkPlaylist = designed<QCheckBox>("chkPlaylist");
    chkNumbered = designed<QCheckBox>("chkNumbered");
    chkRemoveDropped = designed<QCheckBox>("chkRemoveDropped");
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

    connect(cmbLang, &QComboBox::activated, this, [this] { cmbLang_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(cmdSearch2, &QPushButton::clicked, this, [this] { cmdSearch2_Click(); });
    connect(txtPathto, &QLineEdit::textChanged, this, [this] { txtPathto_Change(); });
    connect(txtPlaylist, &QPlainTextEdit::textChanged, this, [this] { txtPlaylist_Change(); });

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
    session_.load();
}

void frmPlaylistExporter::cmbLang_Click()
{
    session_.applyShownLanguage();
}

void frmPlaylistExporter::cmbLang_KeyUp()
{
    session_.applyShownLanguage();
}

void frmPlaylistExporter::cmdCancel_Click()
{
    session_.requestCancel();
}

void frmPlaylistExporter::cmdSave_Click()
{
    session_.save();
}

void frmPlaylistExporter::cmdSearch_Click()
{
    session_.choosePlaylist();
}

void frmPlaylistExporter::cmdSearch2_Click()
{
    session_.chooseTargetFolder();
}

void frmPlaylistExporter::txtPlaylist_Change()
{
    session_.logBoxChanged();
}

void frmPlaylistExporter::txtPathto_Change()
{
    session_.pathToChanged(txtPathto->text().toStdString());
}

void frmPlaylistExporter::closeEvent(QCloseEvent* event)
{
    if (!session_.mayClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool frmPlaylistExporter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::UpdateRequest:
        if (watched == this && session_.holdsRepaints() && !paintingFrame_) {
            (void)session_.repaintWanted();
            return true;
        }
        break;
    case QEvent::UpdateLater:
    case QEvent::LayoutRequest:
    case QEvent::Paint:
        break;
    default:
        session_.beforeEvent();
    }
    if (watched == cmbLang && event->type() == QEvent::KeyRelease) {
        cmbLang_KeyUp();
    }
    return QWidget::eventFilter(watched, event);
}

void frmPlaylistExporter::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != nextFrame_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    nextFrame_.stop();
    session_.paintFrame();
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
    if (session_.openPaths(draggedPaths(*event->mimeData()))) {
        event->acceptProposedAction();
    }
}

void frmPlaylistExporter::openPaths(const std::vector<std::string>& paths)
{
    (void)session_.openPaths(paths);
}

std::string frmPlaylistExporter::text(std::string_view control) const
{
    const QWidget* shown = designed<QWidget>(control);
    QString text;
    if (const auto* box = qobject_cast<const QLineEdit*>(shown)) {
        text = box->text();
    } else if (const auto* log = qobject_cast<const QPlainTextEdit*>(shown)) {
        text = log->toPlainText();
        text.replace(u'\n', QStringLiteral("\r\n"));
    } else if (const auto* list = qobject_cast<const QComboBox*>(shown)) {
        text = list->currentText();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(shown)) {
        text = button->text();
    }
    return text.toStdString();
}

void frmPlaylistExporter::setText(std::string_view control, const std::string& text)
{
    QWidget* shown = designed<QWidget>(control);
    const QString qText = QString::fromStdString(text);
    if (auto* box = qobject_cast<QLineEdit*>(shown)) {
        box->setText(qText);
    } else if (auto* log = qobject_cast<QPlainTextEdit*>(shown)) {
        log->setPlainText(qText);
    } else if (auto* list = qobject_cast<QComboBox*>(shown)) {
        list->setCurrentText(qText);
    } else if (auto* button = qobject_cast<QAbstractButton*>(shown)) {
        button->setText(qText);
    }
}

void frmPlaylistExporter::appendToLog(std::string_view piece)
{
    QTextCursor end(txtPlaylist->document());
    end.movePosition(QTextCursor::End);
    // CR LF becomes one line break.
    end.insertText(QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())));
}

void frmPlaylistExporter::showLogEnd()
{
    txtPlaylist->moveCursor(QTextCursor::End);
}

bool frmPlaylistExporter::checked(std::string_view control) const
{
    return designed<QAbstractButton>(control)->isChecked();
}

void frmPlaylistExporter::setHint(std::string_view control, const std::string& hint)
{
    designed<QLineEdit>(control)->setPlaceholderText(QString::fromStdString(hint));
}

void frmPlaylistExporter::setAccessibleName(std::string_view control, const std::string& name)
{
    designed<QWidget>(control)->setAccessibleName(QString::fromStdString(name));
}

void frmPlaylistExporter::setPanelText(int panel, const std::string& text)
{
    panels_.at(static_cast<std::size_t>(panel - 1))->setText(QString::fromStdString(text));
}

void frmPlaylistExporter::setBarValue(int value)
{
    // A bar paints itself at once at a new value; this one waits for the
    // window's next paint.
    pgbCopy->setUpdatesEnabled(false);
    pgbCopy->setValue(value);
    pgbCopy->setUpdatesEnabled(true);
}

void frmPlaylistExporter::fitToTexts()
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

void frmPlaylistExporter::letEventsThrough()
{
    QCoreApplication::processEvents();
}

void frmPlaylistExporter::paintFrame()
{
    nextFrame_.stop(); // this is the frame it waited for
    // The status bar fits its panels to their new texts before it is painted.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QScopedValueRollback painting(paintingFrame_, true);
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(this, &request);
}

void frmPlaylistExporter::scheduleFrame(std::chrono::milliseconds delay)
{
    if (!nextFrame_.isActive()) {
        nextFrame_.start(static_cast<int>(delay.count()), Qt::PreciseTimer, this);
    }
}

double frmPlaylistExporter::refreshRate() const
{
    const QScreen* shown = screen();
    return shown != nullptr ? shown->refreshRate() : 0;
}

void frmPlaylistExporter::closeWindow()
{
    close();
}

} // namespace tunecrate
