#pragma once

#include "Controls.h"
#include "FramePacer.h"
#include "HeldDisplay.h"

#include <optional>

namespace tunecrate::win32 {

class WindowBase;

// Shows what an export run writes to the Win32 window. While the run's own
// code runs, its writes to the log box and the panels wait (HeldDisplay) and
// the progress bar does not paint; when the run lets messages through, the
// window paints at most once per frame (FramePacer). Whatever waits reaches
// the controls before any message is handed on, so whatever a user or a
// command meets in them is up to date.
class RunDisplay {
public:
    RunDisplay(WindowBase& window, ProgressBar bar, RunView& view);

    // Brackets one run's own code; runs nest (Save pressed while a run waits).
    class Run {
    public:
        explicit Run(RunDisplay& display) : display_(display), held_(std::in_place, display.held_)
        {}
        ~Run();
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

    private:
        RunDisplay& display_;
        std::optional<HeldDisplay::Run> held_;
    };

    [[nodiscard]] HeldDisplay& held() { return held_; }
    [[nodiscard]] const HeldDisplay& held() const { return held_; }

    // Takes the refresh rate of the screen the window is on.
    void measureScreen();
    void setProgressValue(int position);

    // Lets pending messages through: painting waits for the next frame, every
    // other message goes on at once and in its order, each after the controls
    // are brought up to date.
    void processEvents();

private:
    void sync();

    WindowBase& window_;
    ProgressBar bar_;
    HeldDisplay held_;
    FramePacer pacer_;
    bool barPaused_ = false;
};

} // namespace tunecrate::win32
