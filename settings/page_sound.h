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
    int toneGroup, freqBar, durBar, freqText, durText;
    int toneLabels[6];  // frequency label, range, unit; duration label, range, unit
    int stdSoundText, stdTouchText, stdKindText;
    int stdFreqText, stdDurText;
    int stdToneLabels[4];  // standard frequency label and unit, duration label and unit
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
    void DoDataExchange() override;
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
    void EnableTone(BOOL enable);
    void ShowSoundSwitch();
    void ShowStandardSound();
    void ShowStandardTouch();
    void ShowStandardKind();
    void ShowTouchChoice();
    void ShowTone();
    void FillKinds();
    void SelectKind();
    int EntryOfKind(DWORD kind) const;

    const SoundPageTable& m_t;
    // Bound in DoDataExchange.
    CButton m_sound;
    CStatic m_kindLabel;
    CComboBox m_kind;
    CButton m_toneGroup;
    CScrollBar m_freqBar, m_durBar;
    CStatic m_freqValue, m_durValue;
    CStatic m_toneLabels[6];
    CStatic m_stdSound, m_stdTouch, m_stdKind;
    CStatic m_stdFreqValue, m_stdDurValue;
    CStatic m_stdToneLabels[4];
    // Looked up in OnInitDialog.
    CButton m_onTouch;
    CButton m_onRelease;
};

class Cmyppage2 : public CSoundPage {
public:
    Cmyppage2();
};

class Cmyppage2us : public CSoundPage {
public:
    Cmyppage2us();
};
