#include "drive/Copy.h"
#include "drive/DriveFiles.h"
#include "files/PlatformFiles.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <windows.h>

namespace tunecrate::platform {
namespace {

// The path as the wide calls take it. One at or past MAX_PATH only opens in its
// extended form, and the temporary's name can push a destination that fits over
// the limit.
std::wstring osPath(const std::filesystem::path& path)
{
    const std::wstring& text = path.native();
    if (text.size() < MAX_PATH - 1 || text.starts_with(L"\\\\?\\") ||
        text.starts_with(L"\\\\.\\")) {
        return text;
    }
    std::wstring full(GetFullPathNameW(text.c_str(), 0, nullptr, nullptr), L'\0');
    full.resize(
        GetFullPathNameW(text.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    if (full.empty()) {
        return text;
    }
    if (full.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

// A copy takes over the source's attributes, read-only included, which would
// stop its removal.
void removeFile(const std::filesystem::path& file)
{
    const std::wstring name = osPath(file);
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(name.c_str());
}

// What a look at a file saw: the same again means the same file, unchanged.
bool unchanged(const WIN32_FILE_ATTRIBUTE_DATA& seen, const WIN32_FILE_ATTRIBUTE_DATA& now)
{
    const auto same = [](const FILETIME& one, const FILETIME& other) {
        return one.dwLowDateTime == other.dwLowDateTime &&
               one.dwHighDateTime == other.dwHighDateTime;
    };
    return seen.dwFileAttributes == now.dwFileAttributes && seen.nFileSizeLow == now.nFileSizeLow &&
           seen.nFileSizeHigh == now.nFileSizeHigh &&
           same(seen.ftLastWriteTime, now.ftLastWriteTime) &&
           same(seen.ftCreationTime, now.ftCreationTime);
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> lookAt(const std::filesystem::path& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(osPath(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return data;
}

// The copy under its temporary name; removed unless it was renamed into place.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile()
    {
        if (!path_.empty()) {
            removeFile(path_);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    void own(std::filesystem::path path) { path_ = std::move(path); }
    // Gives the copy its final name. Only the file seen there before the copy
    // began is replaced, and only while it is still as seen; where nothing was
    // seen, the name is taken only while it is free. A file that appeared
    // meanwhile (another program, a second run) or changed stays as it is:
    // false, with ERROR_ALREADY_EXISTS. The rename is on the drive when it
    // returns.
    [[nodiscard]] bool renameTo(const std::filesystem::path& destination,
                                const std::optional<WIN32_FILE_ATTRIBUTE_DATA>& seen)
    {
        DWORD flags = MOVEFILE_WRITE_THROUGH;
        WIN32_FILE_ATTRIBUTE_DATA now{};
        if (seen &&
            GetFileAttributesExW(osPath(destination).c_str(), GetFileExInfoStandard, &now)) {
            if (!unchanged(*seen, now)) {
                SetLastError(ERROR_ALREADY_EXISTS);
                return false;
            }
            flags |= MOVEFILE_REPLACE_EXISTING;
        }
        if (!MoveFileExW(osPath(path_).c_str(), osPath(destination).c_str(), flags)) {
            return false;
        }
        path_.clear();
        return true;
    }

private:
    std::filesystem::path path_;
};

// A handle that closes itself.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    [[nodiscard]] HANDLE get() const { return handle_; }
    [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// What the progress routine passes on. An exception from the window must not
// unwind through the system's copy: it is kept, the copy stopped, and it is
// thrown again once the copy has returned.
struct ProgressRelay {
    const CopyProgressRoutine& progress;
    bool called = false;
    std::exception_ptr error;
};

DWORD CALLBACK onCopyProgress(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                              LARGE_INTEGER /*streamSize*/, LARGE_INTEGER /*streamTransferred*/,
                              DWORD /*streamNumber*/, DWORD /*callbackReason*/,
                              HANDLE /*sourceFile*/, HANDLE /*destinationFile*/, LPVOID data)
{
    auto& relay = *static_cast<ProgressRelay*>(data);
    relay.called = true;
    try {
        relay.progress(static_cast<std::uint64_t>(totalFileSize.QuadPart),
                       static_cast<std::uint64_t>(totalBytesTransferred.QuadPart));
    } catch (...) {
        relay.error = std::current_exception();
        return PROGRESS_CANCEL;
    }
    return PROGRESS_CONTINUE;
}

std::optional<std::uint64_t> sizeAt(const std::filesystem::path& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(osPath(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool isNameTaken(DWORD error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// What makes a file the user's protected one.
constexpr DWORD protectingAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

bool isProtectedDestination(const std::filesystem::path& destination)
{
    const DWORD attributes = GetFileAttributesW(osPath(destination).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & protectingAttributes) != 0;
}

// Brings the data of the file written at path onto its drive, on the worker
// thread, where the error is its own: it is kept for the caller. A failure
// the test hook makes is the drive's.
Outcome flushWritten(HANDLE file, const std::string& destination, const WhileWaiting& whileWaiting)
{
    DWORD error = ERROR_GEN_FAILURE;
    const bool flushed = flushThroughHook(
        FlushCall::CopyData, destination,
        [file, &error] {
            if (FlushFileBuffers(file)) {
                return true;
            }
            error = GetLastError();
            return false;
        },
        whileWaiting);
    return flushed ? Outcome() : failureOf(static_cast<int>(error), Side::Target);
}

// The system copy has closed its own handle, so it is opened again.
Outcome flushWritten(const std::filesystem::path& path, const std::string& destination,
                     const WhileWaiting& whileWaiting)
{
    const FileHandle file(CreateFileW(osPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    if (!file.valid()) {
        return Outcome::lastError(Side::Target);
    }
    return flushWritten(file.get(), destination, whileWaiting);
}

// Why the system copy failed with error: the song's fault where it cannot be
// opened for reading, the target's otherwise.
Failure copyFailure(const std::filesystem::path& source, DWORD error)
{
    const FileHandle song(CreateFileW(osPath(source).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (!song.valid()) {
        return failureOf(lastErrorCode(), Side::Source);
    }
    return failureOf(static_cast<int>(error), Side::Target);
}

Outcome copyThroughTemporary(const std::filesystem::path& source,
                             const std::filesystem::path& destination,
                             const CopyProgressRoutine& progress,
                             const std::optional<WIN32_FILE_ATTRIBUTE_DATA>& seen, bool flushFirst)
{
    static unsigned counter = 0;
    const std::filesystem::path folder = destination.parent_path();
    ProgressRelay relay{progress, false, nullptr};
    TemporaryFile temporary;
    for (int attempt = 0;; ++attempt) {
        const std::filesystem::path candidate =
            folder / temporaryName(GetCurrentProcessId(), counter++);
        if (CopyFileExW(osPath(source).c_str(), osPath(candidate).c_str(), onCopyProgress, &relay,
                        nullptr, COPY_FILE_FAIL_IF_EXISTS)) {
            temporary.own(candidate);
            break;
        }
        const DWORD error = GetLastError();
        if (!isNameTaken(error)) {
            // A failed copy may leave the part it wrote.
            removeFile(candidate);
        }
        if (relay.error) {
            std::rethrow_exception(relay.error);
        }
        if (!isNameTaken(error) || attempt >= 1000) {
            return copyFailure(source, error);
        }
    }
    // The system copy takes over the source's attributes; a read-only or
    // hidden copy would count as the user's protected file, and no later
    // export could replace it.
    const std::wstring copied = osPath(temporary.path());
    if (const DWORD attributes = GetFileAttributesW(copied.c_str());
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & protectingAttributes) != 0) {
        const DWORD kept = attributes & ~protectingAttributes;
        (void)SetFileAttributesW(copied.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    }
    // Some system copies (Wine's among them) never call the routine; the
    // window still learns that the copy started and is complete. It may start
    // a run into this folder meanwhile: held, the temporary is no leftover to
    // that run's sweep.
    if (!relay.called) {
        const FileHandle held(CreateFileW(osPath(temporary.path()).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        const std::uint64_t size = sizeAt(temporary.path()).value_or(0);
        progress(size, 0);
        progress(size, size);
    }
    if (flushFirst) {
        const std::uint64_t size = sizeAt(temporary.path()).value_or(0);
        if (Outcome flushed = flushWritten(temporary.path(), utf8Text(destination),
                                           [&progress, size] { progress(size, size); });
            !flushed) {
            return flushed;
        }
    }
    if (temporary.renameTo(destination, seen)) {
        return {};
    }
    // Asked before the temporary's removal sets an error of its own.
    return Outcome::lastError(Side::Target);
}

} // namespace

// Only a temporary nobody holds is removed: the run that wrote it is gone.
// Opened for deletion and shared with nobody else's, which fails while a copy
// holds it; removed through that handle, its read-only mark (taken from the
// source) cleared first.
void removeAbandonedTemporary(const std::filesystem::path& file)
{
    const FileHandle handle(CreateFileW(osPath(file).c_str(),
                                        DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &information) ||
        (information.dwFileAttributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return;
    }
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    (void)SetFileInformationByHandle(handle.get(), FileBasicInfo, &basic, sizeof basic);
    (void)SetFileInformationByHandle(handle.get(), FileDispositionInfo, &disposition,
                                     sizeof disposition);
}

Outcome copyFile(const std::string& sourceText, const std::string& destinationText,
                 const CopyProgressRoutine& progress, KnownDestination known, bool flushFirst)
{
    const std::filesystem::path source = fsPath(sourceText);
    const std::filesystem::path destination = fsPath(destinationText);
    const std::optional<WIN32_FILE_ATTRIBUTE_DATA> seen =
        known != KnownDestination::Absent ? lookAt(destination) : std::nullopt;
    std::error_code error;
    if (seen && std::filesystem::equivalent(source, destination, error)) {
        const std::uintmax_t size = std::filesystem::file_size(source, error);
        if (error) {
            return failureOf(error.value(), Side::Source);
        }
        progress(size, size);
        return {};
    }
    if (seen && isProtectedDestination(destination)) {
        return failureOf(ERROR_ACCESS_DENIED, Side::Target);
    }
    Outcome copied = copyThroughTemporary(source, destination, progress, seen, flushFirst);
    // Where the name was taken meanwhile by this very source's copy (a second
    // run that exported the same song) it holds what it should.
    if (!copied && copied.failure().reason == Reason::NameTaken &&
        sizeOfHeldCopy(sourceText, destinationText, false)) {
        return {};
    }
    return copied;
}

std::optional<FileStamp> fileStamp(const std::string& path, bool followLinks)
{
    const std::optional<WIN32_FILE_ATTRIBUTE_DATA> data = lookAt(fsPath(path));
    const DWORD refused =
        FILE_ATTRIBUTE_DIRECTORY | (followLinks ? 0 : FILE_ATTRIBUTE_REPARSE_POINT);
    if (!data || (data->dwFileAttributes & refused) != 0) {
        return std::nullopt;
    }
    // File times count in 100 ns from 1601.
    constexpr std::int64_t ticksTo1970 = 116'444'736'000'000'000;
    const auto ticks =
        static_cast<std::int64_t>((std::uint64_t{data->ftLastWriteTime.dwHighDateTime} << 32) |
                                  data->ftLastWriteTime.dwLowDateTime);
    return FileStamp{(std::uint64_t{data->nFileSizeHigh} << 32) | data->nFileSizeLow,
                     (ticks - ticksTo1970) * 100};
}

std::optional<FileId> fileId(const std::string& path)
{
    // FILE_FLAG_BACKUP_SEMANTICS opens folders too.
    const HANDLE file = CreateFileW(osPath(fsPath(path)).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (!known) {
        return std::nullopt;
    }
    return FileId{information.dwVolumeSerialNumber,
                  (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

std::optional<DriveRoom> driveRoom(const std::string& folder)
{
    ULARGE_INTEGER available{};
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD clusters = 0;
    std::wstring root(MAX_PATH + 1, L'\0');
    const std::wstring path = osPath(fsPath(folder));
    if (!GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr) ||
        !GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
        !GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &clusters) ||
        clusters == 0) {
        return std::nullopt;
    }
    return DriveRoom{available.QuadPart, std::uint64_t{sectorsPerCluster} * bytesPerSector, false};
}

std::optional<std::uint64_t> entrySize(const std::string& path)
{
    return sizeAt(fsPath(path));
}

namespace {

constexpr DWORD comparedBytes = 64 * 1024;

class OpenFile {
public:
    OpenFile(const std::filesystem::path& path, DWORD access, DWORD disposition, DWORD flags)
        : handle_(CreateFileW(osPath(path).c_str(), access,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              disposition, flags, nullptr))
    {}
    ~OpenFile()
    {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    [[nodiscard]] HANDLE get() const { return handle_; }
    // Closes now, so that a late write error is seen.
    bool close()
    {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || CloseHandle(handle);
    }

private:
    HANDLE handle_;
};

std::optional<BY_HANDLE_FILE_INFORMATION> informationOf(const OpenFile& file)
{
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &information) ||
        (information.dwFileAttributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return std::nullopt;
    }
    return information;
}

std::uint64_t sizeOf(const BY_HANDLE_FILE_INFORMATION& information)
{
    return (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
}

std::int64_t ticksOf(const FILETIME& time)
{
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                     time.dwLowDateTime);
}

bool readAt(const OpenFile& file, char* buffer, DWORD count, std::uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    return ReadFile(file.get(), buffer, count, &got, &at) && got == count;
}

bool sameBytesAt(const OpenFile& one, const OpenFile& other, std::uint64_t offset, DWORD count)
{
    const auto buffer = std::make_unique_for_overwrite<char[]>(2 * std::size_t{count});
    return readAt(one, buffer.get(), count, offset) &&
           readAt(other, buffer.get() + count, count, offset) &&
           std::equal(buffer.get(), buffer.get() + count, buffer.get() + count);
}

} // namespace

std::optional<std::uint64_t> sizeOfHeldCopy(const std::string& source,
                                            const std::string& destination, bool windowsRules)
{
    // A link (or junction) is opened as itself and refused.
    const OpenFile held(fsPath(destination), GENERIC_READ, OPEN_EXISTING,
                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN);
    const auto heldInformation = informationOf(held);
    if (!heldInformation) {
        return std::nullopt;
    }
    const OpenFile in(fsPath(source), GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
    const auto information = informationOf(in);
    // File times count in 100 ns; times centuries apart stay far apart
    // rather than overflow.
    constexpr std::int64_t farApartTicks = 10'000'000'000'000'000;
    if (!information || sizeOf(*information) != sizeOf(*heldInformation) ||
        !copyTimeMatches(100 * std::clamp(ticksOf(information->ftLastWriteTime) -
                                              ticksOf(heldInformation->ftLastWriteTime),
                                          -farApartTicks, farApartTicks),
                         windowsRules)) {
        return std::nullopt;
    }
    const std::uint64_t size = sizeOf(*information);
    const auto head = static_cast<DWORD>(std::min<std::uint64_t>(size, comparedBytes));
    if (!sameBytesAt(in, held, 0, head) ||
        (size > head && !sameBytesAt(in, held, size - comparedBytes, comparedBytes))) {
        return std::nullopt;
    }
    return size;
}

Outcome writeWholeFile(const std::filesystem::path& destination, std::string_view bytes,
                       bool flushFirst, const WhileWaiting& whileWaiting)
{
    static unsigned counter = 0;
    const std::optional<WIN32_FILE_ATTRIBUTE_DATA> seen = lookAt(destination);
    const std::filesystem::path folder = destination.parent_path();
    TemporaryFile temporary;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::filesystem::path candidate =
            folder / temporaryName(GetCurrentProcessId(), counter++);
        OpenFile file(candidate, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
        if (!file.valid()) {
            if (!isNameTaken(GetLastError())) {
                return Outcome::lastError(Side::Target);
            }
            continue;
        }
        temporary.own(candidate);
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr)) {
            return Outcome::lastError(Side::Target);
        }
        if (written != bytes.size()) {
            return failureOf(ERROR_DISK_FULL, Side::Target); // a short write: no room left
        }
        if (flushFirst) {
            if (Outcome flushed = flushWritten(file.get(), utf8Text(destination), whileWaiting);
                !flushed) {
                return flushed;
            }
        }
        if (!file.close() || !temporary.renameTo(destination, seen)) {
            return Outcome::lastError(Side::Target);
        }
        return {};
    }
    return failureOf(ERROR_FILE_EXISTS, Side::Target);
}

bool writesStraight(const std::string& /*folder*/)
{
    return false;
}

Renamed renameCopy(const std::string& from, const std::string& to)
{
    if (MoveFileExW(osPath(fsPath(from)).c_str(), osPath(fsPath(to)).c_str(),
                    MOVEFILE_WRITE_THROUGH)) {
        return Renamed::Done;
    }
    return isNameTaken(GetLastError()) ? Renamed::Taken : Renamed::Failed;
}

bool setModifiedTime(const std::string& path, std::int64_t time)
{
    constexpr std::int64_t ticksTo1970 = 116'444'736'000'000'000;
    const FileHandle file(CreateFileW(osPath(fsPath(path)).c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const auto ticks = static_cast<std::uint64_t>(time / 100 + ticksTo1970);
    const FILETIME written{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    return file.valid() && SetFileTime(file.get(), nullptr, nullptr, &written);
}

bool removeCopy(const std::string& path)
{
    const std::wstring name = osPath(fsPath(path));
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesW(name.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    return DeleteFileW(name.c_str()) != 0;
}

void hideFile(const std::filesystem::path& file)
{
    const std::wstring name = osPath(file);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        (void)SetFileAttributesW(name.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
    }
}

FolderLock::~FolderLock()
{
    if (handle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

// A file opened for no one else to share, gone with its handle.
bool FolderLock::tryTake(const std::string& folder)
{
    const HANDLE handle = CreateFileW(osPath(fsPath(folder) / L".tunecrate.lock").c_str(),
                                      GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return GetLastError() != ERROR_SHARING_VIOLATION;
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    return true;
}

} // namespace tunecrate::platform
