// Touch sound page, one body for the Japanese and the English page.
#pragma once
#include "framework.h"

// Display names of the sound kinds: kinds 0-6, and kinds 1-6 for the list
// without the plain beep (DisSet bit 0).
extern const char* const SoundKindNames[7];
extern const char* const SoundKindNamesNoBeep[6];
extern const char* const SoundKindNamesUs[7];
extern const char* const SoundKindNamesNoBeepUs[6];

// What differs between the two languages: the template, control ids and texts.
struct SoundPageTable {
    UINT templateId;
    int check, onTouch, onRelease, kindLabel, combo;
    int tone[11];  // tone group: box, labels, ranges, scroll bars, values, units
    int freqBar, durBar, freqText, durText;
    int stdSoundText, stdTouchText, stdKindText;
    int stdTone[6];  // standard tone display: labels, values, units
    int stdFreqText, stdDurText;
    int setStandard, restoreStandard, resetDefault;
    const char* const* names;        // seven kinds
    const char* const* namesNoBeep;  // six kinds
    const char* soundOn;
    const char* soundOff;
    const char* onTouchText;
    const char* onReleaseText;
};

class CSoundPage : public CPropertyPage {
public:
    explicit CSoundPage(const SoundPageTable& table);

protected:
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    BOOL OnCommand(int id, int code) override;
    void OnHScroll(int code, int thumb, HWND bar) override;

private:
    void OnCheckSound();
    void OnSoundOnTouch();
    void OnSoundOnRelease();
    void OnSelchangeSoundKind();
    void OnSetStandard();
    void OnRestoreStandard();
    void OnResetDefault();

    void Changed();
    void ApplyEnabling();
    void ShowSoundSwitch();
    void ShowNumber(int id, DWORD value);
    void ShowStandardSound();
    void ShowStandardTouch();
    void ShowStandardKind();
    void ShowTouchChoice();
    void ShowTone();
    void SelectKind();
    int EntryOfKind(DWORD kind) const;

    const SoundPageTable& m_t;
    HWND m_onTouch = nullptr;
    HWND m_onRelease = nullptr;
};

class Cmyppage2 : public CSoundPage {
public:
    Cmyppage2();
};

class Cmyppage2us : public CSoundPage {
public:
    Cmyppage2us();
};
