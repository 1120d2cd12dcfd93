#include "files/Failure.h"

#include <cerrno>
#include <cstring>

namespace tunecrate {

Failure failureOf(int code, Side side)
{
    const auto as = [code](Reason reason) {
        return Failure{reason, code};
    };
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return as(side == Side::Source ? Reason::NotFound : Reason::FolderMissing);
    case EACCES:
    case EPERM:
        return as(side == Side::Source ? Reason::Unreadable : Reason::System);
    case EIO:
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
    case ENOTCONN:
    case ESTALE:
        return as(side == Side::Source ? Reason::Unreadable : Reason::DriveGone);
    case ENOSPC:
    case EDQUOT:
        return as(Reason::DriveFull);
    case EFBIG:
        return as(Reason::TooLarge);
    case EINVAL:
    case EILSEQ:
    case ENAMETOOLONG:
        return as(side == Side::Target ? Reason::NameRefused : Reason::System);
    case EROFS:
        return as(Reason::ReadOnly);
    case EEXIST:
        return as(Reason::NameTaken);
    default:
        return as(Reason::System);
    }
}

int lastErrorCode()
{
    return errno;
}

std::string systemMessage(int code)
{
    return std::strerror(code);
}

} // namespace tunecrate
