// Click simulation page. The simulated click is the mouse's secondary button,
// so the texts and pictures speak of left clicks when the system's buttons
// are swapped.
#include "page_clicksim.h"

#include <initializer_list>

using namespace wexant;

namespace {

const ClickSimPageTable kJapanese = {
    109, 1250, 1181, 1182, 1183, 1184, 1189, 1186, 1148, 1149, 1240, 1241, {1207, 1208},
    {
        {1250, {"右クリック設定", "左クリック設定"}},
        {1248, {"以下の設定されたキーを押すことにより、マウスの右クリック機能を使用することができます。",
                "以下の設定されたキーを押すことにより、マウスの左クリック機能を使用することができます。"}},
        {1181, {"キーボードによる右クリック機能を使用する", "キーボードによる左クリック機能を使用する"}},
        {1207, {"設定されたキーを押している間は右クリック、または", "設定されたキーを押している間は左クリック、または"}},
        {1208, {"設定されたキーを押下後の一回のタッチは右クリックとなります。",
                "設定されたキーを押下後の一回のタッチは左クリックとなります。"}},
        {1189, {"キーを押している間のタッチは右クリック", "キーを押している間のタッチは左クリック"}},
        {1186, {"キーを押した後の一回は右クリック", "キーを押した後の一回は左クリック"}},
        {1245, {"マウスのアイコンをクリックすることによって、次のクリックを１回右クリックに切り替えます。",
                "マウスのアイコンをクリックすることによって、次のクリックを１回左クリックに切り替えます。"}},
    },
};

const ClickSimPageTable kEnglish = {
    115, 1251, 1205, 1202, 1206, 1203, 1200, 1199, 1158, 1159, 1242, 1243, {1209, 0},
    {
        {1251, {"Right click simulation", "Left click simulation"}},
        {1249, {"Choose a function key combination that simulates a right mouse button click when you touch the screen.",
                "Choose a function key combination that simulates a left mouse button click when you touch the screen."}},
        {1205, {"Enable the right click simulation", "Enable the left click simulation"}},
        {1200, {"Right click is simulated whilst function key is pressed",
                "Left click is simulated whilst function key is pressed"}},
        {1199, {"Right click happens only once after function key is pressed",
                "Left click happens only once after function key is pressed"}},
        {1247, {"Click on the mouse icon to alternate between right handed simulation and left handed simulation.",
                "Click on the mouse icon to alternate between right handed simulation and left handed simulation."}},
        {0, {nullptr, nullptr}},
        {0, {nullptr, nullptr}},
    },
};

}  // namespace

CClickSimPage::CClickSimPage(const ClickSimPageTable& table) : CPropertyPage(table.templateId), m_t(table) {}

Cmyppage4::Cmyppage4() : CClickSimPage(kJapanese) {}
Cmyppage4us::Cmyppage4us() : CClickSimPage(kEnglish) {}

BOOL CClickSimPage::Checked(int id) const {
    return SendDlgItemMessageA(m_hWnd, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CClickSimPage::Enable(int id, BOOL on) const {
    if (id) EnableWindow(GetDlgItem(m_hWnd, id), on);
}

void CClickSimPage::Changed() {
    g_bSettingsPending = TRUE;
    SetModified(TRUE);
}

// The Ctrl, Shift, hold and once buttons and the mode explanation; Alt is
// handled apart, since it never goes with hold mode.
void CClickSimPage::EnableSimulation(BOOL on) {
    Enable(m_t.ctrl, on);
    Enable(m_t.shift, on);
    Enable(m_t.hold, on);
    Enable(m_t.once, on);
    Enable(m_t.modeText[0], on);
    Enable(m_t.modeText[1], on);
    if (!on) Enable(m_t.alt, FALSE);
    else if (!(Option & OPT_CLICK_HOLD)) Enable(m_t.alt, TRUE);
}

BOOL CClickSimPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    HINSTANCE instance = AfxGetInstanceHandle();
    m_leftMouse = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(129), IMAGE_ICON, 32, 32, 0));
    m_rightMouse = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(131), IMAGE_ICON, 32, 32, 0));

    CheckDlgButton(m_hWnd, m_t.tray, (Option & OPT_TRAY_ICON) ? BST_CHECKED : BST_UNCHECKED);
    BOOL hold = (Option & OPT_CLICK_HOLD) != 0;
    CheckDlgButton(m_hWnd, m_t.hold, hold ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, m_t.once, hold ? BST_UNCHECKED : BST_CHECKED);
    Enable(m_t.alt, !hold);

    // A stored word without a key bit shows Ctrl; the bit comes only with a click.
    int key = (Option & OPT_KEY_ALT) ? m_t.alt : (Option & OPT_KEY_SHIFT) ? m_t.shift : m_t.ctrl;
    for (int id : {m_t.ctrl, m_t.shift, m_t.alt}) CheckDlgButton(m_hWnd, id, id == key ? BST_CHECKED : BST_UNCHECKED);

    BOOL on = (Option & OPT_CLICK_SIM) != 0;
    CheckDlgButton(m_hWnd, m_t.enable, on ? BST_CHECKED : BST_UNCHECKED);
    EnableSimulation(on);
    CheckDlgButton(m_hWnd, m_t.window, (Option & OPT_FLOAT_BUTTON) ? BST_CHECKED : BST_UNCHECKED);

    const int swapped = GetSystemMetrics(SM_SWAPBUTTON) ? 1 : 0;
    SendDlgItemMessageA(m_hWnd, m_t.leftPicture, STM_SETICON,
                        reinterpret_cast<WPARAM>(swapped ? m_rightMouse : m_leftMouse), 0);
    SendDlgItemMessageA(m_hWnd, m_t.rightPicture, STM_SETICON,
                        reinterpret_cast<WPARAM>(swapped ? m_leftMouse : m_rightMouse), 0);
    for (const ClickSimText& t : m_t.texts)
        if (t.id) SetDlgItemTextA(m_hWnd, t.id, t.text[swapped]);
    return TRUE;
}

BOOL CClickSimPage::OnApply() {
    if (g_bSettingsPending) ApplySettings();
    return CPropertyPage::OnApply();
}

BOOL CClickSimPage::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return FALSE;
    if (id == m_t.enable) OnEnableClickSim();
    else if (id == m_t.ctrl) OnCtrlKey();
    else if (id == m_t.shift) OnShiftKey();
    else if (id == m_t.alt) OnAltKey();
    else if (id == m_t.hold) OnHoldMode();
    else if (id == m_t.once) OnOnceMode();
    else if (id == m_t.tray) OnTrayIcon();
    else if (id == m_t.window) OnWindowIcon();
    else return FALSE;
    return TRUE;
}

void CClickSimPage::SetKey(DWORD key) {
    Option = (Option & ~OPT_KEY_MASK) | key;
    Changed();
}

void CClickSimPage::OnCtrlKey() { SetKey(OPT_KEY_CTRL); }
void CClickSimPage::OnShiftKey() { SetKey(OPT_KEY_SHIFT); }
void CClickSimPage::OnAltKey() { SetKey(OPT_KEY_ALT); }

void CClickSimPage::OnEnableClickSim() {
    BOOL on = Checked(m_t.enable);
    if (on) Option |= OPT_CLICK_SIM;
    else Option &= ~static_cast<DWORD>(OPT_CLICK_SIM);
    EnableSimulation(on);
    Changed();
}

// Hold mode never goes with Alt: the key becomes Ctrl.
void CClickSimPage::HoldMode() {
    if (Option & OPT_KEY_ALT) {
        Option = (Option & ~static_cast<DWORD>(OPT_KEY_ALT)) | OPT_KEY_CTRL;
        SendDlgItemMessageA(m_hWnd, m_t.alt, BM_SETCHECK, BST_UNCHECKED, 0);
        SendDlgItemMessageA(m_hWnd, m_t.ctrl, BM_SETCHECK, BST_CHECKED, 0);
    }
    Enable(m_t.alt, FALSE);
    Option |= OPT_CLICK_HOLD;
    CheckDlgButton(m_hWnd, m_t.hold, BST_CHECKED);
    CheckDlgButton(m_hWnd, m_t.once, BST_UNCHECKED);
}

void CClickSimPage::OnceMode() {
    Enable(m_t.alt, TRUE);
    Option &= ~static_cast<DWORD>(OPT_CLICK_HOLD);
    CheckDlgButton(m_hWnd, m_t.once, BST_CHECKED);
    CheckDlgButton(m_hWnd, m_t.hold, BST_UNCHECKED);
}

// The hold and once boxes always show opposite states.
void CClickSimPage::OnHoldMode() {
    if (Checked(m_t.hold)) HoldMode(); else OnceMode();
    Changed();
}

void CClickSimPage::OnOnceMode() {
    if (Checked(m_t.once)) OnceMode(); else HoldMode();
    Changed();
}

void CClickSimPage::OnTrayIcon() {
    if (Checked(m_t.tray)) Option |= OPT_TRAY_ICON;
    else Option &= ~static_cast<DWORD>(OPT_TRAY_ICON);
    Changed();
}

void CClickSimPage::OnWindowIcon() {
    if (Checked(m_t.window)) Option |= OPT_FLOAT_BUTTON;
    else Option &= ~static_cast<DWORD>(OPT_FLOAT_BUTTON);
    Changed();
}
