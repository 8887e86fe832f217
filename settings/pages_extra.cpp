// Placeholder until the sound, click, click simulation and dual-monitor pages
// are built: no page, so the sheet leaves their tabs out.
#include "pages_extra.h"

CPropertyPage* SoundPage(BOOL) { return nullptr; }
CPropertyPage* ClickPage(BOOL) { return nullptr; }
CPropertyPage* ClickSimPage(BOOL) { return nullptr; }
CPropertyPage* DualMonitorPage(BOOL) { return nullptr; }
