// The sound, click, click simulation and dual-monitor pages of the sheet, one
// object per class, living for the whole run.
#include "pages_extra.h"

#include "page_click.h"
#include "page_clicksim.h"
#include "page_dual.h"
#include "page_sound.h"

namespace {
Cmyppage2 g_soundJa;
Cmyppage2us g_soundUs;
Cmyppage3 g_clickJa;
Cmyppage3us g_clickUs;
Cmyppage4 g_clickSimJa;
Cmyppage4us g_clickSimUs;
Cmypage55 g_dualJa;
Cmypage55us g_dualUs;
}  // namespace

CPropertyPage* SoundPage(BOOL japanese) {
    return japanese ? static_cast<CPropertyPage*>(&g_soundJa) : &g_soundUs;
}
CPropertyPage* ClickPage(BOOL japanese) {
    return japanese ? static_cast<CPropertyPage*>(&g_clickJa) : &g_clickUs;
}
CPropertyPage* ClickSimPage(BOOL japanese) {
    return japanese ? static_cast<CPropertyPage*>(&g_clickSimJa) : &g_clickSimUs;
}
CPropertyPage* DualMonitorPage(BOOL japanese) {
    return japanese ? static_cast<CPropertyPage*>(&g_dualJa) : &g_dualUs;
}
