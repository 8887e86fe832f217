// Dual-monitor page. Monitor 2's picture stands around monitor 1's; where it
// is dropped decides the arrangement type, which Apply writes into nComm.
#include "page_dual.h"

#include <initializer_list>

using namespace wexant;
using duallayout::Mode;
using duallayout::MonitorPicture;

namespace {

const DualPageTable kJapanese = {
    118, 1067, 1129, {1059, 1060, 1061, 1062}, {1063, 1064, 1065, 1066}, 1038, 1000, 1039,
    duallayout::kAreaJapanese, TRUE,
};
const DualPageTable kEnglish = {
    119, 1100, 1130, {1103, 1104, 1105, 1106}, {1107, 1108, 1109, 1110}, 1040, 1001, 1041,
    duallayout::kAreaEnglish, FALSE,
};

// The two pictures; only one of the two pages exists in a run, so they share them.
MonitorPicture g_picture1;
MonitorPicture g_picture2;

BOOL OsArranged() { return (nComm & NCOMM_OS_ARRANGED) != 0; }
BOOL DualOn() { return (nComm & NCOMM_DUAL_MONITOR) != 0; }

// Places both pictures for the current arrangement type; it neither draws nor
// invalidates.
void LayoutMonitorPictures() {
    duallayout::LayoutPair(g_nArrangementType, &g_picture1, &g_picture2);
}

}  // namespace

CDualMonitorPage::CDualMonitorPage(const DualPageTable& table) : CCapturePage(table.templateId), m_t(table) {}

Cmypage55::Cmypage55() : CDualMonitorPage(kJapanese) {}
Cmypage55us::Cmypage55us() : CDualMonitorPage(kEnglish) {}

void CDualMonitorPage::Changed() {
    g_bSettingsPending = TRUE;
    g_bDualMonitorChanged = TRUE;
    SetModified(TRUE);
}

void CDualMonitorPage::InvalidateArea() {
    RECT r = {m_t.area.left, m_t.area.top, m_t.area.right, m_t.area.bottom};
    InvalidateRect(m_hWnd, &r, TRUE);
}

// Draws one picture into the page at once, outside the paint cycle; callers
// also invalidate, so the next paint shows the same.
void CDualMonitorPage::DrawMonitorBitmap(int x, int y, int bitmapId, int width, int height) {
    HDC dc = GetDC(m_hWnd);
    if (!dc) return;
    HBITMAP bitmap = LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(bitmapId));
    HDC memory = CreateCompatibleDC(dc);
    if (bitmap && memory) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(dc, x, y, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(m_hWnd, dc);
}

void CDualMonitorPage::DrawPicture(const MonitorPicture& p, BOOL dragged) {
    DrawMonitorBitmap(p.left, p.top, dragged ? p.dragBitmapId : p.bitmapId, p.width, p.height);
}

// The type from where picture 2 lies relative to picture 1; the pair then
// snaps to it.
void CDualMonitorPage::ClassifyMonitorArrangement() {
    g_nArrangementType = duallayout::ClassifyPair(g_picture1, g_picture2, OsArranged() != FALSE);
    LayoutMonitorPictures();
    DrawPicture(g_picture1, FALSE);
    DrawPicture(g_picture2, FALSE);
}

void CDualMonitorPage::EnableControls(BOOL on) {
    EnableWindow(GetDlgItem(m_hWnd, m_t.osArranged), on);
    for (int i = 0; i < duallayout::kModeCount; ++i) {
        EnableWindow(GetDlgItem(m_hWnd, m_t.monitor1[i]), on);
        EnableWindow(GetDlgItem(m_hWnd, m_t.monitor2[i]), on);
    }
    EnableWindow(GetDlgItem(m_hWnd, m_t.swapBox), on);
}

BOOL CDualMonitorPage::OnInitDialog() {
    CCapturePage::OnInitDialog();
    // The pictures from the stored widths; a width outside the four modes
    // shows VGA and stays stored until the user picks a mode.
    Mode mode1 = duallayout::ModeFromWidth(ResolutionField(ResolutionX, 1));
    Mode mode2 = duallayout::ModeFromWidth(ResolutionField(ResolutionX, 2));
    duallayout::SetPictureMode(&g_picture1, 1, mode1);
    duallayout::SetPictureMode(&g_picture2, 2, mode2);
    CheckRadioButton(m_hWnd, m_t.monitor1[0], m_t.monitor1[3], m_t.monitor1[mode1]);
    CheckRadioButton(m_hWnd, m_t.monitor2[0], m_t.monitor2[3], m_t.monitor2[mode2]);
    LayoutMonitorPictures();

    CheckDlgButton(m_hWnd, m_t.useDual, DualOn() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, m_t.osArranged, OsArranged() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, m_t.swapBox, (nComm & NCOMM_SWAP_OUTPUT) ? BST_CHECKED : BST_UNCHECKED);
    EnableControls(DualOn());

    // The output swap is not offered: the bit passes through the page.
    ShowWindow(GetDlgItem(m_hWnd, m_t.swapBox), SW_HIDE);
    ShowWindow(GetDlgItem(m_hWnd, m_t.swapGroup), SW_HIDE);
    ShowWindow(GetDlgItem(m_hWnd, m_t.swapText), SW_HIDE);
    return TRUE;
}

BOOL CDualMonitorPage::OnApply() {
    if (g_bSettingsPending) ApplySettings();
    return CPropertyPage::OnApply();
}

BOOL CDualMonitorPage::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return FALSE;
    if (id == m_t.useDual) {
        OnUseDualMonitor();
        return TRUE;
    }
    if (id == m_t.osArranged) {
        OnOsManagedDualMonitor();
        return TRUE;
    }
    // The resolution buttons, in the order of the modes.
    static void (CDualMonitorPage::*const kMonitor1[duallayout::kModeCount])() = {
        &CDualMonitorPage::OnMonitor1Vga, &CDualMonitorPage::OnMonitor1Svga,
        &CDualMonitorPage::OnMonitor1Xga, &CDualMonitorPage::OnMonitor1Xvga};
    static void (CDualMonitorPage::*const kMonitor2[duallayout::kModeCount])() = {
        &CDualMonitorPage::OnMonitor2Vga, &CDualMonitorPage::OnMonitor2Svga,
        &CDualMonitorPage::OnMonitor2Xga, &CDualMonitorPage::OnMonitor2Xvga};
    for (int i = 0; i < duallayout::kModeCount; ++i) {
        if (id == m_t.monitor1[i]) {
            (this->*kMonitor1[i])();
            return TRUE;
        }
        if (id == m_t.monitor2[i]) {
            (this->*kMonitor2[i])();
            return TRUE;
        }
    }
    return FALSE;
}

void CDualMonitorPage::OnUseDualMonitor() {
    BOOL on = IsDlgButtonChecked(m_hWnd, m_t.useDual) == BST_CHECKED;
    if (on) nComm |= NCOMM_DUAL_MONITOR;
    else nComm &= ~static_cast<DWORD>(NCOMM_DUAL_MONITOR);
    EnableControls(on);
    Changed();
}

void CDualMonitorPage::OnOsManagedDualMonitor() {
    if (IsDlgButtonChecked(m_hWnd, m_t.osArranged) == BST_CHECKED) nComm |= NCOMM_OS_ARRANGED;
    else nComm &= ~static_cast<DWORD>(NCOMM_OS_ARRANGED);
    g_nArrangementType = ARRANGE_RIGHT;
    LayoutMonitorPictures();
    DrawPicture(g_picture1, FALSE);
    DrawPicture(g_picture2, FALSE);
    InvalidateArea();
    Changed();
}

void CDualMonitorPage::OnMonitor1Vga() { OnResolution(1, duallayout::MODE_VGA); }
void CDualMonitorPage::OnMonitor1Svga() { OnResolution(1, duallayout::MODE_SVGA); }
void CDualMonitorPage::OnMonitor1Xga() { OnResolution(1, duallayout::MODE_XGA); }
void CDualMonitorPage::OnMonitor1Xvga() { OnResolution(1, duallayout::MODE_XVGA); }
void CDualMonitorPage::OnMonitor2Vga() { OnResolution(2, duallayout::MODE_VGA); }
void CDualMonitorPage::OnMonitor2Svga() { OnResolution(2, duallayout::MODE_SVGA); }
void CDualMonitorPage::OnMonitor2Xga() { OnResolution(2, duallayout::MODE_XGA); }
void CDualMonitorPage::OnMonitor2Xvga() { OnResolution(2, duallayout::MODE_XVGA); }

// A new size re-derives the arrangement from the pictures' current places.
void CDualMonitorPage::OnResolution(int monitor, Mode mode) {
    MonitorPicture* picture = monitor == 1 ? &g_picture1 : &g_picture2;
    duallayout::SetPictureMode(picture, monitor, mode);
    ResolutionX = ReplaceResolutionField(ResolutionX, monitor, kScreenSizes[mode].width);
    ResolutionY = ReplaceResolutionField(ResolutionY, monitor, kScreenSizes[mode].height);
    Changed();
    ClassifyMonitorArrangement();
    InvalidateArea();
}

void CDualMonitorPage::OnPaint() {
    PAINTSTRUCT ps;
    BeginPaint(m_hWnd, &ps);
    DrawPicture(g_picture1, g_picture1.dragging);
    DrawPicture(g_picture2, g_picture2.dragging);
    EndPaint(m_hWnd, &ps);
}

void CDualMonitorPage::OnLButtonDown(UINT, POINT point) {
    if (!DualOn()) return;
    for (MonitorPicture* p : {&g_picture1, &g_picture2}) {
        if (!duallayout::PictureContains(*p, point.x, point.y)) continue;
        p->dragOffsetX = p->left - point.x;
        p->dragOffsetY = p->top - point.y;
        DrawPicture(*p, TRUE);
        p->dragging = true;
    }
    SetCapture(m_hWnd);
}

void CDualMonitorPage::OnMouseMove(UINT, POINT point) {
    if (!DualOn()) return;
    for (MonitorPicture* p : {&g_picture1, &g_picture2}) {
        if (!p->dragging) continue;
        int x = point.x + p->dragOffsetX, y = point.y + p->dragOffsetY;
        duallayout::ClampToArea(m_t.area, p->width, p->height, &x, &y);
        p->left = x;
        p->top = y;
        DrawPicture(*p, TRUE);
        Changed();
        InvalidateArea();
    }
}

// A release while the function is on is a drop: the pair snaps to where
// picture 2 lies. Any release ends a drag, also one whose function went off
// with the keyboard meanwhile.
void CDualMonitorPage::OnLButtonUp(UINT, POINT) {
    if (DualOn()) ClassifyMonitorArrangement();
    EndDrag();
}

// A window that takes the mouse mid-drag (a button pressed with Space, another
// program) ends the drag without a drop: the release will not come here.
void CDualMonitorPage::OnCaptureChanged(HWND newOwner) {
    if (newOwner == m_hWnd) return;
    if (g_picture1.dragging || g_picture2.dragging) EndDrag();
}

// However a drag ends, both pictures leave it, the pair stands at the
// arrangement type that Apply stores, and the page lets the mouse go if it
// still holds it.
void CDualMonitorPage::EndDrag() {
    for (MonitorPicture* p : {&g_picture1, &g_picture2}) {
        p->dragOffsetX = p->dragOffsetY = 0;
        p->dragging = false;
    }
    LayoutMonitorPictures();
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (m_t.repaintAllOnDrop) InvalidateRect(m_hWnd, nullptr, TRUE);
    else InvalidateArea();
}
