// The settings program's property sheet. It holds every page of both
// languages and adds those of one language, in tab order.
#pragma once
#include "framework.h"
#include "page_calib.h"
#include "page_click.h"
#include "page_clicksim.h"
#include "page_driver.h"
#include "page_dual.h"
#include "page_picture.h"
#include "page_sound.h"

class Cmypsheet : public CPropertySheet {
public:
    // Builds the sixteen pages (in declaration order), then adds one language's.
    Cmypsheet(const char* caption, HWND parent, UINT firstPage);

private:
    void AddPages();

    // English pages first, then the Japanese ones, each set from the last tab
    // to the first; they are destroyed in the reverse order.
    CmyppageS5us m_pageS5us;
    Cmypage55us m_page55us;
    Cmyppage6us m_page6us;
    Cmyppage5us m_page5us;
    Cmyppage4us m_page4us;
    Cmyppage3us m_page3us;
    Cmyppage2us m_page2us;
    Cmyppage1us m_page1us;
    Cmyppage5S m_page5S;
    Cmypage55 m_page55;
    Cmyppage6 m_page6;
    Cmyppage5 m_page5;
    Cmyppage4 m_page4;
    Cmyppage3 m_page3;
    Cmyppage2 m_page2;
    Cmyppage1 m_page1;
};
