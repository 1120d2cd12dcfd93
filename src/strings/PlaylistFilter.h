#pragma once

#include <string_view>

namespace tunecrate {

// The file-open dialog's filter, the same in both languages: description and
// patterns, each part separated from the next by "|", the patterns of one entry
// by ";". Playlists saved as .m3u8 are shown with the M3U ones; the
// descriptions stay as they always read.
inline constexpr std::string_view playlistFilter =
    "Playlists (*.m3u,*.pls,*.txt)|*.m3u;*.m3u8;*.pls;*.txt|"
    "M3U Playlists (*.m3u)|*.m3u;*.m3u8|"
    "PLS Playlists (*.pls)|*.pls|"
    "TXT Playlists (*.txt)|*.txt";

} // namespace tunecrate
