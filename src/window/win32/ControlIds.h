#pragma once

#include "Design.h"

#include <string_view>

namespace tunecrate::win32 {

inline constexpr int firstControlId = 1001;

// The controls' ids, by which the window's commands and its tests find them:
// they follow the design's tab order. None is IDOK or IDCANCEL: Enter and Esc
// press no button by themselves.
enum class ControlId : int {
    cmdSearch = firstControlId,
    txtPlaylist,
    txtPathfrom,
    chkPlaylist,
    chkNumbered,
    chkRemoveDropped,
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

[[nodiscard]] constexpr int idOf(std::string_view name)
{
    return firstControlId + static_cast<int>(tabIndexOf(name));
}

static_assert(idOf(ControlId::cmdSearch) == idOf("cmdSearch"));
static_assert(idOf(ControlId::txtPlaylist) == idOf("txtPlaylist"));
static_assert(idOf(ControlId::txtPathfrom) == idOf("txtPathfrom"));
static_assert(idOf(ControlId::chkPlaylist) == idOf("chkPlaylist"));
static_assert(idOf(ControlId::chkNumbered) == idOf("chkNumbered"));
static_assert(idOf(ControlId::chkRemoveDropped) == idOf("chkRemoveDropped"));
static_assert(idOf(ControlId::cmdSave) == idOf("cmdSave"));
static_assert(idOf(ControlId::txtPathto) == idOf("txtPathto"));
static_assert(idOf(ControlId::cmdSearch2) == idOf("cmdSearch2"));
static_assert(idOf(ControlId::cmbLang) == idOf("cmbLang"));
static_assert(idOf(ControlId::cmdCancel) == idOf("cmdCancel"));
static_assert(idOf(ControlId::pgbCopy) == idOf("pgbCopy"));
static_assert(idOf(ControlId::stbStatus) == idOf("stbStatus"));

// The window class, as tools that look for the window find it.
inline constexpr wchar_t windowClassName[] = L"frmPlaylistExporter";

} // namespace tunecrate::win32
