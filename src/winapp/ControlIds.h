#pragma once

namespace tunecrate::win32 {

// The controls' ids, by which the window's commands and its tests find them.
// None is IDOK or IDCANCEL: Enter and Esc press no button by themselves.
enum class ControlId : int {
    cmdSearch = 1001,
    txtPlaylist,
    txtPathfrom,
    cmdSave,
    txtPathto,
    cmdSearch2,
    cmbLang,
    cmdCancel,
    pgbCopy,
    stbStatus,
};

[[nodiscard]] constexpr int idOf(ControlId control)
{
    return static_cast<int>(control);
}

// The window class, as tools that look for the window find it.
inline constexpr wchar_t windowClassName[] = L"frmPlaylistExporter";

} // namespace tunecrate::win32
