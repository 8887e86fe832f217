// The click simulation page: the key and mode rules, the icon bits and the
// texts and pictures that follow the system's button swap.
#include "pages_support.h"

#include <vector>

using namespace wexant;

namespace {

struct Ids {
    int group, keyText, enable, ctrl, shift, alt, hold, once, tray, window, leftPicture, rightPicture, pictureText;
    std::vector<int> modeText;
};
const Ids kJa = {1250, 1248, 1181, 1182, 1183, 1184, 1189, 1186, 1148, 1149, 1240, 1241, 1245, {1207, 1208}};
const Ids kEn = {1251, 1249, 1205, 1202, 1206, 1203, 1200, 1199, 1158, 1159, 1242, 1243, 1247, {1209}};

struct Page {
    pages::Sheet sheet;
    HWND page = nullptr;
    const Ids* ids = nullptr;
    HWND operator[](int id) const { return tb::Control(page, id); }
    // Clicks a button and waits until its check state is what the page makes of it.
    void ClickAndWait(int id, bool checkedAfter) {
        tb::Click((*this)[id]);
        pages::Wait([&] { return tb::IsChecked((*this)[id]) == checkedAfter; });
        // The handler runs on the same thread right after the check changes.
        SendMessageA(page, WM_NULL, 0, 0);
    }
};

Page Open(bool japanese) {
    Page p;
    p.ids = japanese ? &kJa : &kEn;
    p.sheet = pages::StartSheet(japanese);
    if (p.sheet.window) p.page = p.sheet.ShowPainted(pages::TAB_CLICKSIM);
    return p;
}

void ExpectState(const Page& p, bool ctrl, bool shift, bool alt, bool hold, const char* when) {
    SCOPED_TRACE(when);
    const Ids& ids = *p.ids;
    EXPECT_EQ(ctrl, tb::IsChecked(p[ids.ctrl]));
    EXPECT_EQ(shift, tb::IsChecked(p[ids.shift]));
    EXPECT_EQ(alt, tb::IsChecked(p[ids.alt]));
    EXPECT_EQ(hold, tb::IsChecked(p[ids.hold]));
    EXPECT_EQ(!hold, tb::IsChecked(p[ids.once]));
}

void ExpectSimulationEnabled(const Page& p, bool on, bool altOn) {
    const Ids& ids = *p.ids;
    std::vector<int> sim = {ids.ctrl, ids.shift, ids.hold, ids.once};
    sim.insert(sim.end(), ids.modeText.begin(), ids.modeText.end());
    for (int id : sim) EXPECT_EQ(on, tb::IsEnabled(p[id])) << id;
    EXPECT_EQ(altOn, tb::IsEnabled(p[ids.alt]));
    EXPECT_TRUE(tb::IsEnabled(p[ids.tray]));
    EXPECT_TRUE(tb::IsEnabled(p[ids.window]));
    EXPECT_TRUE(tb::IsEnabled(p[ids.enable]));
}

// Horizontal centre of the pure red pixels of a picture, from its left edge;
// the marked button tells the two mouse pictures apart.
double RedCentre(HWND picture) {
    RECT r = tb::ScreenRect(picture);
    HDC dc = GetDC(nullptr);
    double sum = 0;
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (GetPixel(dc, x, y) == RGB(255, 0, 0)) {
                sum += x - r.left;
                ++count;
            }
    ReleaseDC(nullptr, dc);
    return count ? sum / count : -1;
}

}  // namespace

TEST(PagesClickSim, KeysStayExclusiveAndAltNeverHolds) {
    Page p = Open(false);
    ASSERT_NE(nullptr, p.page);
    const Ids& ids = *p.ids;
    // Built-in Option: simulation off, Ctrl, once mode, no icons.
    EXPECT_FALSE(tb::IsChecked(p[ids.enable]));
    ExpectState(p, true, false, false, false, "start");
    ExpectSimulationEnabled(p, false, false);
    EXPECT_FALSE(tb::IsChecked(p[ids.tray]));
    EXPECT_FALSE(tb::IsChecked(p[ids.window]));

    p.ClickAndWait(ids.enable, true);
    ExpectSimulationEnabled(p, true, true);
    p.ClickAndWait(ids.alt, true);
    ExpectState(p, false, false, true, false, "Alt");
    ASSERT_TRUE(p.sheet.Apply());
    EXPECT_EQ(OPT_CLICK_SIM | OPT_KEY_ALT, pages::User("Option") & (OPT_CLICK_SIM | OPT_KEY_MASK | OPT_CLICK_HOLD));

    // Hold mode takes Alt away and gives Ctrl.
    p.ClickAndWait(ids.hold, true);
    ExpectState(p, true, false, false, true, "hold");
    EXPECT_FALSE(tb::IsEnabled(p[ids.alt]));
    ASSERT_TRUE(p.sheet.Apply());
    EXPECT_EQ(OPT_CLICK_SIM | OPT_KEY_CTRL | OPT_CLICK_HOLD,
              pages::User("Option") & (OPT_CLICK_SIM | OPT_KEY_MASK | OPT_CLICK_HOLD));

    // Off and on again in hold mode: Alt stays off.
    p.ClickAndWait(ids.enable, false);
    ExpectSimulationEnabled(p, false, false);
    p.ClickAndWait(ids.enable, true);
    ExpectSimulationEnabled(p, true, false);

    // A click on the checked hold box unchecks it and switches to once mode.
    p.ClickAndWait(ids.hold, false);
    ExpectState(p, true, false, false, false, "once by the hold box");
    EXPECT_TRUE(tb::IsEnabled(p[ids.alt]));
    p.ClickAndWait(ids.shift, true);
    ExpectState(p, false, true, false, false, "Shift");
    p.ClickAndWait(ids.alt, true);
    // A click on the checked once box: hold mode, Alt replaced by Ctrl.
    p.ClickAndWait(ids.once, false);
    ExpectState(p, true, false, false, true, "hold by the once box");
    p.ClickAndWait(ids.once, true);
    p.ClickAndWait(ids.shift, true);
    ExpectState(p, false, true, false, false, "Shift again");

    p.ClickAndWait(ids.tray, true);
    p.ClickAndWait(ids.window, true);
    ASSERT_TRUE(p.sheet.Apply());
    DWORD option = pages::User("Option");
    EXPECT_EQ(OPT_CLICK_SIM | OPT_KEY_SHIFT | OPT_TRAY_ICON | OPT_FLOAT_BUTTON,
              option & (OPT_CLICK_SIM | OPT_KEY_MASK | OPT_CLICK_HOLD | OPT_TRAY_ICON | OPT_FLOAT_BUTTON));
    EXPECT_EQ(kDefaultOption & ~OPT_KEY_MASK,
              option & ~(OPT_CLICK_SIM | OPT_KEY_MASK | OPT_CLICK_HOLD | OPT_TRAY_ICON | OPT_FLOAT_BUTTON));
    p.ClickAndWait(ids.tray, false);
    ASSERT_TRUE(p.sheet.Apply());
    EXPECT_EQ(0u, pages::User("Option") & OPT_TRAY_ICON);
    EXPECT_NE(0u, pages::User("Option") & OPT_FLOAT_BUTTON);
    p.sheet.Cancel();
}

TEST(PagesClickSim, StoredKeysAreShownAsTheyAre) {
    // Alt with hold, as only a stored value can have it: Alt shown checked and off.
    ASSERT_TRUE(pages::SetUser("Option", OPT_CLICK_SIM | OPT_KEY_ALT | OPT_CLICK_HOLD | OPT_TRAY_ICON));
    {
        Page p = Open(true);
        ASSERT_NE(nullptr, p.page);
        ExpectState(p, false, false, true, true, "Alt with hold");
        ExpectSimulationEnabled(p, true, false);
        EXPECT_TRUE(tb::IsChecked(p[p.ids->tray]));
        EXPECT_FALSE(p.sheet.ApplyEnabled());
        p.sheet.Cancel();
    }
    // No key bit: Ctrl shown, and no key bit stored until a key is clicked.
    ASSERT_TRUE(pages::SetUser("Option", OPT_CLICK_SIM | OPT_FLOAT_BUTTON));
    {
        Page p = Open(false);
        ASSERT_NE(nullptr, p.page);
        ExpectState(p, true, false, false, false, "no key");
        EXPECT_TRUE(tb::IsChecked(p[p.ids->window]));
        p.ClickAndWait(p.ids->window, false);
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(OPT_CLICK_SIM, pages::User("Option"));
        p.ClickAndWait(p.ids->ctrl, true);
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(OPT_CLICK_SIM | OPT_KEY_CTRL, pages::User("Option"));
        p.sheet.Cancel();
    }
}

TEST(PagesClickSim, SwappedButtonsSpeakOfLeftClicks) {
    struct Texts { int id; const char* normal; const char* swapped; };
    const Texts ja[] = {
        {1250, u8"右クリック設定", u8"左クリック設定"},
        {1248, u8"以下の設定されたキーを押すことにより、マウスの右クリック機能を使用することができます。",
         u8"以下の設定されたキーを押すことにより、マウスの左クリック機能を使用することができます。"},
        {1181, u8"キーボードによる右クリック機能を使用する", u8"キーボードによる左クリック機能を使用する"},
        {1207, u8"設定されたキーを押している間は右クリック、または", u8"設定されたキーを押している間は左クリック、または"},
        {1208, u8"設定されたキーを押下後の一回のタッチは右クリックとなります。",
         u8"設定されたキーを押下後の一回のタッチは左クリックとなります。"},
        {1189, u8"キーを押している間のタッチは右クリック", u8"キーを押している間のタッチは左クリック"},
        {1186, u8"キーを押した後の一回は右クリック", u8"キーを押した後の一回は左クリック"},
        {1245, u8"マウスのアイコンをクリックすることによって、次のクリックを１回右クリックに切り替えます。",
         u8"マウスのアイコンをクリックすることによって、次のクリックを１回左クリックに切り替えます。"},
    };
    const Texts en[] = {
        {1251, "Right click simulation", "Left click simulation"},
        {1249, "Choose a function key combination that simulates a right mouse button click when you touch the screen.",
         "Choose a function key combination that simulates a left mouse button click when you touch the screen."},
        {1205, "Enable the right click simulation", "Enable the left click simulation"},
        {1200, "Right click is simulated whilst function key is pressed",
         "Left click is simulated whilst function key is pressed"},
        {1199, "Right click happens only once after function key is pressed",
         "Left click happens only once after function key is pressed"},
        {1247, "Click on the mouse icon to alternate between right handed simulation and left handed simulation.",
         "Click on the mouse icon to alternate between right handed simulation and left handed simulation."},
        {1209, "Do you want the simulated click to happen every time you touch the screen whilst the function key is "
               "pressed or only once after you press the function key.",
         "Do you want the simulated click to happen every time you touch the screen whilst the function key is "
         "pressed or only once after you press the function key."},
    };
    for (bool swapped : {false, true}) {
        // Stored in the profile, where the settings program reads it at start.
        SystemParametersInfoA(SPI_SETMOUSEBUTTONSWAP, swapped, nullptr, SPIF_UPDATEINIFILE);
        for (bool japanese : {false, true}) {
            SCOPED_TRACE(testing::Message() << (japanese ? "ja" : "en") << (swapped ? " swapped" : " normal"));
            Page p = Open(japanese);
            ASSERT_NE(nullptr, p.page);
            if (japanese) {
                for (const Texts& t : ja) EXPECT_EQ(swapped ? t.swapped : t.normal, pages::Utf8(p[t.id])) << t.id;
            } else {
                for (const Texts& t : en) EXPECT_EQ(swapped ? t.swapped : t.normal, pages::Utf8(p[t.id])) << t.id;
            }
            // The mouse with the left button marked stands left unless the buttons are swapped.
            double left = RedCentre(p[p.ids->leftPicture]), right = RedCentre(p[p.ids->rightPicture]);
            ASSERT_GT(left, 0);
            ASSERT_GT(right, 0);
            if (swapped) EXPECT_GT(left, right); else EXPECT_LT(left, right);
            pages::Shot(p.page, std::string("clicksim-") + (japanese ? "ja" : "en") + (swapped ? "-swapped" : ""));
            p.sheet.Cancel();
        }
    }
    SystemParametersInfoA(SPI_SETMOUSEBUTTONSWAP, FALSE, nullptr, SPIF_UPDATEINIFILE);
}

// Each key chosen takes the place of the one before, whichever it was: every
// change of key, stored by an Apply, leaves the new key's bit alone.
TEST(PagesClickSim, EachKeyChosenReplacesThePreviousOne) {
    ASSERT_TRUE(pages::SetUser("Option", kDefaultOption | OPT_CLICK_SIM));
    Page p = Open(true);
    ASSERT_NE(nullptr, p.page);
    const Ids& ids = *p.ids;
    const struct {
        int radio;
        DWORD bit;
    } keys[] = {{ids.shift, OPT_KEY_SHIFT}, {ids.alt, OPT_KEY_ALT},   {ids.ctrl, OPT_KEY_CTRL},
                {ids.alt, OPT_KEY_ALT},     {ids.shift, OPT_KEY_SHIFT}, {ids.ctrl, OPT_KEY_CTRL}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.radio);
        p.ClickAndWait(k.radio, true);
        ASSERT_TRUE(p.sheet.Apply());
        EXPECT_EQ(k.bit, pages::User("Option") & OPT_KEY_MASK);
        EXPECT_EQ(kDefaultOption & ~OPT_KEY_MASK, pages::User("Option") & ~(OPT_KEY_MASK | OPT_CLICK_SIM));
    }
    p.sheet.Cancel();
}
