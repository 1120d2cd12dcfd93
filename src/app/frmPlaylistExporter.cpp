#include "frmPlaylistExporter.h"

#include "ExportRun.h"
#include "RunDisplay.h"
#include "ToolWindow.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QTextCursor>
#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace tunecrate {
namespace {

constexpr char folderPrompt[] = "Bitte Ordner auswählen";

template <class Control>
Control* makeControl(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* control = new Control(parent);
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

QLabel* makePanel(QStatusBar* bar, const QString& name, const QString& designText)
{
    auto* panel = new QLabel(designText, bar);
    panel->setObjectName(name);
    panel->setTextFormat(Qt::PlainText);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return panel;
}

} // namespace

frmPlaylistExporter::frmPlaylistExporter(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      dialogs_(Dialogs::system())
{
    buildControls();
    display_ = std::make_unique<RunDisplay>(
        *this, *pgbCopy, panels_, [this](std::string_view piece) { insertIntoBox(piece); });
    Form_Load();
}

frmPlaylistExporter::~frmPlaylistExporter() = default;

void frmPlaylistExporter::setDialogs(Dialogs dialogs)
{
    dialogs_ = std::move(dialogs);
}

void frmPlaylistExporter::buildControls()
{
    setWindowTitle(QStringLiteral("Tunecrate " TUNECRATE_VERSION " by Quillmar"));
    setFixedSize(twipsSize(10665, 4620));
    setWindowIconFromResources();

    // Created in tab order, which is also the order Tab walks.
    cmdSearch = makeControl<QPushButton>(this, QStringLiteral("cmdSearch"),
                                         twipsRect(9120, 150, 1515, 315));
    cmdSearch->setText(QStringLiteral("Search"));

    txtPlaylist = makeControl<QPlainTextEdit>(this, QStringLiteral("txtPlaylist"),
                                              twipsRect(60, 570, 10575, 2535));
    txtPlaylist->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtPlaylist->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtPlaylist->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtPlaylist->setTabChangesFocus(true);
    // A long run would otherwise keep every addition for undo.
    txtPlaylist->setUndoRedoEnabled(false);

    txtPathfrom =
        makeControl<QLineEdit>(this, QStringLiteral("txtPathfrom"), twipsRect(30, 150, 9045, 315));

    cmdSave =
        makeControl<QPushButton>(this, QStringLiteral("cmdSave"), twipsRect(3750, 3930, 1515, 315));
    cmdSave->setText(QStringLiteral("Save"));

    txtPathto =
        makeControl<QLineEdit>(this, QStringLiteral("txtPathto"), twipsRect(30, 3210, 9045, 315));

    cmdSearch2 = makeControl<QPushButton>(this, QStringLiteral("cmdSearch2"),
                                          twipsRect(9120, 3210, 1515, 315));
    cmdSearch2->setText(QStringLiteral("Search"));

    cmbLang =
        makeControl<QComboBox>(this, QStringLiteral("cmbLang"), twipsRect(9330, 3930, 1215, 315));
    cmbLang->addItems({QStringLiteral("English"), QStringLiteral("Deutsch")});
    cmbLang->setCurrentIndex(-1);
    cmbLang->installEventFilter(this);

    cmdCancel = makeControl<QPushButton>(this, QStringLiteral("cmdCancel"),
                                         twipsRect(5370, 3930, 1515, 315));
    cmdCancel->setText(QStringLiteral("Cancel"));

    // Reaches past both edges of the window and is clipped there.
    pgbCopy = makeControl<QProgressBar>(this, QStringLiteral("pgbCopy"),
                                        twipsRect(-60, 3600, 10755, 285));
    pgbCopy->setRange(0, 100);
    pgbCopy->setValue(0);
    pgbCopy->setTextVisible(false);
    pgbCopy->setFocusPolicy(Qt::NoFocus);

    stbStatus =
        makeControl<QStatusBar>(this, QStringLiteral("stbStatus"), twipsRect(0, 4335, 10665, 285));
    stbStatus->setSizeGripEnabled(false);
    stbStatus->setFocusPolicy(Qt::NoFocus);
    // Panel 1 takes what the others leave, panel 2 fits its text, panel 3 keeps its width.
    panels_[0] = makePanel(stbStatus, QStringLiteral("panel1"), QStringLiteral("File:"));
    panels_[0]->setMinimumWidth(twipsToPixels(1440));
    panels_[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    panels_[1] = makePanel(stbStatus, QStringLiteral("panel2"), QStringLiteral("Filename:"));
    panels_[1]->setMinimumWidth(twipsToPixels(1440));
    panels_[2] = makePanel(stbStatus, QStringLiteral("panel3"), QStringLiteral("Progress:"));
    panels_[2]->setFixedWidth(twipsToPixels(1150));
    stbStatus->addWidget(panels_[0], 1);
    stbStatus->addWidget(panels_[1]);
    stbStatus->addWidget(panels_[2]);

    QWidget::setTabOrder(cmdSearch, txtPlaylist);
    QWidget::setTabOrder(txtPlaylist, txtPathfrom);
    QWidget::setTabOrder(txtPathfrom, cmdSave);
    QWidget::setTabOrder(cmdSave, txtPathto);
    QWidget::setTabOrder(txtPathto, cmdSearch2);
    QWidget::setTabOrder(cmdSearch2, cmbLang);
    QWidget::setTabOrder(cmbLang, cmdCancel);
    cmdSearch->setFocus();

    connect(cmbLang, &QComboBox::activated, this,
            [this] { runCommand(&frmPlaylistExporter::cmbLang_Click); });
    connect(cmdCancel, &QPushButton::clicked, this,
            [this] { runCommand(&frmPlaylistExporter::cmdCancel_Click); });
    connect(cmdSave, &QPushButton::clicked, this,
            [this] { runCommand(&frmPlaylistExporter::cmdSave_Click); });
    connect(cmdSearch, &QPushButton::clicked, this,
            [this] { runCommand(&frmPlaylistExporter::cmdSearch_Click); });
    connect(cmdSearch2, &QPushButton::clicked, this,
            [this] { runCommand(&frmPlaylistExporter::cmdSearch2_Click); });
    connect(txtPlaylist, &QPlainTextEdit::textChanged, this,
            [this] { runCommand(&frmPlaylistExporter::txtPlaylist_Change); });

    applyToolWindowFrame(*this);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect placed(QPoint(), size());
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
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
    applyShownLanguage();
}

void frmPlaylistExporter::applyShownLanguage()
{
    ApplyLanguage(cmbLang->currentText().toStdString(), *this);
    fitProgressPanel();
}

void frmPlaylistExporter::fitProgressPanel()
{
    // The designed width holds "Progress: 100%" in the design's small font; a
    // larger default font widens the panel so that no percentage is cut off.
    // It stays fixed while the percentage changes.
    QLabel* panel = panels_[2];
    const QString bareLabel = panel->text();
    panel->setText(bareLabel + QStringLiteral("100%"));
    const int needed = panel->sizeHint().width();
    panel->setText(bareLabel);
    panel->setFixedWidth(std::max(twipsToPixels(1150), needed));
}

void frmPlaylistExporter::cmbLang_Click()
{
    applyShownLanguage();
}

void frmPlaylistExporter::cmbLang_KeyUp()
{
    applyShownLanguage();
}

void frmPlaylistExporter::cmdCancel_Click()
{
    CancelRequested = true;
}

void frmPlaylistExporter::cmdSave_Click()
{
    const auto closeIfRequested = qScopeGuard([this] {
        if (closeRequested_ && !display_->running()) {
            close();
        }
    });
    const RunDisplay::Run run(*display_);
    runExport(*this);
}

void frmPlaylistExporter::cmdSearch_Click()
{
    // A cancelled dialog leaves the path that was there.
    const QString chosen = dialogs_.choosePlaylist(this);
    if (!chosen.isEmpty()) {
        txtPathfrom->setText(chosen);
    }
}

void frmPlaylistExporter::cmdSearch2_Click()
{
    const std::string chosen = dialogs_.browseFolder(folderPrompt, {});
    if (!chosen.empty()) {
        txtPathto->setText(QString::fromStdString(chosen));
    }
}

void frmPlaylistExporter::txtPlaylist_Change()
{
    if (!writingLog_) {
        // Edits reach the box through events, and the box is synced before those.
        Q_ASSERT(!display_->logPending());
        logEditedInBox_ = true;
    }
    txtPlaylist->moveCursor(QTextCursor::End);
}

void frmPlaylistExporter::runCommand(void (frmPlaylistExporter::*command)())
{
    QString error;
    try {
        (this->*command)();
        return;
    } catch (const std::exception& exception) {
        error = QString::fromUtf8(exception.what());
    } catch (...) {
        error = QStringLiteral("unknown error");
    }
    dialogs_.showError(this, QStringLiteral("This step stopped with an error: %1").arg(error));
}

void frmPlaylistExporter::closeEvent(QCloseEvent* event)
{
    if (display_->running()) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    closeRequested_ = false;
    QWidget::closeEvent(event);
}

bool frmPlaylistExporter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cmbLang && event->type() == QEvent::KeyRelease) {
        runCommand(&frmPlaylistExporter::cmbLang_KeyUp);
    }
    return QWidget::eventFilter(watched, event);
}

std::string frmPlaylistExporter::logText() const
{
    return logEditedInBox_ ? logFromBox() : logText_;
}

std::string frmPlaylistExporter::logFromBox() const
{
    QString text = txtPlaylist->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text.toStdString();
}

std::string frmPlaylistExporter::pathFrom() const
{
    return txtPathfrom->text().toStdString();
}

std::string frmPlaylistExporter::pathTo() const
{
    return txtPathto->text().toStdString();
}

void frmPlaylistExporter::setLog(const std::string& text)
{
    display_->discardLog();
    logText_ = text;
    logEditedInBox_ = false;
    const QScopedValueRollback writing(writingLog_, true);
    txtPlaylist->setPlainText(QString::fromStdString(text));
}

void frmPlaylistExporter::appendLog(std::string_view piece)
{
    if (logEditedInBox_) {
        logText_ = logFromBox();
        logEditedInBox_ = false;
    }
    logText_ += piece;
    display_->appendLog(piece);
}

void frmPlaylistExporter::insertIntoBox(std::string_view piece)
{
    const QScopedValueRollback writing(writingLog_, true);
    QTextCursor end(txtPlaylist->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())));
}

void frmPlaylistExporter::setPanelText(int panel, const std::string& text)
{
    display_->setPanelText(static_cast<std::size_t>(panel - 1), text);
}

void frmPlaylistExporter::setProgressValue(float value)
{
    display_->setProgressValue(static_cast<int>(std::lround(std::clamp(value, 0.0f, 100.0f))));
}

float frmPlaylistExporter::progressValue() const
{
    return static_cast<float>(pgbCopy->value());
}

void frmPlaylistExporter::clearCancelRequest()
{
    CancelRequested = false;
}

bool frmPlaylistExporter::cancelRequested() const
{
    return CancelRequested || closeRequested_;
}

void frmPlaylistExporter::processEvents()
{
    display_->processEvents();
}

void frmPlaylistExporter::setButtonCaption(Button button, const std::string& caption)
{
    QPushButton* target = nullptr;
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
    }
    target->setText(QString::fromStdString(caption));
}

} // namespace tunecrate
