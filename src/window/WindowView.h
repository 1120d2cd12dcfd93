#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace tunecrate {

// A window as its toolkit shows it, driven by its Session. Controls go by their
// names in the design (txtPathfrom, cmdSave, chkPlaylist, ...); the log box is
// txtPlaylist, and its lines are separated by CR LF on both sides of this
// interface. The view decides nothing: it shows what it is told and reports
// what the user does to the session's handlers.
//
// Two hooks of the session keep a run's held-back writes honest: the view
// calls Session::beforeEvent() before it hands any event to a control, and
// while Session::holdsRepaints() it holds back the window's own repaints,
// reporting each with Session::repaintWanted().
class WindowView {
public:
    // A path box's text, cmbLang's shown item or the log box's text.
    [[nodiscard]] virtual std::string text(std::string_view control) const = 0;
    // A box's text (the log box's replaced whole) or a button's caption.
    virtual void setText(std::string_view control, const std::string& text) = 0;
    // Adds piece to the end of the log box in one insertion.
    virtual void appendToLog(std::string_view piece) = 0;
    // Puts the log box's caret after its last character, and that in view.
    virtual void showLogEnd() = 0;
    [[nodiscard]] virtual bool checked(std::string_view control) const = 0;
    // The grey hint an empty path box shows.
    virtual void setHint(std::string_view control, const std::string& hint) = 0;
    // What a screen reader reads for the control.
    virtual void setAccessibleName(std::string_view control, const std::string& name) = 0;
    // stbStatus's panels, numbered from 1.
    virtual void setPanelText(int panel, const std::string& text) = 0;
    // pgbCopy, 0 to 100: shown with the next paint, not painted at once.
    virtual void setBarValue(int value) = 0;
    // After a language switch: what depends on the texts is fitted to them.
    virtual void fitToTexts() = 0;

    // Lets the events that are pending through, once.
    virtual void letEventsThrough() = 0;
    // Paints whatever changed in the window, now.
    virtual void paintFrame() = 0;
    // Calls Session::paintFrame() once delay has passed, while events are
    // let through; a second request before then changes nothing.
    virtual void scheduleFrame(std::chrono::milliseconds delay) = 0;
    // Of the screen the window is on; 0 where the system does not tell.
    [[nodiscard]] virtual double refreshRate() const = 0;
    virtual void closeWindow() = 0;

protected:
    ~WindowView() = default;
};

} // namespace tunecrate
