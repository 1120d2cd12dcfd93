#include "HeldDisplay.h"

#include <utility>

namespace tunecrate {
namespace {

constexpr std::string_view logBox = "txtPlaylist";

// Sets a flag for as long as it lives and puts the old value back after.
class FlagScope {
public:
    FlagScope(bool& flag, bool value) : flag_(flag), old_(std::exchange(flag, value)) {}
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

} // namespace

HeldDisplay::HeldDisplay(WindowView& view, std::function<void()> held)
    : view_(view), held_(std::move(held))
{}

HeldDisplay::Run::Run(HeldDisplay& display)
    : display_(display), wasHolding_(std::exchange(display.holding_, true))
{
    ++display_.runDepth_;
}

HeldDisplay::Run::~Run()
{
    display_.holding_ = wasHolding_;
    display_.sync();
    --display_.runDepth_;
}

HeldDisplay::LetThrough::LetThrough(HeldDisplay& display)
    : display_(display), wasHolding_(std::exchange(display.holding_, false))
{}

HeldDisplay::LetThrough::~LetThrough()
{
    display_.holding_ = wasHolding_;
}

std::string HeldDisplay::logText() const
{
    return logEditedInBox_ ? view_.text(logBox) : logText_;
}

void HeldDisplay::setLog(const std::string& text)
{
    pendingLog_.clear();
    logText_ = text;
    logEditedInBox_ = false;
    const FlagScope writing(writingLog_, true);
    view_.setText(logBox, text);
    view_.showLogEnd();
}

void HeldDisplay::appendLog(std::string_view piece)
{
    if (logEditedInBox_) {
        logText_ = view_.text(logBox);
        logEditedInBox_ = false;
    }
    logText_ += piece;
    if (holding_) {
        pendingLog_ += piece;
        markHeld();
        return;
    }
    sync();
    showInBox(piece);
}

void HeldDisplay::setPanelText(int panel, const std::string& text)
{
    if (holding_) {
        pendingPanels_.at(static_cast<std::size_t>(panel - 1)) = text;
        markHeld();
        return;
    }
    sync();
    view_.setPanelText(panel, text);
}

void HeldDisplay::sync()
{
    if (!pending_) {
        return;
    }
    pending_ = false;
    if (!pendingLog_.empty()) {
        showInBox(std::exchange(pendingLog_, {}));
    }
    for (std::size_t i = 0; i < pendingPanels_.size(); ++i) {
        if (std::optional<std::string> text = std::exchange(pendingPanels_[i], {})) {
            view_.setPanelText(static_cast<int>(i + 1), *text);
        }
    }
}

void HeldDisplay::markHeld()
{
    pending_ = true;
    if (held_) {
        held_();
    }
}

void HeldDisplay::showInBox(std::string_view piece)
{
    const FlagScope writing(writingLog_, true);
    view_.appendToLog(piece);
    view_.showLogEnd();
}

} // namespace tunecrate
