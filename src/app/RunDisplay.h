#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QLabel;
class QProgressBar;
class QWidget;

namespace tunecrate {

// Shows what an export run writes to a window: log pieces, status panel texts
// and the progress value. The run writes far more often than a screen can
// show, so while its own code runs, its writes wait and the window paints at
// most once per screen refresh. Whatever waits reaches the controls before any
// event is delivered, so whatever a user or a command sees or changes in them
// is up to date. Outside a run, and while the run lets events through, writes
// reach the controls at once.
class RunDisplay final : public QObject {
public:
    using ShowLog = std::function<void(std::string_view piece)>;

    // showLog adds a piece to the end of the log box.
    RunDisplay(QWidget& window, QProgressBar& bar, const std::array<QLabel*, 3>& panels,
               ShowLog showLog);
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
        bool wasInRunBody_;
    };

    [[nodiscard]] bool running() const { return runDepth_ > 0; }

    void appendLog(std::string_view piece);
    // Drops what waits for the log box, for a log that starts afresh.
    void discardLog() { pendingLog_.clear(); }
    [[nodiscard]] bool logPending() const { return !pendingLog_.empty(); }
    // index 0 to 2 for panels 1 to 3.
    void setPanelText(std::size_t index, const std::string& text);
    void setProgressValue(int value);

    // Lets pending events through, with every write up to date before each.
    void processEvents();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    [[nodiscard]] bool deferring() const { return inRunBody_; }
    void scheduleDisplay();
    void scheduleFrame();
    void syncDisplay();
    void paintFrame();
    [[nodiscard]] qint64 frameMilliseconds() const;
    [[nodiscard]] qint64 untilNextFrame() const;

    QWidget& window_;
    QProgressBar& bar_;
    std::array<QLabel*, 3> panels_;
    ShowLog showLog_;

    int runDepth_ = 0;
    // True while the run's own code runs, false while it lets events through.
    bool inRunBody_ = false;
    bool paintingFrame_ = false;
    std::string pendingLog_;
    std::array<std::optional<std::string>, 3> pendingPanels_{};
    bool displayPending_ = false;
    QElapsedTimer sinceLastPaint_;
    QBasicTimer nextFrame_;
};

} // namespace tunecrate
