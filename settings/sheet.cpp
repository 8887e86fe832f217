// The property sheet and its page set.
#include "sheet.h"

#include "pages_extra.h"

Cmypsheet::Cmypsheet(const char* caption, HWND parent, UINT firstPage)
    : CPropertySheet(caption, parent, firstPage) {
    AddPages();
}

// Picture, sound, click, click simulation; then the two-monitor calibration and
// the dual-monitor page when the second driver is there, else the one-monitor
// calibration; last the driver information.
void Cmypsheet::AddPages() {
    BOOL japanese = IsJapanese();
    BOOL swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    CPropertyPage* clickSim = ClickSimPage(japanese);
    if (clickSim) {
        if (japanese)
            clickSim->SetTitle(swapped ? "左クリック設定" : "右クリック設定");
        else
            clickSim->SetTitle(swapped ? "Left button simulation" : "Right button simulation");
    }
    AddPage(japanese ? static_cast<CPropertyPage*>(&m_page1) : &m_page1us);
    AddPage(SoundPage(japanese));
    AddPage(ClickPage(japanese));
    AddPage(clickSim);
    if (g_bSecondDriverPresent) {
        AddPage(japanese ? static_cast<CPropertyPage*>(&m_page5S) : &m_pageS5us);
        AddPage(DualMonitorPage(japanese));
    } else {
        AddPage(japanese ? static_cast<CPropertyPage*>(&m_page5) : &m_page5us);
    }
    AddPage(japanese ? static_cast<CPropertyPage*>(&m_page6) : &m_page6us);
}
