#pragma once

#include <string>
#include <string_view>

namespace tunecrate {

// The longest name a drive takes: 255 UTF-16 units on a Windows-rule drive
// (FAT, exFAT, NTFS), 255 bytes elsewhere.
inline constexpr std::size_t longestName = 255;

// The bare name a file takes on a drive that follows Windows' rules
// (followsWindowsRules): each of " * : < > ? \ |, each control character and
// each byte that is not part of valid UTF-8 becomes "_", trailing dots and
// spaces go, and a device name Windows reserves (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9, in any case, with or without an extension) gets "_"
// after it. Elsewhere the name stays exactly as it is.
[[nodiscard]] std::string driveSafeName(std::string_view bareName, bool windowsRules);

// safeName numbered as the same-name rule numbers it (2 makes "song.mp3"
// "song (2).mp3"; a name without extension, or a dot-file, takes the number
// at its end), then shortened before its extension, at a character boundary,
// until it fits the drive's longestName.
[[nodiscard]] std::string nameOnDrive(std::string_view safeName, int number, bool windowsRules);

// The number n for which name is nameOnDrive(safeName, n), names compared as
// the drive compares them (windowsRules: without regard to case); 0 for none.
// Up to 10,000, as many as the same-name rule tries.
[[nodiscard]] int numberOnDrive(std::string_view name, std::string_view safeName,
                                bool windowsRules);

} // namespace tunecrate
