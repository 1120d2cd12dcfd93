#include "RunDisplay.h"

#include <QCoreApplication>
#include <QEvent>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimerEvent>
#include <QWidget>
#include <chrono>
#include <utility>

namespace tunecrate {

RunDisplay::RunDisplay(QWidget& window, QProgressBar& bar, RunView& view)
    : window_(window), bar_(bar), held_(view, [this] { scheduleFrame(); })
{}

RunDisplay::~RunDisplay() = default;

RunDisplay::Run::Run(RunDisplay& display) : display_(display)
{
    if (!display_.held_.running()) {
        const QScreen* shown = display_.window_.screen();
        display_.pacer_.setRefreshRate(shown != nullptr ? shown->refreshRate() : 0);
        QCoreApplication::instance()->installEventFilter(&display_);
    }
    held_.emplace(display_.held_);
}

RunDisplay::Run::~Run()
{
    held_.reset();
    display_.sync();
    if (!display_.held_.running()) {
        QCoreApplication::instance()->removeEventFilter(&display_);
    }
}

void RunDisplay::setProgressValue(int value)
{
    // The bar would paint itself at once at every new value, and a run sets
    // several for each file.
    if (held_.holding()) {
        heldValue_ = value;
        scheduleFrame();
        return;
    }
    heldValue_.reset();
    bar_.setValue(value);
}

int RunDisplay::progressValue() const
{
    return heldValue_.value_or(bar_.value());
}

void RunDisplay::processEvents()
{
    const HeldDisplay::LetThrough yielding(held_);
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
            if (pacer_.frameDue()) {
                paintFrame();
            } else {
                scheduleFrame();
            }
            return true;
        }
        break;
    case QEvent::UpdateLater:
    case QEvent::LayoutRequest:
    case QEvent::Paint:
        break;
    default:
        sync();
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
    sync();
    // The status bar fits its panels to their new texts before it is painted.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const FramePacer::Clock::time_point started = FramePacer::Clock::now();
    {
        const QScopedValueRollback painting(paintingFrame_, true);
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(&window_, &request);
    }
    pacer_.framePainted(FramePacer::Clock::now() - started);
}

void RunDisplay::sync()
{
    held_.sync();
    if (heldValue_) {
        // A bar paints itself at once at a new value; this one waits for the
        // frame that paints the rest of the window.
        bar_.setUpdatesEnabled(false);
        bar_.setValue(*std::exchange(heldValue_, std::nullopt));
        bar_.setUpdatesEnabled(true);
    }
}

void RunDisplay::scheduleFrame()
{
    if (!nextFrame_.isActive()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(pacer_.untilDue());
        nextFrame_.start(static_cast<int>(wait.count()), Qt::PreciseTimer, this);
    }
}

} // namespace tunecrate
