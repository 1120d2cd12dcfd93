#pragma once

#include "FramePacer.h"
#include "HeldDisplay.h"

#include <QBasicTimer>
#include <QObject>
#include <optional>

class QProgressBar;
class QWidget;

namespace tunecrate {

// Shows what an export run writes to the Qt window. While the run's own code
// runs, its writes to the log box and the panels wait (HeldDisplay) and the
// window paints at most once per frame (FramePacer). Whatever waits reaches
// the controls before any event is delivered, so whatever a user or a command
// sees or changes in them is up to date.
class RunDisplay final : public QObject {
public:
    RunDisplay(QWidget& window, QProgressBar& bar, RunView& view);
    ~RunDisplay() override;
    RunDisplay(const RunDisplay&) = delete;
    RunDisplay& operator=(const RunDisplay&) = delete;

    // Brackets one run's own code; runs nest (Save pressed while a run waits).
    class Run {
    public:
        explicit Run(RunDisplay& display);
        ~Run();
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

    private:
        RunDisplay& display_;
        std::optional<HeldDisplay::Run> held_;
    };

    [[nodiscard]] HeldDisplay& held() { return held_; }
    [[nodiscard]] const HeldDisplay& held() const { return held_; }

    // During the run's own code a new value waits for the next frame like the
    // log and the panels; progressValue is the newest either way.
    void setProgressValue(int value);
    [[nodiscard]] int progressValue() const;

    // Lets pending events through, with every write up to date before each.
    void processEvents();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Brings what waits to the controls.
    void sync();
    void scheduleFrame();
    void paintFrame();

    QWidget& window_;
    QProgressBar& bar_;
    HeldDisplay held_;
    std::optional<int> heldValue_;
    FramePacer pacer_;
    bool paintingFrame_ = false;
    QBasicTimer nextFrame_;
};

} // namespace tunecrate
