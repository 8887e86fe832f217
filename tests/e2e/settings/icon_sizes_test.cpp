// The icon pictures of the settings pages (the click page's test icon, the
// click simulation page's two mouse pictures and the arrows between them, the
// driver page's application icon), and the dual-monitor page's hidden swap
// group, read in both languages.
//
// An icon static sizes itself to the icon it shows, so on the running sheet
// each picture is its icon's size whatever its template says; the template's
// size counts only while no icon is set. The templates are therefore also
// built by the dialog manager in this process from the running program's own
// file, with an instance that holds none of the icons: there every picture
// keeps the place and size its template gives it.
#include "pages_support.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

struct Icon {
    int id;  // -1: the picture without id
    int x, y, w, h;  // dialog units
};
struct IconPage {
    const char* name;
    int tab;  // tab of the sheet with the second panel driver
    UINT templateId;
    std::vector<Icon> icons;  // in the template's order
};

constexpr int kTabDriver = 6;

const IconPage kJapanese[] = {
    {"click", pages::TAB_CLICK, 108, {{1048, 197, 123, 20, 20}}},
    {"click simulation", pages::TAB_CLICKSIM, 109,
     {{1240, 12, 165, 20, 20}, {-1, 33, 165, 20, 20}, {1241, 54, 165, 20, 20}}},
    {"driver", kTabDriver, 111, {{-1, 20, 26, 20, 20}}},
};
const IconPage kEnglish[] = {
    {"click", pages::TAB_CLICK, 114, {{1091, 229, 131, 20, 20}}},
    {"click simulation", pages::TAB_CLICKSIM, 115,
     {{1242, 9, 167, 20, 20}, {-1, 33, 168, 20, 20}, {1243, 55, 167, 20, 20}}},
    {"driver", kTabDriver, 117, {{-1, 20, 26, 20, 20}}},
};

// The icon pictures among a window's descendants, in creation order.
std::vector<HWND> IconControls(HWND parent) {
    std::vector<HWND> found;
    for (HWND child : tb::Children(parent)) {
        if (tb::ClassOf(child) != "Static") continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) found.push_back(child);
    }
    return found;
}

// Pixels of a dialog per 4 horizontal and 8 vertical dialog units, times 1000,
// from the dialog's own mapping of a known rectangle.
struct Units {
    int x1000, y1000;
    int X(int pixels) const { return MulDiv(pixels, 4000, x1000); }
    int Y(int pixels) const { return MulDiv(pixels, 8000, y1000); }
};
Units UnitsOf(HWND dialog) {
    RECT known = {0, 0, 4000, 8000};
    if (!MapDialogRect(dialog, &known)) return {0, 0};
    return {static_cast<int>(known.right), static_cast<int>(known.bottom)};
}

// A control's place and size in the dialog units of a dialog, from its pixels.
Icon InUnits(HWND dialog, HWND control, const Units& u) {
    RECT r = pages::ClientRect(dialog, control);
    return {GetDlgCtrlID(control) == 0xFFFF ? -1 : GetDlgCtrlID(control), u.X(r.left), u.Y(r.top),
            u.X(r.right - r.left), u.Y(r.bottom - r.top)};
}

// The units of the running page: the whole-number base units under which every
// other control of the page stands where the built template has it (the
// running program's code page may realise the template's font differently
// from this process, and the page's units cannot be asked for from here).
Units FitRunningUnits(HWND page, HWND built, const Units& builtUnits) {
    std::vector<std::pair<Icon, HWND>> known;
    for (HWND child : tb::Children(built)) {
        int id = GetDlgCtrlID(child);
        if (id == 0xFFFF || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        HWND running = tb::Control(page, id);
        if (running) known.push_back({InUnits(built, child, builtUnits), running});
    }
    if (known.size() < 3) return {0, 0};
    for (int bx = 4; bx <= 16; ++bx)
        for (int by = 8; by <= 32; ++by) {
            bool all = true;
            for (size_t i = 0; i < known.size() && all; ++i) {
                const Icon& c = known[i].first;
                RECT r = pages::ClientRect(page, known[i].second);
                all = std::abs(r.left - MulDiv(c.x, bx, 4)) <= 1 && std::abs(r.top - MulDiv(c.y, by, 8)) <= 1 &&
                      std::abs(r.right - r.left - MulDiv(c.w, bx, 4)) <= 1 &&
                      std::abs(r.bottom - r.top - MulDiv(c.h, by, 8)) <= 1;
            }
            if (all) return {bx * 1000, by * 1000};
        }
    return {0, 0};
}

INT_PTR CALLBACK QuietDialog(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// One page template of the program, made into a dialog by the dialog manager
// under a hidden owner, with this test's instance, which has none of the icons.
struct TemplateDialog {
    HWND owner = nullptr;
    HWND dialog = nullptr;
    TemplateDialog(HMODULE program, UINT templateId) {
        HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5) /*RT_DIALOG*/);
        HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
        auto* dlg = loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
        if (!dlg) return;
        owner = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dlg, owner, QuietDialog, 0);
    }
    ~TemplateDialog() {
        if (dialog) DestroyWindow(dialog);
        if (owner) DestroyWindow(owner);
    }
};

void ExpectIcon(const Icon& want, const Icon& got, bool size) {
    EXPECT_EQ(want.id, got.id);
    EXPECT_EQ(want.x, got.x) << "x of " << want.id;
    EXPECT_EQ(want.y, got.y) << "y of " << want.id;
    if (!size) return;
    EXPECT_EQ(want.w, got.w) << "width of " << want.id;
    EXPECT_EQ(want.h, got.h) << "height of " << want.id;
}

template <size_t N>
void CheckIcons(bool japanese, const IconPage (&table)[N]) {
    // The stream/point choice is offered, so the click page keeps its template
    // places; with the second panel driver the dual-monitor page is there too.
    ASSERT_TRUE(pages::SetUser("Option", wexant::kDefaultOption | wexant::OPT_SHOW_MODE_GROUP));
    ASSERT_TRUE(pages::MakeSecondDriver());
    pages::Sheet sheet = pages::StartSheet(japanese);
    ASSERT_NE(nullptr, sheet.window);
    HMODULE program = LoadLibraryExA(tb::SystemPath("Quintrel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, program);

    for (const IconPage& p : table) {
        SCOPED_TRACE(p.name);
        // The template as the dialog manager builds it: every picture at its
        // place with its size.
        TemplateDialog built(program, p.templateId);
        ASSERT_NE(nullptr, built.dialog);
        Units units = UnitsOf(built.dialog);
        ASSERT_NE(0, units.x1000);
        std::vector<HWND> icons = IconControls(built.dialog);
        ASSERT_EQ(p.icons.size(), icons.size());
        for (size_t i = 0; i < icons.size(); ++i) ExpectIcon(p.icons[i], InUnits(built.dialog, icons[i], units), true);

        // The running page: every picture shows its icon at its place, at the
        // icon's own 32 x 32 pixels.
        HWND page = sheet.ShowPainted(p.tab);
        ASSERT_NE(nullptr, page);
        Units running = FitRunningUnits(page, built.dialog, units);
        ASSERT_NE(0, running.x1000) << "the page's controls follow no one set of dialog units";
        std::vector<HWND> shown = IconControls(page);
        ASSERT_EQ(p.icons.size(), shown.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            ExpectIcon(p.icons[i], InUnits(page, shown[i], running), false);
            EXPECT_NE(0, SendMessageA(shown[i], STM_GETICON, 0, 0)) << "no icon in " << p.icons[i].id;
            RECT r = tb::ScreenRect(shown[i]);
            EXPECT_EQ(32, r.right - r.left) << p.icons[i].id;
            EXPECT_EQ(32, r.bottom - r.top) << p.icons[i].id;
        }
    }
    FreeLibrary(program);

    // The dual-monitor page's swap group box, which is never shown, starts no
    // group of its own: the monitor 2 radio group runs on over the hidden
    // controls, which the keyboard skips.
    HWND page = sheet.Show(pages::TAB_DUAL);
    ASSERT_NE(nullptr, page);
    HWND swapGroup = tb::Control(page, japanese ? 1038 : 1040);
    ASSERT_NE(nullptr, swapGroup);
    EXPECT_EQ(0, GetWindowLongA(swapGroup, GWL_STYLE) & WS_GROUP);
    EXPECT_FALSE(tb::IsVisible(swapGroup));
}

}  // namespace

TEST(IconSizes, EnglishPagesGiveEveryIconItsPlaceAndSize) { CheckIcons(false, kEnglish); }

TEST(IconSizes, JapanesePagesGiveEveryIconItsPlaceAndSize) { CheckIcons(true, kJapanese); }
