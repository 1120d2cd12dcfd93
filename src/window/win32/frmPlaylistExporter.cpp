#include "frmPlaylistExporter.h"

#include "ControlIds.h"
#include "ExportRun.h"
#include "OpenedPaths.h"
#include "QuietEdit.h"
#include "SystemDialogs.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tunecrate::win32 {

frmPlaylistExporter::frmPlaylistExporter(HINSTANCE instance)
    : built_(build(instance)), cmdSearch(designed("cmdSearch")),
      txtPlaylist(designed("txtPlaylist")), txtPathfrom(designed("txtPathfrom")),
      chkPlaylist(designed("chkPlaylist")), cmdSave(designed("cmdSave")),
      txtPathto(designed("txtPathto")), cmdSearch2(designed("cmdSearch2")),
      cmbLang(designed("cmbLang")), cmdCancel(designed("cmdCancel")), pgbCopy(designed("pgbCopy")),
      stbStatus(designed("stbStatus")), layout_(handle(), stbStatus, cmbLang),
      display_(*this, pgbCopy, *this), commands_(*this, *this, systemDialogs(handle())),
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

void frmPlaylistExporter::bindHandlers()
{
    onNotify(cmbLang, CBN_SELCHANGE, [this] { cmbLang_Click(); });
    onKeyUp(cmbLang, [this] { cmbLang_KeyUp(); });
    onNotify(cmdCancel, BN_CLICKED, [this] { cmdCancel_Click(); });
    onNotify(cmdSave, BN_CLICKED, [this] { cmdSave_Click(); });
    onNotify(cmdSearch, BN_CLICKED, [this] { cmdSearch_Click(); });
    onNotify(cmdSearch2, BN_CLICKED, [this] { cmdSearch2_Click(); });
    // The window's own writes move the caret themselves; this is the user typing.
    onNotify(txtPlaylist, EN_CHANGE, [this] {
        if (!display_.held().writingLog()) {
            txtPlaylist_Change();
        }
    });
}

void frmPlaylistExporter::setDialogs(Dialogs dialogs)
{
    commands_.setDialogs(std::move(dialogs));
}

void frmPlaylistExporter::Form_Load()
{
    cmbLang.selectText(L"English");
    commands_.applyShownLanguage();
}

void frmPlaylistExporter::cmbLang_Click()
{
    commands_.applyShownLanguage();
}

void frmPlaylistExporter::cmbLang_KeyUp()
{
    commands_.applyShownLanguage();
}

void frmPlaylistExporter::cmdCancel_Click()
{
    commands_.requestCancel();
}

void frmPlaylistExporter::cmdSave_Click()
{
    commands_.save([this] {
        const RunDisplay::Run run(display_);
        runExport(*this);
    });
}

void frmPlaylistExporter::cmdSearch_Click()
{
    commands_.choosePlaylist();
}

void frmPlaylistExporter::cmdSearch2_Click()
{
    commands_.chooseTargetFolder();
}

void frmPlaylistExporter::txtPlaylist_Change()
{
    if (!display_.held().writingLog()) {
        display_.held().logEditedInBox();
    }
    txtPlaylist.moveCaretToEnd();
}

void frmPlaylistExporter::onClose()
{
    if (commands_.mayClose()) {
        destroyWindow();
    }
}

void frmPlaylistExporter::onDpiChanged(unsigned dpi)
{
    layout_.place(dpi);
    display_.measureScreen();
}

std::string frmPlaylistExporter::logText() const
{
    return display_.held().logText();
}

std::string frmPlaylistExporter::logBoxText() const
{
    return txtPlaylist.text();
}

void frmPlaylistExporter::replaceLogBox(const std::string& text)
{
    const QuietEdit quiet(txtPlaylist);
    txtPlaylist.setWideText(wideFromUtf8(text));
    txtPlaylist_Change();
}

void frmPlaylistExporter::appendToLogBox(std::string_view piece)
{
    const QuietEdit quiet(txtPlaylist);
    txtPlaylist.append(wideFromUtf8(piece));
    txtPlaylist_Change();
}

void frmPlaylistExporter::showPanelText(int panel, const std::string& text)
{
    layout_.setPanelText(panel, wideFromUtf8(text));
}

std::string frmPlaylistExporter::shownLanguage() const
{
    return cmbLang.text();
}

void frmPlaylistExporter::languageApplied()
{
    layout_.fitProgressPanel();
}

void frmPlaylistExporter::setPathFrom(const std::string& path)
{
    txtPathfrom.setText(path);
}

void frmPlaylistExporter::setPathTo(const std::string& path)
{
    txtPathto.setText(path);
}

void frmPlaylistExporter::closeWindow()
{
    destroyWindow();
}

void frmPlaylistExporter::openPaths(const std::vector<std::string>& paths)
{
    (void)commands_.openPaths(paths);
}

std::string frmPlaylistExporter::pathFrom() const
{
    return txtPathfrom.text();
}

std::string frmPlaylistExporter::pathTo() const
{
    return txtPathto.text();
}

bool frmPlaylistExporter::withPlaylist() const
{
    return chkPlaylist.checked();
}

void frmPlaylistExporter::setLog(const std::string& text)
{
    display_.held().setLog(text);
}

void frmPlaylistExporter::appendLog(std::string_view piece)
{
    display_.held().appendLog(piece);
}

void frmPlaylistExporter::setPanelText(int panel, const std::string& text)
{
    display_.held().setPanelText(panel, text);
}

void frmPlaylistExporter::setProgressValue(float value)
{
    display_.setProgressValue(static_cast<int>(std::lround(std::clamp(value, 0.0f, 100.0f))));
}

float frmPlaylistExporter::progressValue() const
{
    return static_cast<float>(pgbCopy.position());
}

void frmPlaylistExporter::clearCancelRequest()
{
    commands_.clearCancelRequest();
}

bool frmPlaylistExporter::cancelRequested() const
{
    return commands_.cancelRequested();
}

void frmPlaylistExporter::processEvents()
{
    display_.processEvents();
}

void frmPlaylistExporter::setButtonCaption(Button button, const std::string& caption)
{
    switch (button) {
    case Button::Search:
        cmdSearch.setText(caption);
        break;
    case Button::Search2:
        cmdSearch2.setText(caption);
        break;
    case Button::Save:
        cmdSave.setText(caption);
        break;
    case Button::Cancel:
        cmdCancel.setText(caption);
        break;
    case Button::WithPlaylist:
        chkPlaylist.setText(caption);
        break;
    }
}

void frmPlaylistExporter::setHint(std::string_view control, const std::string& hint)
{
    Edit(designed(control)).setCueBanner(wideFromUtf8(hint));
}

void frmPlaylistExporter::setAccessibleName(std::string_view control, const std::string& name)
{
    accessibleNames_.name(designed(control), name);
}

} // namespace tunecrate::win32
