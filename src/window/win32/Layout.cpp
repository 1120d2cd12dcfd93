#include "Layout.h"

#include "ControlIds.h"

#include <algorithm>
#include <stdexcept>

namespace tunecrate::win32 {
namespace {

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

constexpr DWORD child = WS_CHILD | WS_VISIBLE;
constexpr DWORD editStyle = child | WS_TABSTOP | ES_AUTOHSCROLL;

ControlClass classOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Button:
        return {WC_BUTTONW, child | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::CheckBox:
        return {WC_BUTTONW, child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::TextBox:
        return {WC_EDITW, editStyle, WS_EX_CLIENTEDGE};
    case ControlKind::LogBox:
        return {WC_EDITW, editStyle | ES_MULTILINE | ES_AUTOVSCROLL | WS_HSCROLL | WS_VSCROLL,
                WS_EX_CLIENTEDGE};
    case ControlKind::LanguageList:
        return {WC_COMBOBOXW, child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::ProgressBar:
        return {PROGRESS_CLASSW, child, 0};
    case ControlKind::StatusBar:
        return {STATUSCLASSNAMEW, child | CCS_NOPARENTALIGN | CCS_NORESIZE, 0};
    }
    throw std::logic_error("a control of no known kind");
}

// What a control of its kind needs before it is shown.
void prepare(HWND handle, ControlKind kind)
{
    switch (kind) {
    case ControlKind::TextBox:
    case ControlKind::LogBox:
        Edit(handle).liftTextLimit();
        break;
    case ControlKind::LanguageList:
        for (const std::string_view item : languageItems) {
            ComboBox(handle).addItem(wideFromUtf8(item));
        }
        break;
    case ControlKind::ProgressBar:
        ProgressBar(handle).setRange(0, 100);
        ProgressBar(handle).setPosition(0);
        break;
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::StatusBar:
        break;
    }
}

} // namespace

RECT pixelRect(const TwipsRect& twips, unsigned dpi)
{
    const PixelRect pixels = pixelsFromTwips(twips, dpi);
    return {pixels.left, pixels.top, pixels.left + pixels.width, pixels.top + pixels.height};
}

void createDesignedControls(HWND window)
{
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    for (const ControlDesign& design : designedControls) {
        const ControlClass kind = classOf(design.kind);
        HWND control = CreateWindowExW(
            kind.exStyle, kind.name, wideFromUtf8(design.text).c_str(), kind.style, 0, 0, 0, 0,
            window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(idOf(design.name))), instance,
            nullptr);
        if (control == nullptr) {
            throw std::runtime_error("a control of the window could not be created");
        }
        prepare(control, design.kind);
    }
}

Layout::Layout(HWND window, StatusBar stbStatus, ComboBox cmbLang)
    : window_(window), stbStatus_(stbStatus), cmbLang_(cmbLang)
{
    for (int panel = 1; panel <= StatusBar::panelCount; ++panel) {
        const auto index = static_cast<std::size_t>(panel - 1);
        panelTexts_.at(index) = wideFromUtf8(panelDesignTexts.at(index));
        stbStatus_.setPanelText(panel, panelTexts_[index]);
    }
}

void Layout::place(unsigned dpi)
{
    dpi_ = dpi;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
    AutoDeleteFont font(CreateFontIndirectW(&metrics.lfMessageFont));

    for (const ControlDesign& design : designedControls) {
        const Control control(GetDlgItem(window_, idOf(design.name)));
        control.setFont(font.get());
        if (design.kind == ControlKind::LanguageList) {
            placeLanguageList(control, pixelRect(design.twips, dpi));
        } else {
            control.place(pixelRect(design.twips, dpi));
        }
    }
    font_ = std::move(font);

    RECT frame = pixelRect(clientTwips, dpi);
    AdjustWindowRectExForDpi(&frame, windowStyle, FALSE, windowExStyle, dpi);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    fitPanels();
}

void Layout::placeLanguageList(const Control& control, RECT rect) const
{
    // A combo box's height includes its open list; its closed field is sized
    // through the height of its items.
    const int fieldHeight = rect.bottom - rect.top;
    rect.bottom += fieldHeight * 4;
    control.place(rect);
    // The field's frame around the item differs between systems and styles,
    // so the item height is corrected by what the field shows.
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT field{};
        GetWindowRect(control.handle(), &field);
        const int difference = fieldHeight - (field.bottom - field.top);
        if (difference == 0) {
            break;
        }
        cmbLang_.setFieldHeight(static_cast<int>(cmbLang_.send(CB_GETITEMHEIGHT, WPARAM(-1))) +
                                difference);
    }
}

void Layout::centreOnScreen() const
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT frame{};
    GetWindowRect(window_, &frame);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Layout::setPanelText(int panel, const std::wstring& text)
{
    panelTexts_.at(static_cast<std::size_t>(panel - 1)) = text;
    stbStatus_.setPanelText(panel, text);
    if (panel == 2) {
        fitPanels();
    }
}

void Layout::fitProgressPanel()
{
    progressPanelWidth_ =
        std::max(pixelsFromTwips(progressPanelTwips, dpi_), textWidth(panelTexts_[2] + L"100%"));
    fitPanels();
}

int Layout::textWidth(const std::wstring& text) const
{
    SIZE size{};
    {
        const ScopedGetDC context(stbStatus_.handle());
        const ScopedSelectObject font(context, font_.get());
        GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
    }
    // The panel's bevel and the room the bar leaves around a text.
    std::array<int, 3> borders{};
    stbStatus_.send(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders.data()));
    return size.cx + 2 * (borders[0] + borders[2] + GetSystemMetrics(SM_CXEDGE)) + 6;
}

void Layout::fitPanels() const
{
    // Panel 3 keeps its width, panel 2 fits its text and never goes below its
    // minimum, panel 1 takes what the others leave.
    RECT client{};
    GetClientRect(stbStatus_.handle(), &client);
    const int bar = static_cast<int>(client.right);
    const int minimum = pixelsFromTwips(panelMinimumTwips, dpi_);
    const int third = progressPanelWidth_;
    const int second =
        std::clamp(textWidth(panelTexts_[1]), minimum, std::max(minimum, bar - minimum - third));
    const int first = std::max(minimum, bar - second - third);
    stbStatus_.setParts({first, first + second, -1});
}

} // namespace tunecrate::win32
