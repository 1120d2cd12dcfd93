#pragma once

namespace tunecrate {

// The program's name, version and maker, as the window's caption and
// --version show them.
inline constexpr char programTitle[] = "Tunecrate " TUNECRATE_VERSION " by Quillmar";

} // namespace tunecrate
