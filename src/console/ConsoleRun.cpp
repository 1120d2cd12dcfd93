#include "ConsoleRun.h"

#include "Language.h"
#include "playlist/Playlist.h"
#include "run/ExportRun.h"

#include <cmath>
#include <iostream>

namespace tunecrate {
namespace {

constexpr std::string_view crlf = "\r\n";

// The export run's window in a terminal: the log goes to standard output line
// by line as the run writes it, the progress to standard error, the dialogs
// become questions there, and Ctrl+C is Cancel.
class ConsoleWindow final : public ExportWindow, public LanguageWindow {
public:
    ConsoleWindow(const CommandLine& line, Console& console) : line_(line), console_(console) {}

    // Writes what is left of the log, ended by a line break.
    void finish()
    {
        if (!pending_.empty()) {
            console_.write(pending_ + "\n");
        }
        pending_.clear();
    }

    std::string pathFrom() const override { return line_.playlist; }
    std::string pathTo() const override { return line_.folder; }
    bool withPlaylist() const override { return line_.withPlaylist; }
    bool numbered() const override { return line_.numbered; }
    bool removeDropped() const override { return line_.removeDropped; }

    // The run replaces the log only before it wrote any of it.
    void setLog(const std::string& text) override
    {
        pending_.clear();
        started_ = false;
        appendLog(text);
    }
    void appendLog(std::string_view piece) override
    {
        // The log's leading line break is left out.
        if (!started_ && !piece.empty()) {
            started_ = true;
            if (piece.starts_with(crlf)) {
                piece.remove_prefix(crlf.size());
            }
        }
        pending_ += piece;
        const std::size_t last = pending_.rfind(crlf);
        if (last == std::string::npos) {
            return;
        }
        std::string lines;
        for (std::size_t start = 0; start <= last;) {
            const std::size_t end = pending_.find(crlf, start);
            lines.append(pending_, start, end - start);
            lines += '\n';
            start = end + crlf.size();
        }
        pending_.erase(0, last + crlf.size());
        console_.write(lines);
    }
    void setPanelText(int, const std::string&) override {}
    void setProgressValue(float value) override
    {
        const int percent = static_cast<int>(std::lround(value));
        // The bar goes back to 0 when the run ends: nothing to show then.
        if (percent == progress_ || number_ == 0 || (percent == 0 && progress_ > 0)) {
            progress_ = percent;
            return;
        }
        progress_ = percent;
        // Appended piece by piece: GCC 12 at -O3 warns of an overlap in
        // "/" + text that cannot happen.
        std::string line = std::to_string(number_);
        if (entries_ > 0) {
            line += '/';
            line += std::to_string(entries_);
        }
        line += ' ';
        line += name_;
        line += ' ';
        line += std::to_string(percent);
        line += '%';
        (void)console_.showProgress(line);
    }
    float progressValue() const override { return static_cast<float>(progress_); }
    void clearCancelRequest() override {}
    bool cancelRequested() const override { return console_.interrupted(); }
    void processEvents() override {}
    void entryStarted(const EntryStarted& entry) override
    {
        number_ = entry.number;
        entries_ = entry.entries;
        name_ = entry.name;
        progress_ = -1;
    }
    void activityChanged(Activity) override {}
    std::optional<bool> copyWhatFits(const std::string& question) override
    {
        if (line_.copyWhatFits) {
            return true;
        }
        return console_.ask(question);
    }
    bool confirmRemoval(const std::string& question, const std::vector<std::string>& names) override
    {
        if (line_.yes) {
            return true;
        }
        std::string listed;
        for (const std::string& name : names) {
            listed += "  ";
            listed += name;
            listed += '\n';
        }
        listed += question;
        return console_.ask(listed).value_or(false);
    }

    void setButtonCaption(Button, const std::string&) override {}
    void setHint(std::string_view, const std::string&) override {}
    void setAccessibleName(std::string_view, const std::string&) override {}

private:
    const CommandLine& line_;
    Console& console_;
    std::string pending_; // the log's last line, not yet complete
    bool started_ = false;
    std::string name_;
    int number_ = 0;
    int entries_ = 0;
    int progress_ = -1;
};

} // namespace

bool readYes()
{
    std::string answer;
    std::getline(std::cin, answer);
    return !answer.empty() &&
           std::string_view("yYjJ").find(answer.front()) != std::string_view::npos;
}

std::optional<int> runWithoutWindow(const CommandLine& line, Console& console)
{
    switch (line.form) {
    case CommandLine::Form::Window:
        return std::nullopt;
    case CommandLine::Form::Help:
        console.write(helpText());
        return console.outputFailed() ? 1 : 0;
    case CommandLine::Form::Version:
        console.write(versionText());
        return console.outputFailed() ? 1 : 0;
    case CommandLine::Form::Wrong:
        console.writeError("tunecrate: " + line.wrong + "\n\n" + helpText());
        return 2;
    case CommandLine::Form::Export:
        break;
    }
    ConsoleWindow window(line, console);
    ApplyLanguage(line.language, window);
    const RunSummary summary = runExport(window);
    window.finish();
    return exitStatus(summary, console.outputFailed());
}

} // namespace tunecrate
