// Calibration pages. Jostel takes the point count from the stored Option, so
// after a point-count click it is not started until the choice is applied.
#include "page_calib.h"

using namespace wexant;

namespace {
const char kChangedJapanese[] = "補正の設定が変更されています。設定の更新を行ってから実行してください。";
const char kCaptionJapanese[] = "補正";
const char kChangedEnglish[] = "The setup of calibration is changed. Please calibrate after apply of the setup.";
const char kCaptionEnglish[] = "Calibration";

const CalibPageTable kOneJapanese = {110, 1055, 1057, 1056, 1050, 0, kChangedJapanese, kCaptionJapanese};
const CalibPageTable kOneEnglish = {116, 1001, 1002, 1003, 1000, 0, kChangedEnglish, kCaptionEnglish};
const CalibPageTable kTwoJapanese = {120, 1055, 1057, 1056, 1050, 1002, kChangedJapanese, kCaptionJapanese};
const CalibPageTable kTwoEnglish = {121, 1001, 1002, 1003, 1000, 1004, kChangedEnglish, kCaptionEnglish};
}  // namespace

CCalibrationPage::CCalibrationPage(const CalibPageTable& table) : CPropertyPage(table.templateId), m_t(table) {}
Cmyppage5::Cmyppage5() : CCalibrationPage(kOneJapanese) {}
Cmyppage5us::Cmyppage5us() : CCalibrationPage(kOneEnglish) {}
Cmyppage5S::Cmyppage5S() : CCalibrationPage(kTwoJapanese) {}
CmyppageS5us::CmyppageS5us() : CCalibrationPage(kTwoEnglish) {}

BOOL CCalibrationPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    int points = PointCountFromOption(Option);
    CheckDlgButton(m_hWnd, m_t.radio9, points == 9 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, m_t.radio12, points == 12 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, m_t.radio20, points == 20 ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

BOOL CCalibrationPage::OnApply() {
    if (g_bSettingsPending) ApplySettings();
    return CPropertyPage::OnApply();
}

BOOL CCalibrationPage::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return FALSE;
    if (id == m_t.radio9) On9Points();
    else if (id == m_t.radio12) On12Points();
    else if (id == m_t.radio20) On20Points();
    else if (id == m_t.calibrate) OnCalibrate();
    else if (m_t.calibrate2 && id == m_t.calibrate2) OnCalibrate2();
    else return FALSE;
    return TRUE;
}

void CCalibrationPage::On9Points() { OnPointCount(OPT_CALIB_9); }
void CCalibrationPage::On12Points() { OnPointCount(OPT_CALIB_12); }
void CCalibrationPage::On20Points() { OnPointCount(OPT_CALIB_20); }

// A click on the radio that is already checked counts as a change too.
void CCalibrationPage::OnPointCount(DWORD bit) {
    Option = (Option & ~OPT_CALIB_MASK) | bit;
    g_bCalibrationChanged = TRUE;
    g_bSettingsPending = TRUE;
    SetModified(TRUE);
}

void CCalibrationPage::OnCalibrate() { StartCalibration(kFileJostel); }
void CCalibrationPage::OnCalibrate2() { StartCalibration(kCmdJostelMonitor2); }

void CCalibrationPage::StartCalibration(const char* commandLiteral) {
    if (g_bCalibrationChanged) {
        MessageBox(m_t.changedText, m_t.changedCaption, MB_OK);
        return;
    }
    char command[kPathBufferSize] = {};
    if (!MakeSystemPath(command, commandLiteral)) return;
    WinExec(command, SW_SHOWNORMAL);
}
