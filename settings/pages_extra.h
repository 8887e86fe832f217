// The sound, click, click simulation and dual-monitor pages, built in their
// own files. Each function returns the page object of one language (TRUE:
// the Japanese class, FALSE: the English twin), owned by pages_extra.cpp and
// living for the whole run, or nullptr while the page is not built; the sheet
// skips a null page.
//
// To plug a page in: construct it in pages_extra.cpp (a function-local static
// object is enough), return it here, put its dialog template and resources in
// pages_extra.rc (included by Quintrel.rc). Its source joins the build by the
// glob in settings/CMakeLists.txt. The sheet adds the pages in tab order and
// sets the click simulation page's title itself.
#pragma once
#include "framework.h"

CPropertyPage* SoundPage(BOOL japanese);         // Cmyppage2 / Cmyppage2us
CPropertyPage* ClickPage(BOOL japanese);         // Cmyppage3 / Cmyppage3us
CPropertyPage* ClickSimPage(BOOL japanese);      // Cmyppage4 / Cmyppage4us
CPropertyPage* DualMonitorPage(BOOL japanese);   // Cmypage55 / Cmypage55us
