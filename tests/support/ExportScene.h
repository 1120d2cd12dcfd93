#pragma once

#include "FolderState.h"
#include "Language.h"
#include "TempDir.h"
#include "TestWindow.h"

#include <filesystem>
#include <string>
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
// playlist list.m3u, with a window in English pointed at the playlist and the
// target.
class ExportScene {
public:
    ExportScene()
    {
        std::filesystem::create_directories(music());
        std::filesystem::create_directories(target());
        ApplyLanguage("English", window);
        window.pathFromText = dir.file("list.m3u");
        window.pathToText = dir.file("export");
    }

    [[nodiscard]] std::filesystem::path music() const { return dir.path() / "music"; }
    [[nodiscard]] std::filesystem::path target() const { return dir.path() / "export"; }
    [[nodiscard]] std::filesystem::path list() const { return dir.path() / "list.m3u"; }

    // Makes a source file and gives its path as a playlist line names it.
    std::string song(const std::string& name, std::string_view bytes)
    {
        writeFile(music() / name, bytes);
        return dir.file("music/" + name);
    }
    [[nodiscard]] std::string exported(const std::string& name) const
    {
        return dir.file("export/" + name);
    }
    void playlist(const std::vector<std::string>& lines) const
    {
        std::string text;
        for (const auto& line : lines) {
            text += line + "\r\n";
        }
        writeFile(list(), text);
    }

    // Every file anywhere in the scene that carries a copy's temporary name.
    [[nodiscard]] int temporariesLeft() const
    {
        int count = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
            if (entry.path().filename().string().starts_with(".tunecrate-")) {
                ++count;
            }
        }
        return count;
    }

    TempDir dir;
    TestWindow window;
};

} // namespace tunecrate::test
