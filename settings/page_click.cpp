// Click page. The sliders change the system's double-click settings at once,
// so the user can try them on the test icon; Cancel puts the committed ones back.
#include "page_click.h"

#include <commctrl.h>

using namespace wexant;

namespace {

const ClickPageTable kJapanese = {108, 1008, 1006, 1007, 1012, 1142, 1045, 1046, 1047, 1048};
const ClickPageTable kEnglish = {114, 1011, 1009, 1010, 1025, 1004, 1092, 1090, 1088, 1091};

constexpr int kMovableCount = 13;
// Test icons: the day animation, then the night animation, frame by frame.
constexpr int kTestIcons[8] = {138, 139, 136, 137, 140, 133, 134, 135};
constexpr UINT_PTR kAnimationTimer = 1;

void MoveUp(HWND page, HWND control, int by) {
    RECT r;
    GetWindowRect(control, &r);
    POINT p = {r.left, r.top - by};
    ScreenToClient(page, &p);
    MoveWindow(control, p.x, p.y, r.right - r.left, r.bottom - r.top, TRUE);
}

void SetupSlider(const CSliderCtrl& slider, int low, int high, int tick, int step, int position) {
    slider.SetRange(low, high, FALSE);
    slider.SetTicFreq(tick);
    slider.SetPageSize(step);
    slider.SetLineSize(step);
    slider.SetPos(position);
}

}  // namespace

CClickPage::CClickPage(const ClickPageTable& table) : CPropertyPage(table.templateId), m_t(table) {}

Cmyppage3::Cmyppage3() : CClickPage(kJapanese) {}
Cmyppage3us::Cmyppage3us() : CClickPage(kEnglish) {}

void CClickPage::DoDataExchange() {
    DDX_Control(m_hWnd, m_t.hideCursor, m_hideCursor);
    DDX_Control(m_hWnd, m_t.widthSlider, m_widthSlider);
    DDX_Control(m_hWnd, m_t.heightSlider, m_heightSlider);
    DDX_Control(m_hWnd, m_t.speedSlider, m_speedSlider);
    DDX_Control(m_hWnd, m_t.testIcon, m_testIcon);
}

void CClickPage::Changed() {
    g_bSettingsPending = TRUE;
    SetModified(TRUE);
}

// Without the stream/point choice its group goes, and everything below moves
// up by the group's height, so no empty band is left at the top.
void CClickPage::HideModeGroup() {
    HWND group = GetDlgItem(m_hWnd, m_t.modeGroup);
    RECT r;
    GetWindowRect(group, &r);
    const int h = r.bottom - r.top;
    ShowWindow(group, SW_HIDE);
    ShowWindow(GetDlgItem(m_hWnd, m_t.streamMode), SW_HIDE);
    ShowWindow(GetDlgItem(m_hWnd, m_t.pointMode), SW_HIDE);
    for (int i = 0; i < kMovableCount; ++i) MoveUp(m_hWnd, GetDlgItem(m_hWnd, m_t.firstMovable + i), h);
    const HWND members[5] = {m_hideCursor, m_widthSlider, m_heightSlider, m_speedSlider, m_testIcon};
    for (HWND member : members) MoveUp(m_hWnd, member, h);
}

BOOL CClickPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    if (Option & OPT_SHOW_MODE_GROUP) {
        BOOL point = (Option & OPT_POINT_MODE) != 0;
        CheckDlgButton(m_hWnd, m_t.pointMode, point ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(m_hWnd, m_t.streamMode, point ? BST_UNCHECKED : BST_CHECKED);
    } else {
        HideModeGroup();
    }

    HINSTANCE instance = AfxGetInstanceHandle();
    for (int i = 0; i < 8; ++i)
        m_icons[i] = static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(kTestIcons[i]), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    m_frame = 0;

    SetupSlider(m_heightSlider, kDoubleClickAreaMin, kDoubleClickAreaMax, 8, 8, static_cast<int>(g_dwDHeightWork));
    SetupSlider(m_widthSlider, kDoubleClickAreaMin, kDoubleClickAreaMax, 8, 8, static_cast<int>(g_dwDWidthWork));
    // Speed 100 ("slow") is a double-click time of 900 ms, 800 ("fast") 200 ms.
    SetupSlider(m_speedSlider, 100, 800, 100, 50, static_cast<int>(g_nDblClkSpeedWork));

    m_hideCursor.SetCheck((Option & OPT_HIDE_CURSOR) ? BST_CHECKED : BST_UNCHECKED);
    SetTimer(m_hWnd, kAnimationTimer, 1000, nullptr);
    return TRUE;
}

// ApplySettings commits the working double-click values, also when another
// page gets to it first.
BOOL CClickPage::OnApply() {
    if (g_bSettingsPending) ApplySettings();
    return CPropertyPage::OnApply();
}

// The system gets the committed values back, and every program hears of it.
void CClickPage::OnCancel() {
    const UINT update = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
    SystemParametersInfoA(SPI_SETDOUBLECLICKTIME, 1000 - g_nDblClkSpeed, nullptr, update);
    SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, DHeight, nullptr, update);
    SystemParametersInfoA(SPI_SETDOUBLECLKWIDTH, DWidth, nullptr, update);
    CPropertyPage::OnCancel();
}

BOOL CClickPage::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return FALSE;
    if (id == m_t.hideCursor) OnHideCursor();
    else if (id == m_t.streamMode) OnStreamMode();
    else if (id == m_t.pointMode) OnPointMode();
    else return FALSE;
    return TRUE;
}

void CClickPage::OnHideCursor() {
    if (m_hideCursor.GetCheck() == BST_CHECKED) Option |= OPT_HIDE_CURSOR;
    else Option &= ~static_cast<DWORD>(OPT_HIDE_CURSOR);
    Changed();
}

void CClickPage::OnStreamMode() {
    Option &= ~static_cast<DWORD>(OPT_POINT_MODE);
    Changed();
}

void CClickPage::OnPointMode() {
    Option |= OPT_POINT_MODE;
    Changed();
}

// Every notification applies the slider's position to the system at once,
// stored in the user's profile without a broadcast.
void CClickPage::OnHScroll(int, int, HWND bar) {
    if (bar == m_heightSlider) {
        int position = m_heightSlider.GetPos();
        g_dwDHeightWork = static_cast<DWORD>(position);
        SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, position, nullptr, SPIF_UPDATEINIFILE);
    } else if (bar == m_widthSlider) {
        int position = m_widthSlider.GetPos();
        g_dwDWidthWork = static_cast<DWORD>(position);
        SystemParametersInfoA(SPI_SETDOUBLECLKWIDTH, position, nullptr, SPIF_UPDATEINIFILE);
    } else if (bar == m_speedSlider) {
        int position = m_speedSlider.GetPos();
        g_nDblClkSpeedWork = static_cast<DWORD>(position);
        SystemParametersInfoA(SPI_SETDOUBLECLICKTIME, 1000 - position, nullptr, SPIF_UPDATEINIFILE);
    } else {
        return;
    }
    Changed();
}

void CClickPage::ShowTestFrame() {
    HICON icon = m_icons[(m_testState == 1 ? 0 : 4) + m_frame];
    m_testIcon.SetIcon(icon);
}

void CClickPage::OnTimer(UINT_PTR) {
    ShowTestFrame();
    m_frame = (m_frame + 1) % 4;
}

// A double-click that the system recognises over the test icon, with the
// settings of the moment, switches between day and night.
void CClickPage::OnLButtonDblClk(UINT, POINT) {
    POINT cursor;
    RECT icon;
    GetCursorPos(&cursor);
    GetWindowRect(m_testIcon, &icon);
    if (PtInRect(&icon, cursor)) {
        m_testState = static_cast<short>(-m_testState);
        m_frame = 0;
        ShowTestFrame();
    }
}
