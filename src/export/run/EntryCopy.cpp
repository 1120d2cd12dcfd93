#include "run/EntryCopy.h"

#include "Language.h"
#include "drive/DriveFiles.h"
#include "drive/FileOps.h"
#include "files/Paths.h"
#include "folder/Steps.h"
#include "run/CopyBar.h"

namespace tunecrate {

std::optional<EntryCopy::Arrival> EntryCopy::copy(const std::string& source, bool truncatedLine)
{
    ++number_;
    ExportWindow& window = run_.window;
    const std::string name = run_.options.numbered
                                 ? numberedName(bareName(source), number_, run_.order.entries)
                                 : std::string(bareName(source));
    window.entryStarted({.number = number_,
                         .entries = run_.order.entries,
                         .source = source,
                         .name = bareName(source)});
    window.setProgressValue(0);

    // The target folder is read afresh for each entry, so a folder chosen
    // during a copy counts from the next entry on.
    const std::string folder = window.pathTo();
    const bool absolute = isAbsoluteFolder(folder);
    const DriveOfFolder::Facts* drive = absolute ? &run_.drives.of(folder) : nullptr;
    if (absolute && !run_.waitForFolder(folder, drive->windowsRules)) {
        return std::nullopt;
    }
    WrittenDestinations& written = run_.written;
    auto destination = written.resolve(folder, name, source, &run_.sources);
    run_.log({crlf, source, crlf, Language().strCopiedTo, crlf, destination.path});
    written.reserve(folder, source, destination);

    // A line cut short names no real file (copying what is left of it could
    // pick up an unrelated one), and a folder that is not absolute no place
    // the user would find: it would lie under the program's working folder.
    const bool copying = !truncatedLine && absolute;
    if (copying) {
        sweep_.sweepOnce(folder);
    }
    // A song in the folder it is exported into is where it belongs, and
    // is no copy: nothing of it is recorded.
    if (copying && destination.isSource) {
        written.release(folder, destination);
        const bool there = platform::fileStamp(source, true).has_value();
        if (!there) {
            run_.failed(source, Failure{Reason::NotFound});
        }
        run_.log({crlf, there ? "ok" : "error", crlf, "---"});
        return there ? std::optional<Arrival>({folder, std::move(destination.path)}) : std::nullopt;
    }
    // The look that chose the destination mostly saw what is there; only
    // where none was needed does the copy look first.
    if (copying && destination.seen == platform::KnownDestination::Unknown) {
        destination.seen = files_.size(destination.path) ? platform::KnownDestination::Present
                                                         : platform::KnownDestination::Absent;
    }
    if (!copying) {
        run_.failed(source, Failure{truncatedLine ? Reason::LineCutShort : Reason::FolderNotFull});
    }
    const std::optional<Copied> copied =
        copying ? copyUnlessHeld(source, *drive, folder, destination) : std::nullopt;
    if (copied) {
        reached(Step::Copied);
        written.remember(folder, name, source, destination, copied->size);
        run_.recorded->arrived(folder, std::string(bareName(destination.path)), source,
                               destination.path, !copied->held);
    }
    written.release(folder, destination);
    // The copy's own result says whether the file arrived, in the folder
    // it used, whatever the box holds by now.
    const bool ok = copied.has_value();
    run_.log({crlf, ok ? "ok" : "error", crlf, "---"});
    return ok ? std::optional<Arrival>({folder, std::move(destination.path)}) : std::nullopt;
}

// Copies source to destination unless it already holds the copy, as an
// export made again over an earlier one finds for every unchanged file,
// or the copy could never fit on the drive.
std::optional<EntryCopy::Copied>
EntryCopy::copyUnlessHeld(const std::string& source, const DriveOfFolder::Facts& drive,
                          const std::string& folder,
                          const WrittenDestinations::Destination& destination)
{
    // Where nothing was there is no earlier copy to keep, and the copy
    // need not look again; where the record's look found it held, neither.
    const bool absent = destination.seen == platform::KnownDestination::Absent;
    const std::optional<std::uint64_t> held =
        destination.held ? platform::entrySize(destination.path)
        : absent         ? std::nullopt
                         : heldCopySize(source, destination.path, drive.windowsRules);
    if (held) {
        CopyProgress(*held, *held, &run_.window);
        return Copied{*held, true};
    }
    if (drive.largestFile) {
        const std::optional<platform::FileStamp> from = platform::fileStamp(source, true);
        if (from && from->size > *drive.largestFile) {
            run_.failed(source, Failure{Reason::TooLarge});
            return std::nullopt;
        }
    }
    std::uint64_t size = 0;
    const Outcome copied = FileCopy(
        source, destination.path,
        [this, &size](std::uint64_t total, std::uint64_t done) {
            size = done;
            CopyProgress(total, done, &run_.window);
        },
        destination.seen, drive.flushesEachCopy);
    if (!copied) {
        run_.failed(source, copied.failure());
        return std::nullopt;
    }
    run_.writtenFolders.wrote(folder);
    return Copied{size, false};
}

} // namespace tunecrate
