// The settings program's property sheet: the pages of one language in tab order.
#pragma once
#include "framework.h"
#include "page_calib.h"
#include "page_driver.h"
#include "page_picture.h"

class Cmypsheet : public CPropertySheet {
public:
    Cmypsheet(const char* caption, HWND parent, UINT firstPage);

private:
    void AddPages();

    Cmyppage6us m_page6us;
    Cmyppage5us m_page5us;
    CmyppageS5us m_pageS5us;
    Cmyppage1us m_page1us;
    Cmyppage5S m_page5S;
    Cmyppage6 m_page6;
    Cmyppage5 m_page5;
    Cmyppage1 m_page1;
};
