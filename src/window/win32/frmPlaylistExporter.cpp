#include "frmPlaylistExporter.h"

#include "ControlIds.h"
#include "GdiHolders.h"
#include "OpenedPaths.h"
#include "QuietEdit.h"
#include "SystemDialogs.h"

namespace tunecrate::win32 {

frmPlaylistExporter::frmPlaylistExporter(HINSTANCE instance)
    : built_(build(instance)), cmdSearch(designed("cmdSearch")),
      txtPlaylist(designed("txtPlaylist")), txtPathfrom(designed("txtPathfrom")),
      chkPlaylist(designed("chkPlaylist")), chkNumbered(designed("chkNumbered")),
      chkRemoveDropped(designed("chkRemoveDropped")), cmdSave(designed("cmdSave")),
      txtPathto(designed("txtPathto")), cmdSearch2(designed("cmdSearch2")),
      cmbLang(designed("cmbLang")), cmdCancel(designed("cmdCancel")), pgbCopy(designed("pgbCopy")),
      stbStatus(designed("stbStatus")), layout_(handle(), stbStatus, cmbLang),
      session_(*this, systemDialogs(handle())),
      dropTarget_([](const DropTarget::Paths& paths) { return !sortOpenedPaths(paths).empty(); },
                  [this](const DropTarget::Paths& paths) { openPaths(paths); }),
      dropRegistration_(handle(), dropTarget_)
{
    bindHandlers();
    setFirstFocus(cmdSearch);
    onDpiChanged(GetDpiForWindow(handle()));
    layout_.centreOnScreen();
    Form_Load();
}

frmPlaylistExporter::~frmPlaylistExporter()
{
    destroyWindow();
}

void frmPlaylistExporter::destroyWindow()
{
    dropRegistration_.revoke();
    accessibleNames_.clear();
    destroy();
}

bool frmPlaylistExporter::build(HINSTANCE instance)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    create(instance, windowClassName, wideFromUtf8(windowCaption).c_str(), windowStyle,
           windowExStyle);
    createDesignedControls(handle());
    return true;
}

HWND frmPlaylistExporter::designed(std::string_view name) const
{
    return GetDlgItem(handle(), idOf(name));
}

bool frmPlaylistExporter::isOwn(HWND window) const
{
    return handle() != nullptr && (window == handle() || IsChild(handle(), window));
}

void frmPlaylistExporter::bindHandlers()
{
    onNotify(cmbLang, CBN_SELCHANGE, [this] { cmbLang_Click(); });
    onKeyUp(cmbLang, [this] { cmbLang_KeyUp(); });
    onNotify(cmdCancel, BN_CLICKED, [this] { cmdCancel_Click(); });
    onNotify(cmdSave, BN_CLICKED, [this] { cmdSave_Click(); });
    onNotify(cmdSearch, BN_CLICKED, [this] { cmdSearch_Click(); });
    onNotify(cmdSearch2, BN_CLICKED, [this] { cmdSearch2_Click(); });
    onNotify(txtPlaylist, EN_CHANGE, [this] { txtPlaylist_Change(); });
    onNotify(txtPathto, EN_CHANGE, [this] { txtPathto_Change(); });
}

void frmPlaylistExporter::Form_Load()
{
    session_.load();
}

void frmPlaylistExporter::cmbLang_Click()
{
    session_.applyShownLanguage();
}

void frmPlaylistExporter::cmbLang_KeyUp()
{
    session_.applyShownLanguage();
}

void frmPlaylistExporter::cmdCancel_Click()
{
    session_.requestCancel();
}

void frmPlaylistExporter::cmdSave_Click()
{
    session_.save();
}

void frmPlaylistExporter::cmdSearch_Click()
{
    session_.choosePlaylist();
}

void frmPlaylistExporter::cmdSearch2_Click()
{
    session_.chooseTargetFolder();
}

void frmPlaylistExporter::txtPlaylist_Change()
{
    session_.logBoxChanged();
}

void frmPlaylistExporter::txtPathto_Change()
{
    session_.pathToChanged(txtPathto.text());
}

void frmPlaylistExporter::onClose()
{
    if (session_.mayClose()) {
        destroyWindow();
    }
}

void frmPlaylistExporter::onDpiChanged(unsigned dpi)
{
    layout_.place(dpi);
}

void frmPlaylistExporter::openPaths(const std::vector<std::string>& paths)
{
    (void)session_.openPaths(paths);
}

std::string frmPlaylistExporter::text(std::string_view control) const
{
    // A drop-down list's text is the item it shows.
    return Control(designed(control)).text();
}

void frmPlaylistExporter::setText(std::string_view control, const std::string& text)
{
    if (control == "txtPlaylist") {
        const QuietEdit quiet(txtPlaylist);
        txtPlaylist.setWideText(wideFromUtf8(text));
        // Scrolled while the box is hidden, so that a scroll bar that moves
        // is drawn once, with the rest of the box.
        txtPlaylist.moveCaretToEnd();
    } else if (control == "cmbLang") {
        cmbLang.selectText(wideFromUtf8(text));
    } else {
        Control(designed(control)).setText(text);
    }
}

void frmPlaylistExporter::appendToLog(std::string_view piece)
{
    const QuietEdit quiet(txtPlaylist);
    txtPlaylist.append(wideFromUtf8(piece));
    txtPlaylist.moveCaretToEnd();
}

void frmPlaylistExporter::showLogEnd()
{
    txtPlaylist.moveCaretToEnd();
}

bool frmPlaylistExporter::checked(std::string_view control) const
{
    return CheckBox(designed(control)).checked();
}

void frmPlaylistExporter::setHint(std::string_view control, const std::string& hint)
{
    Edit(designed(control)).setCueBanner(wideFromUtf8(hint));
}

void frmPlaylistExporter::setAccessibleName(std::string_view control, const std::string& name)
{
    accessibleNames_.name(designed(control), name);
}

void frmPlaylistExporter::setPanelText(int panel, const std::string& text)
{
    layout_.setPanelText(panel, wideFromUtf8(text));
}

void frmPlaylistExporter::setBarValue(int value)
{
    // The bar paints itself at once at a new value; this one waits for the
    // window's next paint.
    pgbCopy.send(WM_SETREDRAW, FALSE);
    pgbCopy.setPosition(value);
    pgbCopy.send(WM_SETREDRAW, TRUE);
    RedrawWindow(pgbCopy.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void frmPlaylistExporter::fitToTexts()
{
    layout_.fitProgressPanel();
}

void frmPlaylistExporter::letEventsThrough()
{
    MSG message{};
    // WM_PAINT stays in the queue until the window it is for is painted; it
    // comes after every other message but timers.
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // For the loop that waits for it.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (message.message == WM_PAINT && session_.holdsRepaints() && isOwn(message.hwnd)) {
            // Painted at once when a frame is due; otherwise it waits for
            // the next frame, and so do the timers behind it.
            if (session_.repaintWanted()) {
                continue;
            }
            break;
        }
        session_.beforeEvent();
        dispatch(message);
    }
}

void frmPlaylistExporter::paintFrame()
{
    if (handle() != nullptr) {
        // Each WM_PAINT is sent, and handled, before this returns.
        RedrawWindow(handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

void frmPlaylistExporter::scheduleFrame(std::chrono::milliseconds /*delay*/)
{
    // Nothing to arrange: a run lets events through only in its processEvents,
    // which paints a frame that is due before anything else, and the dialogs'
    // own loops paint the window as usual.
}

double frmPlaylistExporter::refreshRate() const
{
    const ScopedGetDC screen(handle());
    return GetDeviceCaps(screen, VREFRESH);
}

void frmPlaylistExporter::closeWindow()
{
    destroyWindow();
}

} // namespace tunecrate::win32
