#include "WindowCommands.h"

#include "OpenedPaths.h"

#include <exception>
#include <utility>

namespace tunecrate {

WindowCommands::WindowCommands(CommandControls& controls, LanguageWindow& language, Dialogs dialogs)
    : controls_(controls), language_(language), dialogs_(std::move(dialogs))
{}

void WindowCommands::setDialogs(Dialogs dialogs)
{
    dialogs_ = std::move(dialogs);
}

void WindowCommands::run(const std::function<void()>& command)
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

void WindowCommands::applyShownLanguage()
{
    run([this] {
        ApplyLanguage(controls_.shownLanguage(), language_);
        controls_.languageApplied();
    });
}

void WindowCommands::choosePlaylist()
{
    run([this] {
        const std::string chosen = dialogs_.choosePlaylist();
        if (!chosen.empty()) {
            controls_.setPathFrom(chosen);
        }
    });
}

void WindowCommands::chooseTargetFolder()
{
    run([this] {
        const std::string chosen = dialogs_.browseFolder(folderPrompt, {});
        if (!chosen.empty()) {
            controls_.setPathTo(chosen);
        }
    });
}

bool WindowCommands::openPaths(const std::vector<std::string>& paths)
{
    const OpenedPaths opened = sortOpenedPaths(paths);
    if (!opened.pathFrom.empty()) {
        controls_.setPathFrom(opened.pathFrom);
    }
    if (!opened.pathTo.empty()) {
        controls_.setPathTo(opened.pathTo);
    }
    return !opened.empty();
}

void WindowCommands::save(const std::function<void()>& exportRun)
{
    struct RunEnd {
        WindowCommands& commands;
        ~RunEnd()
        {
            if (--commands.runDepth_ == 0 && commands.closePending_) {
                commands.controls_.closeWindow();
            }
        }
    };
    run([this, &exportRun] {
        ++runDepth_;
        const RunEnd runEnd{*this};
        exportRun();
    });
}

bool WindowCommands::mayClose()
{
    if (runDepth_ > 0) {
        closePending_ = true;
        return false;
    }
    closePending_ = false;
    return true;
}

} // namespace tunecrate
