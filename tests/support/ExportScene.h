#pragma once

#include "FolderState.h"
#include "Language.h"
#include "TempDir.h"
#include "Temporaries.h"
#include "TestWindow.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tunecrate::test {

// Bytes that say which file and which offset they belong to, so that a piece
// of one file is never mistaken for another file or for the whole.
inline std::string patterned(std::string_view label, std::size_t size)
{
    constexpr std::size_t recordBytes = 256;
    std::string bytes;
    bytes.reserve(size + recordBytes);
    while (bytes.size() < size) {
        const std::size_t end = bytes.size() + recordBytes;
        bytes += label;
        bytes += ' ';
        bytes += std::to_string(bytes.size());
        bytes.resize(end - 1, '.');
        bytes += '\n';
    }
    bytes.resize(size);
    return bytes;
}

// A fresh folder holding music/ (the sources), export/ (the target) and the
// playlist list.m3u. Paths given as text are UTF-8, as the core and the
// window's fields take them.
class ExportFolder {
public:
    ExportFolder()
    {
        std::filesystem::create_directories(music());
        std::filesystem::create_directories(target());
    }

    [[nodiscard]] std::filesystem::path music() const { return dir.path() / "music"; }
    [[nodiscard]] std::filesystem::path target() const { return dir.path() / "export"; }
    [[nodiscard]] std::filesystem::path list() const { return dir.path() / "list.m3u"; }
    [[nodiscard]] std::string targetText() const { return dir.file("export"); }

    // Makes a source file and gives its path as a playlist line names it.
    std::string song(const std::string& name, std::string_view bytes = "music")
    {
        writeFile(music() / name, bytes);
        return dir.file("music/" + name);
    }
    [[nodiscard]] std::string exported(const std::string& name) const
    {
        return dir.file("export/" + name);
    }
    // Writes the playlist, each line ended by lineBreak, and gives its path.
    std::string playlist(const std::vector<std::string>& lines,
                         std::string_view lineBreak = "\r\n") const
    {
        std::string text;
        for (const auto& line : lines) {
            text += line;
            text += lineBreak;
        }
        writeFile(list(), text);
        return dir.file("list.m3u");
    }

    // Temporaries left anywhere in the folder.
    [[nodiscard]] int temporariesLeft() const { return countTemporaries(dir.path()); }

    TempDir dir;
};

// The folder with a stand-in window in English pointed at its playlist and its
// target.
class ExportScene : public ExportFolder {
public:
    ExportScene()
    {
        ApplyLanguage("English", window);
        window.pathFromText = dir.file("list.m3u");
        window.pathToText = targetText();
    }

    TestWindow window;
};

} // namespace tunecrate::test
