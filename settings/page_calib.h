// Calibration pages: the point count Jostel asks for, and the buttons that
// start it, for one monitor or for each of two. One body for the four classes.
#pragma once
#include "framework.h"

struct CalibPageTable {
    UINT templateId;
    int radio9, radio12, radio20;
    int calibrate;   // monitor 1, or the only monitor
    int calibrate2;  // monitor 2; 0 in the one-monitor form
    const char* changedText;
    const char* changedCaption;
};

class CCalibrationPage : public CPropertyPage {
public:
    explicit CCalibrationPage(const CalibPageTable& table);

protected:
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    BOOL OnCommand(int id, int code) override;

private:
    // The three point-count radios; each hands its Option bit to OnPointCount.
    void On9Points();
    void On12Points();
    void On20Points();
    void OnPointCount(DWORD bit);
    // The calibrate button (monitor 1, or the only monitor) and the monitor 2
    // button of the two-monitor form; both start Jostel through StartCalibration.
    void OnCalibrate();
    void OnCalibrate2();
    void StartCalibration(const char* commandLiteral);

    const CalibPageTable& m_t;
};

class Cmyppage5 : public CCalibrationPage {
public:
    Cmyppage5();
};
class Cmyppage5us : public CCalibrationPage {
public:
    Cmyppage5us();
};
class Cmyppage5S : public CCalibrationPage {
public:
    Cmyppage5S();
};
class CmyppageS5us : public CCalibrationPage {
public:
    CmyppageS5us();
};
