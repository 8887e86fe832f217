// Panel picture page: panel.bmp from the system directory, drawn at its own
// size at (5, 5) of the page on every paint. No controls.
#pragma once
#include <memory>

#include "framework.h"

class CPicturePage : public CPropertyPage {
public:
    explicit CPicturePage(UINT templateId) : CPropertyPage(templateId) {}

protected:
    void OnPaint() override;

private:
    BOOL ReadPicture();
    void DrawPicture();

    std::unique_ptr<BYTE[]> m_pBits;     // pixel bits of the last picture read
    std::unique_ptr<BYTE[]> m_pBmpInfo;  // its information header and colour table
    BITMAPFILEHEADER m_bmfHeader = {};
};

class Cmyppage1 : public CPicturePage {
public:
    Cmyppage1() : CPicturePage(107) {}
};

class Cmyppage1us : public CPicturePage {
public:
    Cmyppage1us() : CPicturePage(112) {}
};
