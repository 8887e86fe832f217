// Click simulation page, one body for the Japanese and the English page: the
// keyboard-modifier click simulation and the resident program's icons.
#pragma once
#include "framework.h"

// Texts that follow the system's button swap: [0] buttons normal, [1] swapped.
// A control id of 0 is not on that page.
struct ClickSimText {
    int id;
    const char* text[2];
};

struct ClickSimPageTable {
    UINT templateId;
    int group, enable, ctrl, shift, alt, hold, once, tray, window;
    int leftPicture, rightPicture;
    int modeText[2];  // the mode explanation: one or two lines (0: none)
    ClickSimText texts[8];
};

class CClickSimPage : public CPropertyPage {
public:
    explicit CClickSimPage(const ClickSimPageTable& table);

protected:
    BOOL OnInitDialog() override;
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
    BOOL Checked(int id) const;
    void Enable(int id, BOOL on) const;

    const ClickSimPageTable& m_t;
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
