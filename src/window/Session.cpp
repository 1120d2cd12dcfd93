#include "Session.h"

#include "OpenedPaths.h"
#include "run/ExportRun.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <utility>

namespace tunecrate {

Session::Session(WindowView& view, Dialogs dialogs)
    : view_(view), dialogs_(std::move(dialogs)), held_(view, [this] { held(); })
{}

void Session::runCommand(const std::function<void()>& command)
{
    std::string error;
    try {
        command();
        return;
    } catch (const std::exception& exception) {
        error = exception.what();
    } catch (...) {
        error = "unknown error";
    }
    dialogs_.showError("This step stopped with an error: " + error);
}

void Session::load()
{
    view_.setText("cmbLang", "English");
    applyShownLanguage();
}

void Session::applyShownLanguage()
{
    runCommand([this] {
        ApplyLanguage(view_.text("cmbLang"), *this);
        view_.fitToTexts();
    });
}

void Session::save()
{
    struct RunEnd {
        Session& session;
        ~RunEnd()
        {
            session.sync();
            if (--session.runDepth_ == 0 && session.closePending_) {
                session.view_.closeWindow();
            }
        }
    };
    runCommand([this] {
        if (runDepth_ == 0) {
            pacer_.setRefreshRate(view_.refreshRate());
        }
        ++runDepth_;
        const RunEnd runEnd{*this};
        const HeldDisplay::Run run(held_);
        runExport(*this);
    });
}

void Session::choosePlaylist()
{
    runCommand([this] {
        const std::string chosen = dialogs_.choosePlaylist();
        if (!chosen.empty()) {
            view_.setText("txtPathfrom", chosen);
        }
    });
}

void Session::chooseTargetFolder()
{
    runCommand([this] {
        const std::string chosen = dialogs_.browseFolder(folderPrompt, {});
        if (!chosen.empty()) {
            setPathTo(chosen);
        }
    });
}

void Session::logBoxChanged()
{
    // The window's own writes put the caret at the end themselves.
    if (!held_.writingLog()) {
        // Edits reach the box through events, and the box is synced before those.
        held_.logEditedInBox();
        view_.showLogEnd();
    }
}

bool Session::openPaths(const std::vector<std::string>& paths)
{
    const OpenedPaths opened = sortOpenedPaths(paths);
    if (!opened.pathFrom.empty()) {
        view_.setText("txtPathfrom", opened.pathFrom);
    }
    if (!opened.pathTo.empty()) {
        setPathTo(opened.pathTo);
    }
    return !opened.empty();
}

void Session::setPathTo(const std::string& path)
{
    view_.setText("txtPathto", path);
    pathTo_ = path;
}

bool Session::mayClose()
{
    if (runDepth_ > 0) {
        closePending_ = true;
        return false;
    }
    closePending_ = false;
    return true;
}

std::string Session::pathFrom() const
{
    return view_.text("txtPathfrom");
}

bool Session::withPlaylist() const
{
    return view_.checked("chkPlaylist");
}

bool Session::numbered() const
{
    return view_.checked("chkNumbered");
}

bool Session::removeDropped() const
{
    return view_.checked("chkRemoveDropped");
}

// Panel 1 "File: " and the source, panel 2 "Filename: " and the bare name,
// in the language of the moment.
void Session::entryStarted(const EntryStarted& entry)
{
    setPanelText(1, Language().strFile + ": " + std::string(entry.source));
    setPanelText(2, Language().strFilename + ": " + std::string(entry.name));
}

// Panel 3: "Progress: n%" for the value the bar shows, or what the run waits for.
void Session::activityChanged(Activity activity)
{
    setPanelText(3, activity == Activity::WritingToDrive
                        ? Language().strWritingToDrive
                        : Language().strProgress + ": " + std::to_string(barValue_) + "%");
}

void Session::setProgressValue(float value)
{
    const int shown = static_cast<int>(std::lround(std::clamp(value, 0.0f, 100.0f)));
    // A run sets the same value several times for each file.
    if (shown == barValue_) {
        return;
    }
    barValue_ = shown;
    // The bar would paint itself at every new value; during the run's own
    // code it waits for the frame that paints the rest of the window.
    if (held_.holding()) {
        barHeld_ = true;
        held();
        return;
    }
    view_.setBarValue(barValue_);
}

void Session::processEvents()
{
    const HeldDisplay::LetThrough through(held_);
    if (frameWanted_ && pacer_.frameDue()) {
        paintFrame();
    }
    view_.letEventsThrough();
}

std::optional<bool> Session::copyWhatFits(const std::string& question)
{
    // The window shows what the run wrote before it asks.
    sync();
    return !dialogs_.askCopyWhatFits || dialogs_.askCopyWhatFits(question);
}

bool Session::confirmRemoval(const std::string& question, const std::vector<std::string>& names)
{
    sync();
    return dialogs_.askRemoval && dialogs_.askRemoval(question, names);
}

void Session::setButtonCaption(Button button, const std::string& caption)
{
    switch (button) {
    case Button::Search:
        view_.setText("cmdSearch", caption);
        break;
    case Button::Search2:
        view_.setText("cmdSearch2", caption);
        break;
    case Button::Save:
        view_.setText("cmdSave", caption);
        break;
    case Button::Cancel:
        view_.setText("cmdCancel", caption);
        break;
    case Button::WithPlaylist:
        view_.setText("chkPlaylist", caption);
        break;
    case Button::Numbered:
        view_.setText("chkNumbered", caption);
        break;
    case Button::RemoveDropped:
        view_.setText("chkRemoveDropped", caption);
        break;
    }
}

bool Session::repaintWanted()
{
    if (pacer_.frameDue()) {
        paintFrame();
        return true;
    }
    held();
    return false;
}

void Session::paintFrame()
{
    const FramePacer::Clock::time_point started = FramePacer::Clock::now();
    frameWanted_ = false;
    sync();
    view_.paintFrame();
    pacer_.framePainted(FramePacer::Clock::now() - started);
}

// Something waits for the next frame.
void Session::held()
{
    if (!frameWanted_) {
        frameWanted_ = true;
        view_.scheduleFrame(std::chrono::ceil<std::chrono::milliseconds>(pacer_.untilDue()));
    }
}

void Session::sync()
{
    held_.sync();
    if (barHeld_) {
        barHeld_ = false;
        view_.setBarValue(barValue_);
    }
}

} // namespace tunecrate
