// Click page, one body for the Japanese and the English page: the system's
// double-click area and speed, set live while the sliders move, the
// hide-cursor switch and the stream/point choice.
#pragma once
#include "framework.h"

struct ClickPageTable {
    UINT templateId;
    int modeGroup, streamMode, pointMode;
    int firstMovable;  // thirteen ids in a row that move up with the hidden group
    int hideCursor, widthSlider, heightSlider, speedSlider, testIcon;
};

class CClickPage : public CPropertyPage {
public:
    explicit CClickPage(const ClickPageTable& table);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    BOOL OnApply() override;
    void OnCancel() override;
    BOOL OnCommand(int id, int code) override;
    void OnHScroll(int code, int thumb, HWND bar) override;
    void OnTimer(UINT_PTR id) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;

private:
    void OnHideCursor();
    void OnStreamMode();
    void OnPointMode();
    void Changed();
    void HideModeGroup();
    void ShowTestFrame();

    const ClickPageTable& m_t;
    // Bound in DoDataExchange.
    CButton m_hideCursor;
    CSliderCtrl m_widthSlider;
    CSliderCtrl m_heightSlider;
    CSliderCtrl m_speedSlider;
    CStatic m_testIcon;
    short m_testState = 1;   // 1 day, -1 night; lasts for the run
    int m_frame = 0;         // 0-3
    HICON m_icons[8] = {};   // day frames 0-3, then night frames 0-3
};

class Cmyppage3 : public CClickPage {
public:
    Cmyppage3();
};

class Cmyppage3us : public CClickPage {
public:
    Cmyppage3us();
};
