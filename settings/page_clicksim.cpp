// Click simulation page. The simulated click is the mouse's secondary button,
// so the texts and pictures speak of left clicks when the system's buttons
// are swapped.
#include "page_clicksim.h"

#include <initializer_list>

using namespace wexant;

namespace {

const ClickSimPageTable kJapanese = {
    109, 1250, 1181, 1182, 1183, 1184, 1189, 1186, 1148, 1149, 1240, 1241, 1248, 1245, {1207, 1208},
    {{"右クリック設定", "左クリック設定"}},
    {{"以下の設定されたキーを押すことにより、マウスの右クリック機能を使用することができます。",
      "以下の設定されたキーを押すことにより、マウスの左クリック機能を使用することができます。"}},
    {{"キーボードによる右クリック機能を使用する", "キーボードによる左クリック機能を使用する"}},
    {{"キーを押している間のタッチは右クリック", "キーを押している間のタッチは左クリック"}},
    {{"キーを押した後の一回は右クリック", "キーを押した後の一回は左クリック"}},
    {{"マウスのアイコンをクリックすることによって、次のクリックを１回右クリックに切り替えます。",
      "マウスのアイコンをクリックすることによって、次のクリックを１回左クリックに切り替えます。"}},
    {
        {{"設定されたキーを押している間は右クリック、または", "設定されたキーを押している間は左クリック、または"}},
        {{"設定されたキーを押下後の一回のタッチは右クリックとなります。",
          "設定されたキーを押下後の一回のタッチは左クリックとなります。"}},
    },
};

const ClickSimPageTable kEnglish = {
    115, 1251, 1205, 1202, 1206, 1203, 1200, 1199, 1158, 1159, 1242, 1243, 1249, 1247, {1209, 0},
    {{"Right click simulation", "Left click simulation"}},
    {{"Choose a function key combination that simulates a right mouse button click when you touch the screen.",
      "Choose a function key combination that simulates a left mouse button click when you touch the screen."}},
    {{"Enable the right click simulation", "Enable the left click simulation"}},
    {{"Right click is simulated whilst function key is pressed",
      "Left click is simulated whilst function key is pressed"}},
    {{"Right click happens only once after function key is pressed",
      "Left click happens only once after function key is pressed"}},
    {{"Click on the mouse icon to alternate between right handed simulation and left handed simulation.",
      "Click on the mouse icon to alternate between right handed simulation and left handed simulation."}},
    {{{nullptr, nullptr}}, {{nullptr, nullptr}}},  // the explanation keeps its template text
};

}  // namespace

CClickSimPage::CClickSimPage(const ClickSimPageTable& table) : CPropertyPage(table.templateId), m_t(table) {}

Cmyppage4::Cmyppage4() : CClickSimPage(kJapanese) {}
Cmyppage4us::Cmyppage4us() : CClickSimPage(kEnglish) {}

void CClickSimPage::DoDataExchange() {
    DDX_Control(m_hWnd, m_t.group, m_group);
    DDX_Control(m_hWnd, m_t.enable, m_enable);
    DDX_Control(m_hWnd, m_t.hold, m_hold);
    DDX_Control(m_hWnd, m_t.once, m_once);
    DDX_Control(m_hWnd, m_t.tray, m_tray);
    DDX_Control(m_hWnd, m_t.window, m_window);
    DDX_Control(m_hWnd, m_t.leftPicture, m_leftPicture);
    DDX_Control(m_hWnd, m_t.rightPicture, m_rightPicture);
    DDX_Control(m_hWnd, m_t.keyText, m_keyText);
    DDX_Control(m_hWnd, m_t.pictureText, m_pictureText);
    for (int i = 0; i < 2; ++i)
        if (m_t.modeText[i]) DDX_Control(m_hWnd, m_t.modeText[i], m_modeText[i]);
}

// The key radio buttons are no members: they are addressed by id.
void CClickSimPage::EnableKey(int id, BOOL on) const { EnableWindow(GetDlgItem(m_hWnd, id), on); }

void CClickSimPage::Changed() {
    g_bSettingsPending = TRUE;
    SetModified(TRUE);
}

// The Ctrl, Shift, hold and once buttons and the mode explanation; Alt is
// handled apart, since it never goes with hold mode.
void CClickSimPage::EnableSimulation(BOOL on) {
    EnableKey(m_t.ctrl, on);
    EnableKey(m_t.shift, on);
    m_hold.EnableWindow(on);
    m_once.EnableWindow(on);
    for (const CStatic& line : m_modeText)
        if (line) line.EnableWindow(on);
    if (!on) EnableKey(m_t.alt, FALSE);
    else if (!(Option & OPT_CLICK_HOLD)) EnableKey(m_t.alt, TRUE);
}

// A stored word without a key bit shows Ctrl; the bit comes only with a click.
void CClickSimPage::ShowKey() {
    int key = (Option & OPT_KEY_ALT) ? m_t.alt : (Option & OPT_KEY_SHIFT) ? m_t.shift : m_t.ctrl;
    for (int id : {m_t.ctrl, m_t.shift, m_t.alt}) CheckDlgButton(m_hWnd, id, id == key ? BST_CHECKED : BST_UNCHECKED);
}

// Pictures and texts for the system's button swap, read once.
void CClickSimPage::ShowSwapped() {
    const int swapped = GetSystemMetrics(SM_SWAPBUTTON) ? 1 : 0;
    m_leftPicture.SetIcon(swapped ? m_rightMouse : m_leftMouse);
    m_rightPicture.SetIcon(swapped ? m_leftMouse : m_rightMouse);
    m_group.SetWindowText(m_t.groupCaption.text[swapped]);
    m_keyText.SetWindowText(m_t.keyExplanation.text[swapped]);
    m_enable.SetWindowText(m_t.enableCaption.text[swapped]);
    for (int i = 0; i < 2; ++i)
        if (m_modeText[i] && m_t.modeLines[i].text[swapped]) m_modeText[i].SetWindowText(m_t.modeLines[i].text[swapped]);
    m_hold.SetWindowText(m_t.holdCaption.text[swapped]);
    m_once.SetWindowText(m_t.onceCaption.text[swapped]);
    m_pictureText.SetWindowText(m_t.pictureExplanation.text[swapped]);
}

BOOL CClickSimPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    HINSTANCE instance = AfxGetInstanceHandle();
    m_leftMouse = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(129), IMAGE_ICON, 32, 32, 0));
    m_rightMouse = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(131), IMAGE_ICON, 32, 32, 0));

    m_tray.SetCheck((Option & OPT_TRAY_ICON) ? BST_CHECKED : BST_UNCHECKED);
    BOOL hold = (Option & OPT_CLICK_HOLD) != 0;
    m_hold.SetCheck(hold ? BST_CHECKED : BST_UNCHECKED);
    m_once.SetCheck(hold ? BST_UNCHECKED : BST_CHECKED);
    EnableKey(m_t.alt, !hold);
    ShowKey();

    BOOL on = (Option & OPT_CLICK_SIM) != 0;
    m_enable.SetCheck(on ? BST_CHECKED : BST_UNCHECKED);
    EnableSimulation(on);
    m_window.SetCheck((Option & OPT_FLOAT_BUTTON) ? BST_CHECKED : BST_UNCHECKED);
    ShowSwapped();
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
    BOOL on = m_enable.GetCheck() == BST_CHECKED;
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
    EnableKey(m_t.alt, FALSE);
    Option |= OPT_CLICK_HOLD;
    m_hold.SetCheck(BST_CHECKED);
    m_once.SetCheck(BST_UNCHECKED);
}

void CClickSimPage::OnceMode() {
    EnableKey(m_t.alt, TRUE);
    Option &= ~static_cast<DWORD>(OPT_CLICK_HOLD);
    m_once.SetCheck(BST_CHECKED);
    m_hold.SetCheck(BST_UNCHECKED);
}

// The hold and once boxes always show opposite states.
void CClickSimPage::OnHoldMode() {
    if (m_hold.GetCheck() == BST_CHECKED) HoldMode(); else OnceMode();
    Changed();
}

void CClickSimPage::OnOnceMode() {
    if (m_once.GetCheck() == BST_CHECKED) OnceMode(); else HoldMode();
    Changed();
}

void CClickSimPage::OnTrayIcon() {
    if (m_tray.GetCheck() == BST_CHECKED) Option |= OPT_TRAY_ICON;
    else Option &= ~static_cast<DWORD>(OPT_TRAY_ICON);
    Changed();
}

void CClickSimPage::OnWindowIcon() {
    if (m_window.GetCheck() == BST_CHECKED) Option |= OPT_FLOAT_BUTTON;
    else Option &= ~static_cast<DWORD>(OPT_FLOAT_BUTTON);
    Changed();
}
