// The property sheet and its page set.
#include "sheet.h"

Cmypsheet::Cmypsheet(const char* caption, HWND parent, UINT firstPage)
    : CPropertySheet(caption, parent, firstPage) {
    AddPages();
}

// Picture, sound, click, click simulation; then the two-monitor calibration and
// the dual-monitor page when the second driver is there, else the one-monitor
// calibration; last the driver information. The click simulation tab speaks of
// the button that a simulated click presses, which the system's swap decides.
void Cmypsheet::AddPages() {
    BOOL swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    if (IsJapanese()) {
        m_page4.SetTitle(swapped ? "左クリック設定" : "右クリック設定");
        AddPage(&m_page1);
        AddPage(&m_page2);
        AddPage(&m_page3);
        AddPage(&m_page4);
        if (g_bSecondDriverPresent) {
            AddPage(&m_page5S);
            AddPage(&m_page55);
        } else {
            AddPage(&m_page5);
        }
        AddPage(&m_page6);
    } else {
        m_page4us.SetTitle(swapped ? "Left button simulation" : "Right button simulation");
        AddPage(&m_page1us);
        AddPage(&m_page2us);
        AddPage(&m_page3us);
        AddPage(&m_page4us);
        if (g_bSecondDriverPresent) {
            AddPage(&m_pageS5us);
            AddPage(&m_page55us);
        } else {
            AddPage(&m_page5us);
        }
        AddPage(&m_page6us);
    }
}
