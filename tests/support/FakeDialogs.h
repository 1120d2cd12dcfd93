#pragma once

#include "Dialogs.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tunecrate::test {

// Stands in for the real dialogs of either window: answers with what the test
// queued and keeps what it was asked.
struct FakeDialogs {
    std::vector<std::string> playlistAnswers;
    std::vector<std::string> folderAnswers;
    int playlistRequests = 0;
    std::vector<std::pair<std::string, std::string>> folderRequests;
    std::vector<std::string> errors;
    // When set, answers the playlist dialog instead of playlistAnswers.
    std::function<std::string()> playlistAnswer;
    std::vector<std::string> roomQuestions;
    bool copyWhatFits = true;
    std::vector<std::vector<std::string>> removals; // each asked: the question, then the names
    bool remove = false;

    Dialogs dialogs()
    {
        return {
            .choosePlaylist =
                [this] {
                    ++playlistRequests;
                    return playlistAnswer ? playlistAnswer() : takeFirst(playlistAnswers);
                },
            .browseFolder =
                [this](const std::string& sTitle, const std::string& sStartPath) {
                    folderRequests.emplace_back(sTitle, sStartPath);
                    return takeFirst(folderAnswers);
                },
            .showError = [this](const std::string& message) { errors.push_back(message); },
            .askCopyWhatFits =
                [this](const std::string& question) {
                    roomQuestions.push_back(question);
                    return copyWhatFits;
                },
            .askRemoval =
                [this](const std::string& question, const std::vector<std::string>& names) {
                    removals.push_back({question});
                    removals.back().insert(removals.back().end(), names.begin(), names.end());
                    return remove;
                },
        };
    }

private:
    static std::string takeFirst(std::vector<std::string>& answers)
    {
        if (answers.empty()) {
            return {};
        }
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
};

} // namespace tunecrate::test
