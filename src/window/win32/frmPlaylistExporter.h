#pragma once

#include "AccessibleNames.h"
#include "Controls.h"
#include "DropTarget.h"
#include "Layout.h"
#include "Session.h"
#include "WindowBase.h"
#include "WindowView.h"

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tunecrate::win32 {

// The program's one window over the system's own controls. It builds them from
// the design and shows what its Session tells it; each handler hands over to
// the session. Each control keeps the standard class of its kind and is found
// by its id (ControlIds.h), which follows from its name in the design.
class frmPlaylistExporter final : public WindowBase, private WindowView {
public:
    // Builds the window and its controls and runs the load step; the window
    // is not shown yet.
    explicit frmPlaylistExporter(HINSTANCE instance);
    ~frmPlaylistExporter() override;

    void setDialogs(Dialogs dialogs) { session_.setDialogs(std::move(dialogs)); }
    // What the export run and ApplyLanguage reach the window through.
    [[nodiscard]] Session& session() { return session_; }
    [[nodiscard]] std::string logText() const { return session_.logText(); }

    // The program's arguments: a playlist fills txtPathfrom, a folder
    // txtPathto (Session::openPaths).
    void openPaths(const std::vector<std::string>& paths);
    // What the system hands drags of files onto the window to: a playlist
    // file or a folder fills its box, any other drag is refused.
    [[nodiscard]] IDropTarget& dropTarget() { return dropTarget_; }

private:
    void bindHandlers();
    void Form_Load();

    void cmbLang_Click();
    void cmbLang_KeyUp();
    void cmdCancel_Click();
    void cmdSave_Click();
    void cmdSearch_Click();
    void cmdSearch2_Click();
    void txtPlaylist_Change();
    void txtPathto_Change();

    // WindowBase
    void onClose() override;
    void onDpiChanged(unsigned dpi) override;

    // WindowView
    [[nodiscard]] std::string text(std::string_view control) const override;
    void setText(std::string_view control, const std::string& text) override;
    void appendToLog(std::string_view piece) override;
    void showLogEnd() override;
    [[nodiscard]] bool checked(std::string_view control) const override;
    void setHint(std::string_view control, const std::string& hint) override;
    void setAccessibleName(std::string_view control, const std::string& name) override;
    void setPanelText(int panel, const std::string& text) override;
    void setBarValue(int value) override;
    void fitToTexts() override;
    void letEventsThrough() override;
    void paintFrame() override;
    void scheduleFrame(std::chrono::milliseconds delay) override;
    [[nodiscard]] double refreshRate() const override;
    void closeWindow() override;

    bool build(HINSTANCE instance);
    // Takes back from the system what it holds of the window, then destroys it.
    void destroyWindow();
    [[nodiscard]] HWND designed(std::string_view name) const;
    // The window itself or one of its controls.
    [[nodiscard]] bool isOwn(HWND window) const;

    // Comes first: the members after it find the window and its controls built.
    bool built_;
    PushButton cmdSearch;
    Edit txtPlaylist;
    Edit txtPathfrom;
    CheckBox chkPlaylist;
    CheckBox chkNumbered;
    CheckBox chkRemoveDropped;
    PushButton cmdSave;
    Edit txtPathto;
    PushButton cmdSearch2;
    ComboBox cmbLang;
    PushButton cmdCancel;
    ProgressBar pgbCopy;
    StatusBar stbStatus;

    Layout layout_;
    Session session_;
    AccessibleNames accessibleNames_;
    DropTarget dropTarget_;
    DropRegistration dropRegistration_;
};

} // namespace tunecrate::win32
