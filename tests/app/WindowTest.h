#pragma once

#include "LogLines.h"
#include "frmPlaylistExporter.h"

#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <QProgressBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tunecrate::test {

template <class Control = QWidget> Control* control(const QWidget& window, const char* name)
{
    return window.findChild<Control*>(QString::fromLatin1(name));
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

// A temporary folder holding music files, a playlist naming them and an empty
// target folder.
class ExportFolder {
public:
    ExportFolder() { QDir(dir_.path()).mkdir(QStringLiteral("export")); }

    // Writes a music file of the given size and gives its path.
    std::string music(const QString& name, qsizetype size = 16)
    {
        const QString path = dir_.filePath(name);
        writeBytes(path, QByteArray(size, 'm'));
        return path.toStdString();
    }
    std::string missing(const QString& name) const
    {
        return dir_.filePath(QStringLiteral("gone/") + name).toStdString();
    }
    // Writes the playlist, lines ended by CR LF, and gives its path.
    std::string playlist(const std::vector<std::string>& lines) const
    {
        QByteArray bytes;
        for (const std::string& line : lines) {
            bytes += QByteArray::fromStdString(line) + "\r\n";
        }
        const QString path = dir_.filePath(QStringLiteral("list.m3u"));
        writeBytes(path, bytes);
        return path.toStdString();
    }
    std::string target() const { return dir_.filePath(QStringLiteral("export")).toStdString(); }
    std::string copied(const QString& name) const
    {
        return dir_.filePath(QStringLiteral("export/") + name).toStdString();
    }
    [[nodiscard]] bool isValid() const { return dir_.isValid(); }

private:
    QTemporaryDir dir_;
};

// More than a megabyte, so that its copy reports progress between chunks.
constexpr qsizetype multiChunkSize = 3 * 1024 * 1024 + 1;

// Runs action once, at the first chance the window lets events through after
// a copy has reported progress above 0 and below 100: what a user does while
// a file is being copied.
inline void duringFirstCopy(frmPlaylistExporter& window, std::function<void()> action)
{
    auto* bar = control<QProgressBar>(window, "pgbCopy");
    auto pending = std::make_shared<std::function<void()>>(std::move(action));
    QObject::connect(bar, &QProgressBar::valueChanged, &window, [pending, &window](int value) {
        if (*pending && value > 0 && value < 100) {
            QMetaObject::invokeMethod(&window, std::exchange(*pending, {}), Qt::QueuedConnection);
        }
    });
}

// Stands in for the real dialogs: answers with what the test queued and keeps
// what it was asked.
struct FakeDialogs {
    std::vector<QString> playlistAnswers;
    std::vector<std::string> folderAnswers;
    std::vector<QWidget*> playlistParents;
    std::vector<std::pair<std::string, std::string>> folderRequests;
    QStringList errors;
    std::function<void()> beforePlaylistAnswer;

    Dialogs dialogs()
    {
        return {
            .choosePlaylist =
                [this](QWidget* parent) {
                    playlistParents.push_back(parent);
                    if (beforePlaylistAnswer) {
                        beforePlaylistAnswer();
                    }
                    return takeFirst(playlistAnswers);
                },
            .browseFolder =
                [this](const std::string& sTitle, const std::string& sStartPath) {
                    folderRequests.emplace_back(sTitle, sStartPath);
                    return takeFirst(folderAnswers);
                },
            .showError = [this](QWidget*, const QString& message) { errors.append(message); },
        };
    }

private:
    template <class Answer> static Answer takeFirst(std::vector<Answer>& answers)
    {
        if (answers.empty()) {
            return {};
        }
        Answer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
};

} // namespace tunecrate::test
