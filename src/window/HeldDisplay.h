#pragma once

#include "WindowView.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tunecrate {

// Keeps the log and holds back what a run writes to the log box and the
// panels. The box turns CR LF into its own line breaks, so the log is kept as
// the run wrote it and the box only shows it; once the user edits the box,
// what it shows is the log. The run writes far more often than a screen can
// show, so while its own code runs its writes wait, and the session brings
// them to the controls before any event is delivered and at each frame. Outside a run, and while
// the run lets events through, writes reach the controls at once.
class HeldDisplay {
public:
    // held is called whenever a write starts to wait.
    explicit HeldDisplay(WindowView& view, std::function<void()> held = {});

    // Brackets one run's own code; runs nest (Save pressed while a run waits).
    class Run {
    public:
        explicit Run(HeldDisplay& display);
        ~Run();
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

    private:
        HeldDisplay& display_;
        bool wasHolding_;
    };

    // While it lives, the run lets events through and writes go through at once.
    class LetThrough {
    public:
        explicit LetThrough(HeldDisplay& display);
        ~LetThrough();
        LetThrough(const LetThrough&) = delete;
        LetThrough& operator=(const LetThrough&) = delete;

    private:
        HeldDisplay& display_;
        bool wasHolding_;
    };

    [[nodiscard]] bool running() const { return runDepth_ > 0; }
    // True while a run's own code runs, false while it lets events through.
    [[nodiscard]] bool holding() const { return holding_; }
    [[nodiscard]] bool pending() const { return pending_; }
    // True while the window itself writes to the log box: a change the box
    // reports then is not the user's.
    [[nodiscard]] bool writingLog() const { return writingLog_; }

    // The log as written, lines separated by CR LF, including what the user
    // typed into the box.
    [[nodiscard]] std::string logText() const;
    void setLog(const std::string& text);
    void appendLog(std::string_view piece);
    void setPanelText(int panel, const std::string& text);
    void logEditedInBox() { logEditedInBox_ = true; }

    // Brings what waits to the controls.
    void sync();

private:
    void markHeld();
    void showInBox(std::string_view piece);

    WindowView& view_;
    std::function<void()> held_;
    int runDepth_ = 0;
    bool holding_ = false;
    bool writingLog_ = false;

    std::string logText_;
    bool logEditedInBox_ = false;

    bool pending_ = false;
    std::string pendingLog_;
    std::array<std::optional<std::string>, 3> pendingPanels_{};
};

} // namespace tunecrate
