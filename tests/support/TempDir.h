#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace tunecrate::test {

// A fresh, empty folder for one test, removed with everything in it afterwards.
// It lies in the system's temporary folder unless the test names another root.
class TempDir {
public:
    explicit TempDir(const std::filesystem::path& root = std::filesystem::temp_directory_path())
    {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = root / ("tunecrate-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ignored;
        // Files a test protected must not keep the folder alive.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    // The path of the UTF-8 name inside the folder, as the UTF-8 text the core
    // takes; "/" in name becomes the platform's separator, as in the paths the
    // run writes.
    [[nodiscard]] std::string file(std::string_view name) const
    {
        const std::filesystem::path relative(std::u8string(name.begin(), name.end()));
        const std::u8string text = (path_ / relative).make_preferred().u8string();
        return {text.begin(), text.end()};
    }
    [[nodiscard]] std::string text() const
    {
        const std::u8string text = path_.u8string();
        return {text.begin(), text.end()};
    }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Names in a folder that look like a copy's temporary file.
inline int countTemporaries(const std::filesystem::path& folder)
{
    int count = 0;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        if (entry.path().filename().string().starts_with(".tunecrate-")) {
            ++count;
        }
    }
    return count;
}

} // namespace tunecrate::test
