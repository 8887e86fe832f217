// Every control of the sound, click, click simulation and dual-monitor pages,
// read from the running settings program in both languages: its id, its
// window class, its text and its place in dialog units.
#include "pages_support.h"

#include <cstdlib>

namespace {

using pages::Ctl;

constexpr const char B[] = "Button";
constexpr const char S[] = "Static";
constexpr const char C[] = "ComboBox";
constexpr const char SB[] = "ScrollBar";
constexpr const char TB[] = "msctls_trackbar32";

// Texts shown with the built-in settings (Option 0x000800A4, Freq 1000, Duration 50).
const Ctl kSoundJa[] = {
    {-1, u8"サウンド設定", B, 5, 5, 235, 190},
    {1167, u8"サウンド機能を使用する", B, 21, 27, 106, 10},
    {1168, u8"タッチオン時に音を鳴らす", B, 30, 47, 100, 10},
    {1169, u8"タッチオフ時に音を鳴らす", B, 30, 67, 101, 10},
    {1210, u8"音の種類", S, 11, 91, 40, 8},
    {1170, nullptr, C, 53, 89, 78, 0},
    {1126, u8"音設定", B, 9, 111, 226, 50},
    {1127, u8"周波数", S, 16, 126, 31, 8},
    {1128, u8"(37～10000Hz)", S, 51, 126, 66, 8},
    {1033, nullptr, SB, 51, 141, 70, 11},
    {1035, "1000", S, 16, 143, 20, 8},
    {1131, "(Hz)", S, 36, 143, 13, 8},
    {1129, u8"Beep時間", S, 126, 127, 38, 8},
    {1130, u8"(1～1000ms)", S, 166, 127, 65, 8},
    {1034, nullptr, SB, 162, 141, 70, 11},
    {1036, "50", S, 126, 144, 20, 8},
    {1132, "(ms)", S, 146, 144, 14, 8},
    {-1, u8"標準設定", B, 135, 15, 98, 95},
    {1039, u8"サウンド機能を使用しない", S, 140, 33, 88, 8},
    {1177, u8"タッチオン時に音を鳴らす", S, 140, 48, 89, 8},
    {1178, u8"Beep音", S, 140, 65, 90, 8},
    {1046, u8"周波数", S, 140, 80, 39, 8},
    {1037, "1000", S, 182, 80, 27, 8},
    {1048, "(Hz)", S, 209, 80, 13, 8},
    {1047, u8"Beep時間", S, 141, 95, 39, 8},
    {1038, "50", S, 183, 95, 26, 8},
    {1049, "(ms)", S, 209, 95, 14, 8},
    {1031, u8"標準として設定する", B, 11, 165, 69, 25},
    {1032, u8"標準設定に戻す", B, 88, 165, 69, 25},
    {1040, u8"初期値に戻す", B, 165, 165, 69, 26},
};
const Ctl kSoundEn[] = {
    {-1, "Audible feedback setting", B, 5, 5, 279, 190},
    {1195, "Sounds enabled", B, 11, 24, 137, 10},
    {1196, "Sound when pressed", B, 19, 47, 138, 10},
    {1193, "Sound on release", B, 19, 67, 138, 10},
    {1218, "Kind of sound", S, 10, 93, 52, 8},
    {1194, nullptr, C, 63, 90, 95, 0},
    {1133, "Beep sound setting", B, 9, 111, 270, 51},
    {1134, "Frequency", S, 15, 128, 38, 8},
    {1135, "(37 - 10000Hz)", S, 63, 128, 77, 8},
    {1084, nullptr, SB, 63, 143, 77, 11},
    {1086, "1000", S, 19, 145, 20, 8},
    {1138, "(Hz)", S, 43, 145, 13, 8},
    {1136, "Duration", S, 145, 128, 37, 8},
    {1137, "(1 - 1000ms)", S, 194, 128, 76, 8},
    {1085, nullptr, SB, 194, 143, 78, 11},
    {1087, "50", S, 150, 145, 20, 8},
    {1139, "(ms)", S, 173, 145, 14, 8},
    {-1, "User default setting", B, 163, 15, 116, 95},
    {1081, "Sounds disabled", S, 172, 27, 100, 8},
    {1190, "Sound when pressed", S, 172, 43, 100, 16},
    {1191, "Beep Sound", S, 172, 62, 100, 16},
    {1050, "Frequency", S, 172, 81, 35, 8},
    {1082, "1000", S, 212, 81, 25, 10},
    {1052, "(Hz)", S, 243, 81, 13, 8},
    {1051, "Duration", S, 172, 97, 35, 8},
    {1083, "50", S, 212, 97, 25, 10},
    {1053, "(ms)", S, 243, 97, 14, 8},
    {1080, "Set as user default", B, 18, 167, 74, 24},
    {1079, "Set it as your default", B, 110, 167, 74, 24},
    {1078, "Back to driver default", B, 197, 167, 78, 24},
};

// With the stream/point choice offered, so that nothing moves.
const Ctl kClickJa[] = {
    {1008, u8"オペレートモード", B, 6, 4, 234, 24},
    {1006, u8"ストリームモード", B, 45, 14, 63, 10},
    {1007, u8"ポイントモード", B, 134, 14, 56, 10},
    {1012, u8"マウスカーソル設定", B, 7, 34, 234, 24},
    {1142, u8"カーソルを表示しない", B, 45, 44, 78, 10},
    {1013, u8"ダブルクリック設定", B, 5, 65, 235, 129},
    {1014, u8"ダブルクリックと認識する領域・速度を設定します。", S, 35, 78, 187, 8},
    {1015, u8"幅", S, 25, 95, 18, 8},
    {1045, nullptr, TB, 45, 90, 115, 20},
    {1016, u8"狭い", S, 45, 115, 31, 8},
    {1017, u8"広い", S, 150, 115, 26, 8},
    {1018, u8"高さ", S, 25, 127, 19, 8},
    {1046, nullptr, TB, 45, 123, 115, 20},
    {1019, u8"低い", S, 45, 147, 25, 8},
    {1020, u8"高い", S, 150, 147, 25, 8},
    {1021, u8"速度", S, 25, 163, 22, 8},
    {1047, nullptr, TB, 46, 157, 115, 20},
    {1022, u8"遅く", S, 46, 181, 39, 8},
    {1023, u8"速く", S, 150, 181, 35, 8},
    {1024, u8"テスト", B, 179, 101, 55, 60},
    {1048, nullptr, S, 197, 123, 0, 0},
};
const Ctl kClickEn[] = {
    {1011, "Operate mode", B, 7, 1, 274, 29},
    {1009, "Stream mode", B, 27, 14, 54, 10},
    {1010, "Point mode", B, 149, 14, 49, 10},
    {1025, "Mouse Cursor Setting", B, 7, 31, 274, 27},
    {1004, "Delete Cursor.", B, 27, 43, 78, 10},
    {1026, "Double-click setting", B, 5, 63, 279, 132},
    {1027, "A just the amount of width, height and speed that can pass between clicks when you double-click.", S,
     38, 73, 220, 19},
    {1028, "Width", S, 30, 99, 31, 8},
    {1092, nullptr, TB, 65, 95, 115, 23},
    {1029, "narrow", S, 65, 117, 24, 8},
    {1030, "wide", S, 170, 117, 20, 8},
    {1031, "Height", S, 30, 132, 29, 8},
    {1090, nullptr, TB, 65, 129, 115, 23},
    {1032, "low", S, 65, 152, 25, 8},
    {1033, "high", S, 170, 152, 20, 8},
    {1034, "Speed", S, 30, 168, 29, 8},
    {1088, nullptr, TB, 65, 162, 115, 22},
    {1035, "slow", S, 65, 184, 25, 8},
    {1036, "fast", S, 170, 184, 20, 8},
    {1037, "Test", B, 205, 111, 70, 60},
    {1091, nullptr, S, 229, 131, 0, 0},
};

// Buttons not swapped.
const Ctl kClickSimJa[] = {
    {1250, u8"右クリック設定", B, 9, 1, 228, 122},
    {1248, u8"以下の設定されたキーを押すことにより、マウスの右クリック機能を使用することができます。", S, 18, 18,
     207, 20},
    {1181, u8"キーボードによる右クリック機能を使用する", B, 41, 41, 185, 10},
    {1182, u8"Ctrlキー", B, 41, 54, 51, 10},
    {1183, u8"Shiftキー", B, 97, 54, 57, 10},
    {1184, u8"Altキー", B, 161, 54, 62, 10},
    {1207, u8"設定されたキーを押している間は右クリック、または", S, 21, 71, 207, 8},
    {1208, u8"設定されたキーを押下後の一回のタッチは右クリックとなります。", S, 21, 82, 208, 8},
    {1189, u8"キーを押している間のタッチは右クリック", B, 57, 96, 172, 10},
    {1186, u8"キーを押した後の一回は右クリック", B, 57, 110, 171, 10},
    {1148, u8"タスクトレイにアイコンを表示する", B, 16, 135, 211, 10},
    {1149, u8"アイコンをウィンドウで表示する", B, 16, 147, 211, 10},
    {1240, nullptr, S, 12, 165, 0, 0},
    {1241, nullptr, S, 54, 165, 0, 0},
    {1245, u8"マウスのアイコンをクリックすることによって、次のクリックを１回右クリックに切り替えます。", S, 83, 165,
     148, 27},
};
const Ctl kClickSimEn[] = {
    {1251, "Right click simulation", B, 6, 3, 275, 125},
    {1249, "Choose a function key combination that simulates a right mouse button click when you touch the screen.",
     S, 21, 19, 242, 17},
    {1205, "Enable the right click simulation", B, 50, 42, 207, 10},
    {1202, "Ctrl Key", B, 53, 53, 50, 10},
    {1206, "Shift Key", B, 106, 53, 57, 10},
    {1203, "Alt key", B, 169, 53, 37, 10},
    {1209, "Do you want the simulated click to happen every time you touch the screen whilst the function key is "
           "pressed or only once after you press the function key.",
     S, 18, 69, 245, 26},
    {1200, "Right click is simulated whilst function key is pressed", B, 50, 101, 218, 10},
    {1199, "Right click happens only once after function key is pressed", B, 50, 115, 226, 10},
    {1158, "Display the icon in the task bar tray", B, 9, 137, 185, 10},
    {1159, "Display the icon in the Window.", B, 9, 151, 185, 10},
    {1242, nullptr, S, 9, 167, 0, 0},
    {1243, nullptr, S, 55, 167, 0, 0},
    {1247, "Click on the mouse icon to alternate between right handed simulation and left handed simulation.", S, 79,
     166, 190, 25},
};

const Ctl kDualJa[] = {
    {1067, u8"マルチモニタ機能を使う", B, 5, 4, 110, 10},
    {1129, u8"OS管理のマルチモニタ", B, 152, 8, 87, 10},
    {-1, "", B, 5, 15, 141, 146},
    {1044, u8"モニタ１", B, 151, 23, 90, 67},
    {1059, u8"VGA(640×480)", B, 161, 33, 71, 10},
    {1060, u8"SVGA(800×600)", B, 161, 48, 74, 10},
    {1061, u8"XGA(1024×768)", B, 161, 63, 74, 10},
    {1062, u8"XVGA(1152×864)", B, 161, 78, 77, 10},
    {1045, u8"モニタ２", B, 151, 94, 90, 67},
    {1063, u8"VGA(640×480)", B, 161, 103, 73, 10},
    {1064, u8"SVGA(800×600)", B, 161, 118, 74, 10},
    {1065, u8"XGA(1024×768)", B, 161, 133, 76, 10},
    {1066, u8"XVGA(1152×864)", B, 161, 148, 75, 10},
    {1038, u8"タッチパネル設定", B, 5, 161, 236, 34},
    {1000, u8"出力モニタを切り替える", B, 10, 176, 84, 10},
    {1039, u8"モニタ1に出力するタッチパネルとモニタ2に出力するタッチパネルを入れ替えます。", S, 99, 172, 139, 20},
};
const Ctl kDualEn[] = {
    {1100, "&Use the dual monitor function", B, 5, 4, 125, 10},
    {1130, "OS management dual monitor", B, 167, 10, 110, 10},
    {-1, "", B, 5, 15, 155, 146},
    {1042, "Monitor 1", B, 166, 27, 117, 65},
    {1103, "VGA (640 * 480)", B, 190, 37, 70, 10},
    {1104, "SVGA (800 * 600)", B, 190, 51, 69, 10},
    {1105, "XGA (1024 * 768)", B, 190, 65, 68, 10},
    {1106, "XVGA (1152 * 864)", B, 190, 79, 73, 10},
    {1043, "Monitor 2", B, 165, 96, 117, 65},
    {1107, "VGA (640 * 480)", B, 190, 106, 65, 10},
    {1108, "SVGA (800 * 600)", B, 190, 120, 69, 10},
    {1109, "XGA (1024 * 768)", B, 190, 134, 68, 10},
    {1110, "XVGA (1152 * 864)", B, 190, 148, 73, 10},
    {1040, "Touch Panel Setting", B, 5, 163, 276, 36},
    {1001, "Change an output monitor", B, 10, 178, 96, 10},
    {1041, "Touch panel to output in the monitor1 is replaced with Touch panel to output in the monitor2.", S, 108,
     173, 171, 22},
};

using pages::FindControl;

// The dialog base units that map every control's place to its pixels, or
// {0, 0} when no pair does.
POINT FitBaseUnits(HWND page, const Ctl* table, size_t count) {
    for (int bx = 4; bx <= 16; ++bx)
        for (int by = 8; by <= 32; ++by) {
            bool all = true;
            for (size_t i = 0; i < count && all; ++i) {
                HWND w = FindControl(page, table[i]);
                if (!w) continue;
                RECT r = pages::ClientRect(page, w);
                const Ctl& c = table[i];
                all = std::abs(r.left - MulDiv(c.x, bx, 4)) <= 1 && std::abs(r.top - MulDiv(c.y, by, 8)) <= 1 &&
                      (c.w == 0 || std::abs((r.right - r.left) - MulDiv(c.w, bx, 4)) <= 1) &&
                      (c.h == 0 || std::abs((r.bottom - r.top) - MulDiv(c.h, by, 8)) <= 1);
            }
            if (all) return {bx, by};
        }
    return {0, 0};
}

template <size_t N>
void CheckPage(HWND page, const Ctl (&table)[N], const char* name) {
    SCOPED_TRACE(name);
    ASSERT_NE(nullptr, page);
    pages::CheckControls(page, table);
    POINT units = FitBaseUnits(page, table, N);
    EXPECT_NE(0, units.x) << "the controls' places do not follow one set of dialog units";
}

void CheckAllPages(bool japanese) {
    // The stream/point choice is offered, so the click page keeps its template places.
    ASSERT_TRUE(pages::MakeSecondDriver());
    ASSERT_TRUE(pages::SetUser("Option", wexant::kDefaultOption | wexant::OPT_SHOW_MODE_GROUP));
    pages::Sheet sheet = pages::StartSheet(japanese);
    ASSERT_NE(nullptr, sheet.window);
    const char* lang = japanese ? "ja" : "en";

    HWND page = sheet.Show(pages::TAB_SOUND);
    if (japanese) CheckPage(page, kSoundJa, "sound"); else CheckPage(page, kSoundEn, "sound");
    HWND combo = tb::Control(page, japanese ? 1170 : 1194);
    ASSERT_EQ(7, tb::ComboCount(combo));
    EXPECT_EQ(japanese ? u8"Beep音" : "Beep Sound", pages::ComboUtf8(combo, 0));
    pages::Shot(page, std::string("sound-") + lang);

    page = sheet.Show(pages::TAB_CLICK);
    if (japanese) CheckPage(page, kClickJa, "click"); else CheckPage(page, kClickEn, "click");
    pages::Shot(page, std::string("click-modes-") + lang);

    page = sheet.Show(pages::TAB_CLICKSIM);
    if (japanese) CheckPage(page, kClickSimJa, "click simulation"); else CheckPage(page, kClickSimEn, "click simulation");
    pages::Shot(page, std::string("clicksim-") + lang);

    page = sheet.Show(pages::TAB_DUAL);
    if (japanese) CheckPage(page, kDualJa, "dual monitor"); else CheckPage(page, kDualEn, "dual monitor");
    // The output swap is never offered.
    for (int id : japanese ? std::vector<int>{1038, 1000, 1039} : std::vector<int>{1040, 1001, 1041})
        EXPECT_FALSE(tb::IsVisible(tb::Control(page, id))) << id;
    pages::Shot(page, std::string("dual-") + lang);
}

}  // namespace

TEST(PagesControls, EnglishPagesHoldEveryControl) { CheckAllPages(false); }

TEST(PagesControls, JapanesePagesHoldEveryControl) { CheckAllPages(true); }
