#include "RunDisplay.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimerEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

namespace tunecrate {

RunDisplay::RunDisplay(QWidget& window, QProgressBar& bar, const std::array<QLabel*, 3>& panels,
                       ShowLog showLog)
    : window_(window), bar_(bar), panels_(panels), showLog_(std::move(showLog))
{}

RunDisplay::~RunDisplay() = default;

RunDisplay::Run::Run(RunDisplay& display) : display_(display), wasInRunBody_(display.inRunBody_)
{
    if (display_.runDepth_++ == 0) {
        QCoreApplication::instance()->installEventFilter(&display_);
    }
    display_.inRunBody_ = true;
}

RunDisplay::Run::~Run()
{
    display_.inRunBody_ = wasInRunBody_;
    display_.syncDisplay();
    if (--display_.runDepth_ == 0) {
        QCoreApplication::instance()->removeEventFilter(&display_);
        display_.bar_.setUpdatesEnabled(true);
    }
}

void RunDisplay::appendLog(std::string_view piece)
{
    if (deferring()) {
        pendingLog_ += piece;
        scheduleDisplay();
        return;
    }
    syncDisplay();
    showLog_(piece);
}

void RunDisplay::setPanelText(std::size_t index, const std::string& text)
{
    if (deferring()) {
        pendingPanels_.at(index) = text;
        scheduleDisplay();
        return;
    }
    syncDisplay();
    panels_.at(index)->setText(QString::fromStdString(text));
}

void RunDisplay::setProgressValue(int value)
{
    // The bar would paint itself at once at every new value; during the run
    // it waits for the next frame like the rest of the window.
    if (deferring()) {
        bar_.setUpdatesEnabled(false);
        scheduleFrame();
    }
    bar_.setValue(value);
}

void RunDisplay::processEvents()
{
    const QScopedValueRollback yielding(inRunBody_, false);
    QCoreApplication::processEvents();
}

// Installed on the application during a run: every event that is not painting
// or layout brings the controls up to date first, and the window's requests to
// paint wait for the next frame.
bool RunDisplay::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::UpdateRequest:
        if (watched == &window_ && !paintingFrame_) {
            // The request is taken up again when the next frame is due.
            if (untilNextFrame() > 0) {
                scheduleFrame();
                return true;
            }
            sinceLastPaint_.start();
        }
        break;
    case QEvent::UpdateLater:
    case QEvent::LayoutRequest:
    case QEvent::Paint:
        break;
    default:
        syncDisplay();
    }
    return QObject::eventFilter(watched, event);
}

void RunDisplay::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != nextFrame_.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    nextFrame_.stop();
    paintFrame();
}

void RunDisplay::paintFrame()
{
    syncDisplay();
    bar_.setUpdatesEnabled(true);
    // The status bar fits its panels to their new texts before it is painted.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    sinceLastPaint_.start();
    const QScopedValueRollback painting(paintingFrame_, true);
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window_, &request);
}

qint64 RunDisplay::frameMilliseconds() const
{
    const QScreen* shown = window_.screen();
    const qreal rate = shown != nullptr ? shown->refreshRate() : 0;
    return rate >= 1 ? static_cast<qint64>(std::ceil(1000 / rate)) : 16;
}

qint64 RunDisplay::untilNextFrame() const
{
    if (!sinceLastPaint_.isValid()) {
        return 0;
    }
    return std::max<qint64>(0, frameMilliseconds() - sinceLastPaint_.elapsed());
}

void RunDisplay::scheduleDisplay()
{
    displayPending_ = true;
    scheduleFrame();
}

void RunDisplay::scheduleFrame()
{
    if (!nextFrame_.isActive()) {
        nextFrame_.start(static_cast<int>(untilNextFrame()), Qt::PreciseTimer, this);
    }
}

void RunDisplay::syncDisplay()
{
    if (!displayPending_) {
        return;
    }
    displayPending_ = false;
    if (!pendingLog_.empty()) {
        showLog_(std::exchange(pendingLog_, {}));
    }
    for (std::size_t i = 0; i < pendingPanels_.size(); ++i) {
        if (const std::optional<std::string> text = std::exchange(pendingPanels_[i], {})) {
            panels_[i]->setText(QString::fromStdString(*text));
        }
    }
}

} // namespace tunecrate
