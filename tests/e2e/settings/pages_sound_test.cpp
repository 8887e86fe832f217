// The touch sound page: enabling by the sound switch and DisSet, the kind
// list, the standard copy, the reset and the scroll bars, checked through the
// page's controls and the values that Apply stores.
#include "pages_support.h"

#include <vector>

using namespace wexant;

namespace {

// Control ids of one language.
struct Ids {
    int check, onTouch, onRelease, combo;
    std::vector<int> sound;     // follow the sound switch
    std::vector<int> tone;      // follow the switch, off while DisSet bit 0 is set
    std::vector<int> stdTone;   // off while DisSet bit 0 is set
    int freqBar, durBar, freqText, durText, stdFreqText, stdDurText, stdSound, stdTouch, stdKind;
    int setStd, restoreStd, reset;
};
const Ids kJa = {1167, 1168, 1169, 1170,
                 {1168, 1169, 1210, 1170},
                 {1126, 1127, 1128, 1033, 1035, 1131, 1129, 1130, 1034, 1036, 1132},
                 {1046, 1037, 1048, 1047, 1038, 1049},
                 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1177, 1178,
                 1031, 1032, 1040};
const Ids kEn = {1195, 1196, 1193, 1194,
                 {1196, 1193, 1218, 1194},
                 {1133, 1134, 1135, 1084, 1086, 1138, 1136, 1137, 1085, 1087, 1139},
                 {1050, 1082, 1052, 1051, 1083, 1053},
                 1084, 1085, 1086, 1087, 1082, 1083, 1081, 1190, 1191,
                 1080, 1079, 1078};

struct Page {
    pages::Sheet sheet;
    HWND page = nullptr;
    const Ids* ids = nullptr;
    HWND operator[](int id) const { return tb::Control(page, id); }
};

Page Open(bool japanese) {
    Page p;
    p.ids = japanese ? &kJa : &kEn;
    p.sheet = pages::StartSheet(japanese);
    if (p.sheet.window) p.page = p.sheet.Show(pages::TAB_SOUND);
    return p;
}

void ExpectEnabled(const Page& p, const std::vector<int>& ids, bool enabled, const char* what) {
    for (int id : ids) EXPECT_EQ(enabled, tb::IsEnabled(p[id])) << what << " control " << id;
}

// Sends one scroll message from a bar, as the bar itself would.
void ScrollBy(const Page& p, int bar, int code, int position = 0) {
    SendMessageA(p.page, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(p[bar]));
}

std::string Text(const Page& p, int id) { return pages::Utf8(p[id]); }

}  // namespace

TEST(PagesSound, EnablingFollowsSoundSwitchAndDisSet) {
    struct Case { bool sound, disSet, japanese; } cases[] = {
        {true, false, false}, {true, true, true}, {false, false, true}, {false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sound " << c.sound << " DisSet " << c.disSet);
        ASSERT_TRUE(pages::SetUser("Option", kDefaultOption | (c.sound ? static_cast<DWORD>(OPT_SOUND) : 0u) | (3u << 12)));
        ASSERT_TRUE(pages::SetDriver("DisSet", c.disSet ? 0xFFFFFFFFu : 0xFFFFFFFEu));
        Page p = Open(c.japanese);
        ASSERT_NE(nullptr, p.page);
        const Ids& ids = *p.ids;
        EXPECT_EQ(c.sound, tb::IsChecked(p[ids.check]));
        ExpectEnabled(p, ids.sound, c.sound, "sound");
        ExpectEnabled(p, ids.tone, c.sound && !c.disSet, "tone");
        ExpectEnabled(p, ids.stdTone, !c.disSet, "standard tone");
        ExpectEnabled(p, {ids.check, ids.setStd, ids.restoreStd, ids.reset, ids.stdSound, ids.stdTouch, ids.stdKind},
                      true, "always");

        // The list: seven kinds, or six without the plain beep; kind 3 selected.
        HWND combo = p[ids.combo];
        ASSERT_EQ(c.disSet ? 6 : 7, tb::ComboCount(combo));
        const char* first = c.disSet ? (c.japanese ? u8"メッセージ(情報)" : "Asterisk")
                                     : (c.japanese ? u8"Beep音" : "Beep Sound");
        const char* last = c.japanese ? u8"標準Beep音" : "Standard Sound";
        EXPECT_EQ(first, pages::ComboUtf8(combo, 0));
        EXPECT_EQ(last, pages::ComboUtf8(combo, c.disSet ? 5 : 6));
        EXPECT_EQ(c.disSet ? 2 : 3, SendMessageA(combo, CB_GETCURSEL, 0, 0));

        // The switch flips the sound and tone groups; the standard display never follows it.
        tb::Click(p[ids.check]);
        ASSERT_TRUE(pages::Wait([&] { return tb::IsChecked(p[ids.check]) != c.sound; }));
        pages::Wait([&] { return tb::IsEnabled(p[ids.combo]) != c.sound; });
        ExpectEnabled(p, ids.sound, !c.sound, "sound after switch");
        ExpectEnabled(p, ids.tone, !c.sound && !c.disSet, "tone after switch");
        ExpectEnabled(p, ids.stdTone, !c.disSet, "standard tone after switch");
        EXPECT_TRUE(p.sheet.ApplyEnabled());
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(!c.sound, (pages::User("Option") & OPT_SOUND) != 0);
        EXPECT_EQ(3u, SoundKind(pages::User("Option")));
        p.sheet.Cancel();
    }
}

TEST(PagesSound, KindListMapsEntriesToKinds) {
    // Without DisSet: entry i is kind i.
    {
        ASSERT_TRUE(pages::SetUser("Option", kDefaultOption | OPT_SOUND));
        Page p = Open(false);
        ASSERT_NE(nullptr, p.page);
        HWND combo = p[p.ids->combo];
        const char* names[7] = {"Beep Sound", "Asterisk", "Exclamation", "Question", "Critical Stop",
                                "Default Beep", "Standard Sound"};
        for (int i = 0; i < 7; ++i) EXPECT_EQ(names[i], pages::ComboUtf8(combo, i));
        EXPECT_EQ(0, SendMessageA(combo, CB_GETCURSEL, 0, 0));
        tb::SelectCombo(combo, 6);
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(6u, SoundKind(pages::User("Option")));
        tb::SelectCombo(combo, 0);
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(0u, SoundKind(pages::User("Option")));
        p.sheet.Cancel();
    }
    // With DisSet: entry i is kind i + 1; a stored kind 0 is raised to 1 at
    // start without marking a change, so OK stores nothing.
    {
        ASSERT_TRUE(tb::reg::DeleteTree(HKEY_CURRENT_USER, UserSettingsKey));
        ASSERT_TRUE(pages::SetDriver("DisSet", 1));
        Page p = Open(true);
        ASSERT_NE(nullptr, p.page);
        HWND combo = p[p.ids->combo];
        const char* names[6] = {u8"メッセージ(情報)", u8"メッセージ(警告)", u8"メッセージ(問い合わせ)",
                                u8"システムエラー", u8"一般の警告音", u8"標準Beep音"};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(names[i], pages::ComboUtf8(combo, i));
        EXPECT_EQ(0, SendMessageA(combo, CB_GETCURSEL, 0, 0));
        // The standard kind 0 has no entry here: the standard display shows kind 1's name.
        EXPECT_EQ(u8"メッセージ(情報)", Text(p, p.ids->stdKind));
        EXPECT_FALSE(p.sheet.ApplyEnabled());
        tb::PressButton(p.sheet.window, IDOK);
        ASSERT_TRUE(p.sheet.process.WaitExit(8000));
        EXPECT_FALSE(tb::reg::KeyExists(HKEY_CURRENT_USER, UserSettingsKey));
    }
    {
        ASSERT_TRUE(pages::SetUser("Option", kDefaultOption | OPT_SOUND));
        Page p = Open(false);
        ASSERT_NE(nullptr, p.page);
        HWND combo = p[p.ids->combo];
        tb::SelectCombo(combo, 0);
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(1u, SoundKind(pages::User("Option")));
        tb::SelectCombo(combo, 1);
        // Sound off and on again keeps kind 2.
        tb::Click(p[p.ids->check]);
        pages::Wait([&] { return !tb::IsChecked(p[p.ids->check]); });
        tb::Click(p[p.ids->check]);
        pages::Wait([&] { return tb::IsChecked(p[p.ids->check]); });
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(2u, SoundKind(pages::User("Option")));
        EXPECT_TRUE((pages::User("Option") & OPT_SOUND) != 0);
        p.sheet.Cancel();
    }
}

TEST(PagesSound, StandardCopyRestoreAndReset) {
    // Sound on, released-touch sound, kind 3, 1234 Hz, 77 ms; the standard copy differs.
    const DWORD option = (kDefaultOption & ~OPT_SOUND_ON_TOUCH) | OPT_SOUND | (3u << 12);
    ASSERT_TRUE(pages::SetUser("Option", option | 0x80000001u));
    ASSERT_TRUE(pages::SetUser("Freq", 1234));
    ASSERT_TRUE(pages::SetUser("Duration", 77));
    ASSERT_TRUE(pages::SetUser("StdFreq", 500));
    ASSERT_TRUE(pages::SetUser("StdDuration", 5));
    Page p = Open(false);
    ASSERT_NE(nullptr, p.page);
    const Ids& ids = *p.ids;
    EXPECT_EQ("500", Text(p, ids.stdFreqText));
    EXPECT_EQ("Sounds disabled", Text(p, ids.stdSound));

    tb::Click(p[ids.setStd]);
    ASSERT_TRUE(pages::Wait([&] { return Text(p, ids.stdFreqText) == "1234"; }));
    EXPECT_EQ("77", Text(p, ids.stdDurText));
    EXPECT_EQ("Sounds enabled", Text(p, ids.stdSound));
    EXPECT_EQ("Sound on release", Text(p, ids.stdTouch));
    EXPECT_EQ("Question", Text(p, ids.stdKind));
    ASSERT_TRUE(p.sheet.Apply());
    DWORD stored = pages::User("Option");
    EXPECT_EQ(1234u, pages::User("StdFreq"));
    EXPECT_EQ(77u, pages::User("StdDuration"));
    EXPECT_EQ(OPT_STD_SOUND | (3u << 8), stored & (OPT_STD_SOUND | OPT_STD_SOUND_ON_TOUCH | OPT_STD_SOUND_KIND_MASK));
    // Every other bit is kept.
    EXPECT_EQ((option | 0x80000001u | OPT_STD_SOUND | (3u << 8)) & ~static_cast<DWORD>(OPT_STD_SOUND_ON_TOUCH), stored);

    // Other changes, then back to the standard copy.
    ScrollBy(p, ids.freqBar, SB_THUMBPOSITION, 2000);
    ScrollBy(p, ids.durBar, SB_THUMBPOSITION, 900);
    tb::SelectCombo(p[ids.combo], 5);
    tb::Click(p[ids.onTouch]);
    tb::Click(p[ids.check]);
    ASSERT_TRUE(pages::Wait([&] { return !tb::IsChecked(p[ids.check]); }));
    tb::Click(p[ids.restoreStd]);
    ASSERT_TRUE(pages::Wait([&] { return Text(p, ids.freqText) == "1234"; }));
    EXPECT_EQ("77", Text(p, ids.durText));
    EXPECT_TRUE(tb::IsChecked(p[ids.check]));
    EXPECT_TRUE(tb::IsChecked(p[ids.onRelease]));
    EXPECT_FALSE(tb::IsChecked(p[ids.onTouch]));
    EXPECT_EQ(3, SendMessageA(p[ids.combo], CB_GETCURSEL, 0, 0));
    EXPECT_EQ(1234, GetScrollPos(p[ids.freqBar], SB_CTL));
    ExpectEnabled(p, ids.tone, true, "tone after restore");
    ASSERT_TRUE(p.sheet.Apply());
    EXPECT_EQ(1234u, pages::User("Freq"));
    EXPECT_EQ(77u, pages::User("Duration"));
    EXPECT_EQ(stored, pages::User("Option"));

    // Back to the built-in values: the standard copy stays.
    tb::Click(p[ids.reset]);
    ASSERT_TRUE(pages::Wait([&] { return Text(p, ids.freqText) == "1000"; }));
    EXPECT_EQ("50", Text(p, ids.durText));
    EXPECT_FALSE(tb::IsChecked(p[ids.check]));
    EXPECT_TRUE(tb::IsChecked(p[ids.onTouch]));
    EXPECT_FALSE(tb::IsChecked(p[ids.onRelease]));
    EXPECT_EQ(0, SendMessageA(p[ids.combo], CB_GETCURSEL, 0, 0));
    ExpectEnabled(p, ids.sound, false, "sound after reset");
    ExpectEnabled(p, ids.tone, false, "tone after reset");
    EXPECT_EQ("1234", Text(p, ids.stdFreqText));
    ASSERT_TRUE(p.sheet.Apply());
    DWORD reset = pages::User("Option");
    EXPECT_EQ(1000u, pages::User("Freq"));
    EXPECT_EQ(50u, pages::User("Duration"));
    EXPECT_EQ(1234u, pages::User("StdFreq"));
    EXPECT_EQ(0u, SoundKind(reset));
    EXPECT_EQ(0u, reset & OPT_SOUND);
    EXPECT_NE(0u, reset & OPT_SOUND_ON_TOUCH);
    EXPECT_EQ(stored & ~(OPT_SOUND | OPT_SOUND_ON_TOUCH | OPT_SOUND_KIND_MASK),
              reset & ~(OPT_SOUND | OPT_SOUND_ON_TOUCH | OPT_SOUND_KIND_MASK));
    p.sheet.Cancel();
}

TEST(PagesSound, ScrollBarsStepAndStopAtTheirEnds) {
    ASSERT_TRUE(pages::SetUser("Option", kDefaultOption | OPT_SOUND));
    Page p = Open(true);
    ASSERT_NE(nullptr, p.page);
    const Ids& ids = *p.ids;

    // The end of a scroll changes no value but marks the settings changed.
    EXPECT_FALSE(p.sheet.ApplyEnabled());
    ScrollBy(p, ids.freqBar, SB_ENDSCROLL);
    EXPECT_EQ("1000", Text(p, ids.freqText));
    EXPECT_TRUE(pages::Wait([&] { return p.sheet.ApplyEnabled(); }));

    struct Case { bool freq; int start, code; const char* expect; } cases[] = {
        {true, 37, SB_LINELEFT, "37"},     {true, 136, SB_PAGELEFT, "37"},    {true, 150, SB_PAGELEFT, "50"},
        {true, 9950, SB_PAGERIGHT, "10000"}, {true, 9999, SB_LINERIGHT, "10000"}, {true, 500, SB_LEFT, "37"},
        {true, 500, SB_RIGHT, "10000"},    {true, 500, SB_LINELEFT, "499"},   {false, 100, SB_PAGELEFT, "1"},
        {false, 101, SB_PAGELEFT, "1"},    {false, 250, SB_PAGELEFT, "150"},  {false, 950, SB_PAGERIGHT, "1000"},
        {false, 500, SB_LEFT, "1"},        {false, 500, SB_RIGHT, "1000"},    {false, 1, SB_LINELEFT, "1"},
        {false, 20, SB_PAGERIGHT, "120"},
    };
    for (const Case& c : cases) {
        int bar = c.freq ? ids.freqBar : ids.durBar;
        int text = c.freq ? ids.freqText : ids.durText;
        ScrollBy(p, bar, SB_THUMBTRACK, c.start);
        ASSERT_EQ(std::to_string(c.start), Text(p, text));
        ScrollBy(p, bar, c.code);
        EXPECT_EQ(c.expect, Text(p, text)) << "from " << c.start << " code " << c.code;
        EXPECT_EQ(atoi(c.expect), GetScrollPos(p[bar], SB_CTL));
    }
    ScrollBy(p, ids.freqBar, SB_THUMBPOSITION, 4321);
    ScrollBy(p, ids.durBar, SB_THUMBPOSITION, 321);
    ASSERT_TRUE(p.sheet.Apply());
    EXPECT_EQ(4321u, pages::User("Freq"));
    EXPECT_EQ(321u, pages::User("Duration"));
    p.sheet.Cancel();
}

// Kinds without an entry in the list (7-15, stored by hand or by another
// version) select nothing; a standard kind without a name shows the plain
// beep's, or without it the first system sound's. With DisSet bit 0 the reset
// to the built-in values takes kind 1 in place of the plain beep.
TEST(PagesSound, KindsWithoutAnEntryAndTheResetWithoutThePlainBeep) {
    struct Case {
        bool disSet, japanese;
        DWORD kind, stdKind;
        const char* stdName;
    } cases[] = {
        {true, false, 7, 9, "Asterisk"},
        {true, true, 15, 0, u8"メッセージ(情報)"},
        {false, true, 9, 15, u8"Beep音"},
        {false, false, 15, 7, "Beep Sound"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "DisSet " << c.disSet << " kind " << c.kind << " standard " << c.stdKind);
        ASSERT_TRUE(pages::SetDriver("DisSet", c.disSet ? 1u : 0u));
        ASSERT_TRUE(pages::SetUser("Option", (kDefaultOption & ~static_cast<DWORD>(OPT_SOUND_KIND_MASK | OPT_STD_SOUND_KIND_MASK)) |
                                                 OPT_SOUND | (c.kind << 12) | (c.stdKind << 8)));
        Page p = Open(c.japanese);
        ASSERT_NE(nullptr, p.page);
        const Ids& ids = *p.ids;
        EXPECT_EQ(CB_ERR, SendMessageA(p[ids.combo], CB_GETCURSEL, 0, 0));
        EXPECT_EQ(c.stdName, Text(p, ids.stdKind));
        EXPECT_FALSE(p.sheet.ApplyEnabled());
        if (c.disSet) {
            tb::Click(p[ids.reset]);
            ASSERT_TRUE(pages::Wait([&] { return !tb::IsChecked(p[ids.check]); }));
            EXPECT_EQ(0, SendMessageA(p[ids.combo], CB_GETCURSEL, 0, 0));
            ASSERT_TRUE(p.sheet.Apply());
            const DWORD stored = pages::User("Option");
            EXPECT_EQ(1u, SoundKind(stored));
            EXPECT_EQ(0u, stored & OPT_SOUND);
            EXPECT_EQ(c.stdKind, (stored & OPT_STD_SOUND_KIND_MASK) >> 8);
        }
        p.sheet.Cancel();
    }
}

// "Set as standard" copies the sound switch and the touch choice whichever
// way they stand: a switch that is off turns the standard sound off.
TEST(PagesSound, SetAsStandardCopiesTheSwitchAndTheTouchChoiceEitherWay) {
    struct Case {
        bool japanese, sound, onTouch;
        const char *soundText, *touchText;
    } cases[] = {
        {true, false, true, u8"サウンド機能を使用しない", u8"タッチオン時に音を鳴らす"},
        {false, true, false, "Sounds enabled", "Sound on release"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sound " << c.sound << " on touch " << c.onTouch);
        // The standard copy starts as the opposite of the current settings.
        DWORD option = kDefaultOption & ~static_cast<DWORD>(OPT_SOUND | OPT_SOUND_ON_TOUCH | OPT_STD_SOUND |
                                                             OPT_STD_SOUND_ON_TOUCH);
        if (c.sound) option |= OPT_SOUND;
        else option |= OPT_STD_SOUND;
        if (c.onTouch) option |= OPT_SOUND_ON_TOUCH;
        else option |= OPT_STD_SOUND_ON_TOUCH;
        ASSERT_TRUE(pages::SetUser("Option", option));
        Page p = Open(c.japanese);
        ASSERT_NE(nullptr, p.page);
        const Ids& ids = *p.ids;
        tb::Click(p[ids.setStd]);
        EXPECT_TRUE(pages::Wait([&] { return Text(p, ids.stdSound) == c.soundText; })) << Text(p, ids.stdSound);
        EXPECT_EQ(c.touchText, Text(p, ids.stdTouch));
        ASSERT_TRUE(p.sheet.Apply());
        const DWORD stored = pages::User("Option");
        EXPECT_EQ(c.sound, (stored & OPT_STD_SOUND) != 0);
        EXPECT_EQ(c.onTouch, (stored & OPT_STD_SOUND_ON_TOUCH) != 0);
        EXPECT_EQ(c.sound, (stored & OPT_SOUND) != 0);
        EXPECT_EQ(c.onTouch, (stored & OPT_SOUND_ON_TOUCH) != 0);
        p.sheet.Cancel();
    }
}

// A stored frequency or duration outside its bar's range is shown as it is
// and stays stored through an Apply of another change; the bar stands at its
// end of the range, and the first step goes from there.
TEST(PagesSound, StoredToneOutsideTheRangeStaysUntilItsBarMoves) {
    struct Case {
        bool japanese;
        DWORD freq, duration;
        int freqBarAt, durBarAt;  // where the bars stand
        int freqCode, durCode;
        const char *freqAfter, *durAfter;
    } cases[] = {
        {true, 20, 5000, 37, 1000, SB_LINERIGHT, SB_LINELEFT, "38", "999"},
        {false, 20000, 0, 10000, 1, SB_LINELEFT, SB_LINERIGHT, "9999", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.freq << " Hz, " << c.duration << " ms");
        ASSERT_TRUE(pages::SetUser("Option", kDefaultOption | OPT_SOUND));
        ASSERT_TRUE(pages::SetUser("Freq", c.freq));
        ASSERT_TRUE(pages::SetUser("Duration", c.duration));
        Page p = Open(c.japanese);
        ASSERT_NE(nullptr, p.page);
        const Ids& ids = *p.ids;
        EXPECT_EQ(std::to_string(c.freq), Text(p, ids.freqText));
        EXPECT_EQ(std::to_string(c.duration), Text(p, ids.durText));
        EXPECT_EQ(c.freqBarAt, GetScrollPos(p[ids.freqBar], SB_CTL));
        EXPECT_EQ(c.durBarAt, GetScrollPos(p[ids.durBar], SB_CTL));

        tb::Click(p[ids.onRelease]);
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(0u, pages::User("Option") & OPT_SOUND_ON_TOUCH);
        EXPECT_EQ(c.freq, pages::User("Freq"));
        EXPECT_EQ(c.duration, pages::User("Duration"));

        ScrollBy(p, ids.freqBar, c.freqCode);
        EXPECT_EQ(c.freqAfter, Text(p, ids.freqText));
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(static_cast<DWORD>(atoi(c.freqAfter)), pages::User("Freq"));
        EXPECT_EQ(c.duration, pages::User("Duration"));
        ScrollBy(p, ids.durBar, c.durCode);
        EXPECT_EQ(c.durAfter, Text(p, ids.durText));
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(static_cast<DWORD>(atoi(c.durAfter)), pages::User("Duration"));
        p.sheet.Cancel();
    }
}

// The touch choice is stored whichever way the user turns it, from a stored
// choice of either kind, and the two radio buttons show only that choice.
TEST(PagesSound, TouchChoiceIsStoredEitherWay) {
    for (bool japanese : {true, false}) {
        SCOPED_TRACE(japanese ? "Japanese" : "English");
        const DWORD option = (kDefaultOption | OPT_SOUND) & ~static_cast<DWORD>(OPT_SOUND_ON_TOUCH);
        ASSERT_TRUE(pages::SetUser("Option", japanese ? option : option | OPT_SOUND_ON_TOUCH));
        Page p = Open(japanese);
        ASSERT_NE(nullptr, p.page);
        const Ids& ids = *p.ids;
        // From the stored choice to the other one and back.
        const bool first = japanese;  // touch-on from a stored touch-off, and the reverse
        for (bool onTouch : {first, !first}) {
            SCOPED_TRACE(onTouch ? "touch-on" : "touch-off");
            const int chosen = onTouch ? ids.onTouch : ids.onRelease;
            tb::Click(p[chosen]);
            ASSERT_TRUE(pages::Wait([&] { return tb::IsChecked(p[chosen]); }));
            EXPECT_FALSE(tb::IsChecked(p[onTouch ? ids.onRelease : ids.onTouch]));
            ASSERT_TRUE(p.sheet.Apply());
            const DWORD stored = pages::User("Option");
            EXPECT_EQ(onTouch, (stored & OPT_SOUND_ON_TOUCH) != 0);
            // Nothing else moves with it, not even the standard copy of the choice.
            EXPECT_EQ(option & ~static_cast<DWORD>(OPT_SOUND_ON_TOUCH), stored & ~static_cast<DWORD>(OPT_SOUND_ON_TOUCH));
        }
        p.sheet.Cancel();
    }
}
