#include "Utf16.h"
#include "files/Failure.h"

#include <windows.h>

namespace tunecrate {

Failure failureOf(int code, Side side)
{
    const auto as = [code](Reason reason) {
        return Failure{reason, code};
    };
    switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
        return as(side == Side::Source ? Reason::NotFound : Reason::FolderMissing);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return as(side == Side::Source ? Reason::Unreadable : Reason::System);
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_GEN_FAILURE:
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_NO_MEDIA_IN_DRIVE:
    case ERROR_FILE_INVALID:
        return as(side == Side::Source ? Reason::Unreadable : Reason::DriveGone);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return as(Reason::DriveFull);
    case ERROR_FILE_TOO_LARGE:
        return as(Reason::TooLarge);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
        return as(side == Side::Target ? Reason::NameRefused : Reason::System);
    case ERROR_WRITE_PROTECT:
        return as(Reason::ReadOnly);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return as(Reason::NameTaken);
    default:
        return as(Reason::System);
    }
}

int lastErrorCode()
{
    return static_cast<int>(GetLastError());
}

std::string systemMessage(int code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) {
        return "error " + std::to_string(static_cast<DWORD>(code));
    }
    std::wstring_view message(text, length);
    // The system ends its messages with a full stop and a line break.
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.remove_suffix(1);
    }
    std::string utf8 = utf8FromWide(message);
    LocalFree(text);
    return utf8;
}

} // namespace tunecrate
