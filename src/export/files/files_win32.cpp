#include "Utf16.h"
#include "files/Paths.h"
#include "files/PlatformFiles.h"
#include "files/Utf8.h"

#include <algorithm>
#include <system_error>
#include <windows.h>

namespace tunecrate {
namespace {

class FileSource final : public ByteSource {
public:
    explicit FileSource(HANDLE file) : file_(file) {}
    ~FileSource() override { CloseHandle(file_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t read(char* buffer, std::size_t size) override
    {
        DWORD count = 0;
        const auto request = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!ReadFile(file_, buffer, request, &count, nullptr)) {
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                    "reading the playlist");
        }
        return count;
    }

private:
    HANDLE file_;
};

} // namespace

std::filesystem::path fsPath(std::string_view utf8)
{
    return wideFromUtf8(utf8);
}

std::string utf8Text(const std::filesystem::path& path)
{
    return utf8FromWide(path.native());
}

std::unique_ptr<ByteSource> openPlaylistFile(const std::string& path)
{
    if (path.empty() || holdsNul(path)) {
        return nullptr;
    }
    const std::filesystem::path name = fsPath(path);
    // A name the lookup cannot find (missing, malformed, wildcards) is not
    // found; one it finds but cannot open is an error.
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return nullptr;
    }
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "opening the playlist");
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return nullptr;
    }
    return std::make_unique<FileSource>(file);
}

namespace platform {

void decodePlaylistLine(std::string& line)
{
    if (!isValidUtf8(line)) {
        line = utf8FromWide(wideFromCodePage(CP_ACP, line));
    }
}

std::string comparablePath(std::string_view path)
{
    const std::wstring wide = wideFromUtf8(path);
    const int size = static_cast<int>(wide.size());
    std::wstring upper(wide.size(), L'\0');
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), size, upper.data(), size,
                  nullptr, nullptr, 0);
    return utf8FromWide(upper);
}

} // namespace platform
} // namespace tunecrate
