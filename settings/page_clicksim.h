// Click simulation page, one body for the Japanese and the English page: the
// keyboard-modifier click simulation and the resident program's icons.
#pragma once
#include "framework.h"

// A text that follows the system's button swap: [0] buttons normal, [1] swapped.
struct SwapText {
    const char* text[2];
};

struct ClickSimPageTable {
    UINT templateId;
    int group, enable, ctrl, shift, alt, hold, once, tray, window;
    int leftPicture, rightPicture;
    int keyText, pictureText;
    int modeText[2];  // the mode explanation: one or two lines (0: none)
    SwapText groupCaption, keyExplanation, enableCaption, holdCaption, onceCaption, pictureExplanation;
    SwapText modeLines[2];  // null: the line keeps its template text
};

class CClickSimPage : public CPropertyPage {
public:
    explicit CClickSimPage(const ClickSimPageTable& table);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    BOOL OnApply() override;
    BOOL OnCommand(int id, int code) override;

private:
    void OnEnableClickSim();
    void OnCtrlKey();
    void OnShiftKey();
    void OnAltKey();
    void OnHoldMode();
    void OnOnceMode();
    void OnTrayIcon();
    void OnWindowIcon();

    void Changed();
    void EnableSimulation(BOOL on);
    void HoldMode();
    void OnceMode();
    void SetKey(DWORD key);
    void ShowKey();
    void ShowSwapped();
    void EnableKey(int id, BOOL on) const;

    const ClickSimPageTable& m_t;
    // Bound in DoDataExchange.
    CButton m_group;
    CButton m_enable;
    CButton m_hold;
    CButton m_once;
    CButton m_tray;
    CButton m_window;
    CStatic m_leftPicture;
    CStatic m_rightPicture;
    CStatic m_keyText;
    CStatic m_pictureText;
    CStatic m_modeText[2];  // the English page has one line

    HICON m_leftMouse = nullptr;   // icon 129, the left button marked
    HICON m_rightMouse = nullptr;  // icon 131, the right button marked
};

class Cmyppage4 : public CClickSimPage {
public:
    Cmyppage4();
};

class Cmyppage4us : public CClickSimPage {
public:
    Cmyppage4us();
};
