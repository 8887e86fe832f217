// Touch sound page: sound on/off, touch-on or touch-off, the kind of sound,
// the tone's frequency and duration, and the user's standard copy of them.
// Every change goes straight into the program-wide settings.
#include "page_sound.h"

#include <cstdio>

using namespace wexant;

// Names of the sound kinds, kinds 0-6, and the list without the plain beep (kinds 1-6).
const char* const SoundKindNames[7] = {
    "Beep音", "メッセージ(情報)", "メッセージ(警告)", "メッセージ(問い合わせ)",
    "システムエラー", "一般の警告音", "標準Beep音",
};
const char* const SoundKindNamesNoBeep[6] = {
    SoundKindNames[1], SoundKindNames[2], SoundKindNames[3],
    SoundKindNames[4], SoundKindNames[5], SoundKindNames[6],
};
const char* const SoundKindNamesUs[7] = {
    "Beep Sound", "Asterisk", "Exclamation", "Question", "Critical Stop", "Default Beep", "Standard Sound",
};
const char* const SoundKindNamesNoBeepUs[6] = {
    SoundKindNamesUs[1], SoundKindNamesUs[2], SoundKindNamesUs[3],
    SoundKindNamesUs[4], SoundKindNamesUs[5], SoundKindNamesUs[6],
};

namespace {

const SoundPageTable kJapanese = {
    102,
    1167, 1168, 1169, 1210, 1170,
    1126, 1033, 1034, 1035, 1036,
    {1127, 1128, 1131, 1129, 1130, 1132},
    1039, 1177, 1178,
    1037, 1038,
    {1046, 1048, 1047, 1049},
    1031, 1032, 1040,
    SoundKindNames, SoundKindNamesNoBeep,
    "サウンド機能を使用する", "サウンド機能を使用しない",
    "タッチオン時に音を鳴らす", "タッチオフ時に音を鳴らす",
};
const SoundPageTable kEnglish = {
    113,
    1195, 1196, 1193, 1218, 1194,
    1133, 1084, 1085, 1086, 1087,
    {1134, 1135, 1138, 1136, 1137, 1139},
    1081, 1190, 1191,
    1082, 1083,
    {1050, 1052, 1051, 1053},
    1080, 1079, 1078,
    SoundKindNamesUs, SoundKindNamesNoBeepUs,
    "Sounds enabled", "Sounds disabled",
    "Sound when pressed", "Sound on release",
};

constexpr int kFreqLow = static_cast<int>(kFreqMin), kFreqHigh = static_cast<int>(kFreqMax);
constexpr int kDurLow = static_cast<int>(kDurationMin), kDurHigh = static_cast<int>(kDurationMax);

// Option with one bit set or cleared.
DWORD WithBit(DWORD option, DWORD bit, bool on) { return on ? (option | bit) : (option & ~bit); }

BOOL NoBeep() { return (g_dwDisSet & 1) != 0; }

void ShowNumber(const CStatic& text, DWORD value) {
    // The values come from the registry unchecked: show them whole.
    char digits[16];
    snprintf(digits, sizeof digits, "%lu", static_cast<unsigned long>(value));
    text.SetWindowText(digits);
}

}  // namespace

CSoundPage::CSoundPage(const SoundPageTable& table) : CPropertyPage(table.templateId), m_t(table) {}

Cmyppage2::Cmyppage2() : CSoundPage(kJapanese) {}
Cmyppage2us::Cmyppage2us() : CSoundPage(kEnglish) {}

void CSoundPage::DoDataExchange() {
    DDX_Control(m_hWnd, m_t.check, m_sound);
    DDX_Control(m_hWnd, m_t.kindLabel, m_kindLabel);
    DDX_Control(m_hWnd, m_t.combo, m_kind);
    DDX_Control(m_hWnd, m_t.toneGroup, m_toneGroup);
    DDX_Control(m_hWnd, m_t.freqBar, m_freqBar);
    DDX_Control(m_hWnd, m_t.durBar, m_durBar);
    DDX_Control(m_hWnd, m_t.freqText, m_freqValue);
    DDX_Control(m_hWnd, m_t.durText, m_durValue);
    for (int i = 0; i < 6; ++i) DDX_Control(m_hWnd, m_t.toneLabels[i], m_toneLabels[i]);
    DDX_Control(m_hWnd, m_t.stdSoundText, m_stdSound);
    DDX_Control(m_hWnd, m_t.stdTouchText, m_stdTouch);
    DDX_Control(m_hWnd, m_t.stdKindText, m_stdKind);
    DDX_Control(m_hWnd, m_t.stdFreqText, m_stdFreqValue);
    DDX_Control(m_hWnd, m_t.stdDurText, m_stdDurValue);
    for (int i = 0; i < 4; ++i) DDX_Control(m_hWnd, m_t.stdToneLabels[i], m_stdToneLabels[i]);
}

void CSoundPage::Changed() {
    g_bSettingsPending = TRUE;
    SetModified(TRUE);
}

// The combo box entry of a kind, or -1 when the list has none for it.
int CSoundPage::EntryOfKind(DWORD kind) const {
    if (NoBeep()) return kind >= 1 && kind <= 6 ? static_cast<int>(kind) - 1 : -1;
    return kind <= 6 ? static_cast<int>(kind) : -1;
}

void CSoundPage::SelectKind() { m_kind.SetCurSel(EntryOfKind(SoundKind(Option))); }

// The list keeps the order of insertion, so an entry's index gives its kind.
void CSoundPage::FillKinds() {
    const char* const* names = NoBeep() ? m_t.namesNoBeep : m_t.names;
    for (int i = 0, n = NoBeep() ? 6 : 7; i < n; ++i) m_kind.InsertString(-1, names[i]);
}

void CSoundPage::ShowStandardKind() {
    DWORD kind = (Option & OPT_STD_SOUND_KIND_MASK) >> OPT_STD_SOUND_KIND_SHIFT;
    if (kind < 1 || kind > 6) kind = NoBeep() ? 1 : 0;
    m_stdKind.SetWindowText(m_t.names[kind]);
}

void CSoundPage::ShowStandardSound() {
    m_stdSound.SetWindowText((Option & OPT_STD_SOUND) ? m_t.soundOn : m_t.soundOff);
}

void CSoundPage::ShowStandardTouch() {
    m_stdTouch.SetWindowText((Option & OPT_STD_SOUND_ON_TOUCH) ? m_t.onTouchText : m_t.onReleaseText);
}

void CSoundPage::ShowTouchChoice() {
    BOOL onTouch = (Option & OPT_SOUND_ON_TOUCH) != 0;
    m_onTouch.SetCheck(onTouch ? BST_CHECKED : BST_UNCHECKED);
    m_onRelease.SetCheck(onTouch ? BST_UNCHECKED : BST_CHECKED);
}

void CSoundPage::ShowTone() {
    m_freqBar.SetScrollPos(static_cast<int>(Freq));
    m_durBar.SetScrollPos(static_cast<int>(Duration));
    ShowNumber(m_freqValue, Freq);
    ShowNumber(m_durValue, Duration);
}

void CSoundPage::EnableTone(BOOL enable) {
    m_toneGroup.EnableWindow(enable);
    m_freqBar.EnableWindow(enable);
    m_durBar.EnableWindow(enable);
    m_freqValue.EnableWindow(enable);
    m_durValue.EnableWindow(enable);
    for (const CStatic& label : m_toneLabels) label.EnableWindow(enable);
}

// The sound controls follow the switch; the tone controls too, and are off
// for good when DisSet takes the tone away, with the standard tone display.
void CSoundPage::ApplyEnabling() {
    BOOL sound = (Option & OPT_SOUND) != 0;
    m_onTouch.EnableWindow(sound);
    m_onRelease.EnableWindow(sound);
    m_kindLabel.EnableWindow(sound);
    m_kind.EnableWindow(sound);
    EnableTone(sound && !NoBeep());
    if (!NoBeep()) return;
    m_stdFreqValue.EnableWindow(FALSE);
    m_stdDurValue.EnableWindow(FALSE);
    for (const CStatic& label : m_stdToneLabels) label.EnableWindow(FALSE);
}

void CSoundPage::ShowSoundSwitch() {
    m_sound.SetCheck((Option & OPT_SOUND) ? BST_CHECKED : BST_UNCHECKED);
    ApplyEnabling();
}

BOOL CSoundPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    m_onTouch.Attach(m_hWnd, m_t.onTouch);
    m_onRelease.Attach(m_hWnd, m_t.onRelease);

    m_freqBar.SetScrollRange(kFreqLow, kFreqHigh);
    m_durBar.SetScrollRange(kDurLow, kDurHigh);
    ShowTone();
    ShowNumber(m_stdFreqValue, StdFreq);
    ShowNumber(m_stdDurValue, StdDuration);
    ShowStandardSound();
    ShowStandardTouch();
    ShowStandardKind();
    ShowTouchChoice();

    FillKinds();
    // Without the plain beep kind 0 has no entry: the page starts from kind 1,
    // which is stored only with some other change.
    if (NoBeep() && SoundKind(Option) == 0) Option = WithSoundKind(Option, 1);
    SelectKind();

    ShowSoundSwitch();
    return TRUE;
}

BOOL CSoundPage::OnApply() {
    if (g_bSettingsPending) ApplySettings();
    return CPropertyPage::OnApply();
}

BOOL CSoundPage::OnCommand(int id, int code) {
    if (code == CBN_SELCHANGE && id == m_t.combo) {
        OnSelchangeSoundKind();
        return TRUE;
    }
    if (code != BN_CLICKED) return FALSE;
    if (id == m_t.check) OnCheckSound();
    else if (id == m_t.onTouch) OnSoundOnTouch();
    else if (id == m_t.onRelease) OnSoundOnRelease();
    else if (id == m_t.setStandard) OnSetStandard();
    else if (id == m_t.restoreStandard) OnRestoreStandard();
    else if (id == m_t.resetDefault) OnResetDefault();
    else return FALSE;
    return TRUE;
}

void CSoundPage::OnCheckSound() {
    if (m_sound.GetCheck() == BST_CHECKED) {
        Option |= OPT_SOUND;
        if (NoBeep() && SoundKind(Option) == 0) Option = WithSoundKind(Option, 1);
    } else {
        Option &= ~static_cast<DWORD>(OPT_SOUND);
    }
    ApplyEnabling();
    Changed();
}

void CSoundPage::OnSoundOnTouch() {
    Option |= OPT_SOUND_ON_TOUCH;
    Changed();
}

void CSoundPage::OnSoundOnRelease() {
    Option &= ~static_cast<DWORD>(OPT_SOUND_ON_TOUCH);
    Changed();
}

void CSoundPage::OnSelchangeSoundKind() {
    int entry = m_kind.GetCurSel();
    DWORD kind = entry < 0 ? 0 : static_cast<DWORD>(entry);
    Option = WithSoundKind(Option, NoBeep() ? kind + 1 : kind);
    Changed();
}

void CSoundPage::OnSetStandard() {
    Option = WithBit(Option, OPT_STD_SOUND, (Option & OPT_SOUND) != 0);
    ShowStandardSound();
    Option = WithBit(Option, OPT_STD_SOUND_ON_TOUCH, (Option & OPT_SOUND_ON_TOUCH) != 0);
    ShowStandardTouch();
    Option = (Option & ~static_cast<DWORD>(OPT_STD_SOUND_KIND_MASK)) | ((Option & OPT_SOUND_KIND_MASK) >> 4);
    StdFreq = Freq;
    StdDuration = Duration;
    ShowStandardKind();
    ShowNumber(m_stdFreqValue, StdFreq);
    ShowNumber(m_stdDurValue, StdDuration);
    Changed();
}

void CSoundPage::OnRestoreStandard() {
    Option = WithBit(Option, OPT_SOUND_ON_TOUCH, (Option & OPT_STD_SOUND_ON_TOUCH) != 0);
    ShowTouchChoice();
    Freq = StdFreq;
    Duration = StdDuration;
    Option = (Option & ~static_cast<DWORD>(OPT_SOUND_KIND_MASK)) | ((Option & OPT_STD_SOUND_KIND_MASK) << 4);
    // A standard kind 0 has no entry without the plain beep; the page keeps
    // kind 0 out of the settings in that mode, as everywhere else.
    if (NoBeep() && SoundKind(Option) == 0) Option = WithSoundKind(Option, 1);
    ShowTone();
    SelectKind();
    Option = WithBit(Option, OPT_SOUND, (Option & OPT_STD_SOUND) != 0);
    ShowSoundSwitch();
    Changed();
}

void CSoundPage::OnResetDefault() {
    Option |= OPT_SOUND_ON_TOUCH;
    ShowTouchChoice();
    Option = WithSoundKind(Option, 0);
    Freq = kDefaultFreq;
    Duration = kDefaultDuration;
    ShowTone();
    m_kind.SetCurSel(0);
    Option &= ~static_cast<DWORD>(OPT_SOUND);
    if (NoBeep()) Option = WithSoundKind(Option, 1);
    ShowSoundSwitch();
    Changed();
}

void CSoundPage::OnHScroll(int code, int thumb, HWND bar) {
    BOOL isFreq = bar == m_freqBar;
    if (!isFreq && bar != m_durBar) return;
    Changed();
    const CScrollBar& scroll = isFreq ? m_freqBar : m_durBar;
    const int low = isFreq ? kFreqLow : kDurLow, high = isFreq ? kFreqHigh : kDurHigh;
    int position = scroll.GetScrollPos();
    int value = position;
    switch (code) {
    case SB_LINELEFT: value = position - 1; break;
    case SB_LINERIGHT: value = position + 1; break;
    case SB_PAGELEFT: value = position <= 100 ? low : position - 100; break;
    case SB_PAGERIGHT: value = position + 100; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: value = thumb; break;
    case SB_LEFT: value = low; break;
    case SB_RIGHT: value = high; break;
    default: break;
    }
    if (value < low) value = low;
    if (value > high) value = high;
    if (isFreq) Freq = static_cast<DWORD>(value); else Duration = static_cast<DWORD>(value);
    scroll.SetScrollPos(value);
    ShowNumber(isFreq ? m_freqValue : m_durValue, static_cast<DWORD>(value));
}
