// The installer under Wine: silent and asked modes in both languages, the
// resident program told to end and waited for, the device installer called
// for the 19 USB ids (through the stand-in that records its calls, and through
// Wine's own for a real device) and loaded from the system directory only,
// its absence, the driver list, the rights check, the single instance and the
// question box's icon.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "harness.h"
#include "support.h"

namespace {

const char kCaption[] = "Velnor Touch Panel Setup";
const char kParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\WEXANT\\Parameters";
const char kId0509[] = "USB\\VID_1F3C&PID_0509";

std::string DriverList() { return tb::SystemPath("Dvrlist.txt"); }

// The question box of one Setup process.
HWND WaitQuestion(const tb::Process& p)
{
    return tb::WaitWindow("#32770", kCaption, 30000, p.Pid());
}

// Setup started without a command tail, in one language.
tb::Process StartSetup(bool japanese)
{
    tb::StartOptions options;
    options.japanese = japanese;
    return tb::Start("Setup.exe", "", options);
}

// Setup started in one language with the driver list writable, its question
// answered with Yes: the result box it then shows (empty when none came).
tb::MessageBoxInfo InstallAndWaitForResult(bool japanese, tb::Process* p)
{
    SetFileAttributesA(DriverList().c_str(), FILE_ATTRIBUTE_ARCHIVE);
    *p = StartSetup(japanese);
    HWND question = WaitQuestion(*p);
    if (!question) return {};
    tb::PressButton(question, 1017);
    return st::WaitBox(p->Pid(), 20000);
}

bool AnyVisibleWindow(DWORD pid)
{
    for (HWND w : tb::TopWindows(pid))
        if (tb::IsVisible(w)) return true;
    return false;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetFileAttributesA(DriverList().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
};

TEST_F(Installer, SilentTailInstallsForAllIdsWithoutAWindow)
{
    struct Case {
        const char* tail;
        const char* windows;  // the Windows version Wine plays; nullptr: the prefix's own
    } cases[] = {{"/S", nullptr}, {"/s", nullptr}, {"/S", "winxp64"}};  // XP installs the same way
    for (const Case& c : cases) {
        const char* tail = c.tail;
        SCOPED_TRACE(std::string(tail) + (c.windows ? std::string(" on ") + c.windows : ""));
        if (c.windows) ASSERT_TRUE(tb::SetWindowsVersion(c.windows));
        ASSERT_TRUE(st::UseNewdevStandin(kId0509));
        SetFileAttributesA(DriverList().c_str(), FILE_ATTRIBUTE_NORMAL);
        tb::Process p = tb::Start("Setup.exe", tail);
        ASSERT_TRUE(p.Valid());
        bool shown = false;
        DWORD code = 99;
        // Watch every window of the process while it runs.
        tb::Poll([&] {
            shown = shown || AnyVisibleWindow(p.Pid());
            return !p.Running();
        }, 20000, 5);
        ASSERT_TRUE(p.WaitExit(1000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_FALSE(shown);

        std::vector<st::NewdevCall> calls = st::NewdevCalls();
        ASSERT_EQ(calls.size(), 19u);
        for (size_t n = 0; n < calls.size(); ++n) {
            char id[32];
            snprintf(id, sizeof(id), "USB\\VID_1F3C&PID_05%02u", static_cast<unsigned>(n));
            EXPECT_EQ(calls[n].id, id);  // decimal 00..18: 0509 included, no 050A-050F
            EXPECT_STRCASEEQ(calls[n].inf.c_str(), tb::SystemPath("wexant.inf").c_str());
            EXPECT_EQ(calls[n].flags, 1u);  // forced
            EXPECT_EQ(calls[n].reboot, 0u);
            EXPECT_EQ(calls[n].parent, "Hovrint");
        }
        // One successful id is success: the driver list becomes read-only.
        DWORD attributes = st::Attributes(DriverList());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    }
}

TEST_F(Installer, OtherTailsAskAndNoChangesNothing)
{
    ASSERT_TRUE(st::UseNewdevStandin(kId0509));
    ASSERT_TRUE(st::StartResident("stay"));
    DWORD before = st::Attributes(DriverList());
    for (const char* tail : {"", "/S ", "-S", "/S /X", "/SS"}) {
        SCOPED_TRACE(std::string("tail \"") + tail + "\"");
        tb::Process p = tb::Start("Setup.exe", tail);
        HWND question = WaitQuestion(p);
        ASSERT_NE(question, nullptr);
        EXPECT_TRUE(tb::IsVisible(question));
        // Esc reaches the box as IDCANCEL and does not close it.
        tb::PostKey(question, VK_ESCAPE);
        PostMessageA(question, WM_COMMAND, IDCANCEL, 0);
        EXPECT_FALSE(tb::WaitGone(question, 400));
        tb::PressButton(question, 1018);
        tb::MessageBoxInfo box = st::WaitBox(p.Pid());
        ASSERT_TRUE(box);
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(st::MessageText(box.window), "The installation was canceled.");
        tb::PressButton(box.window, IDOK);
        DWORD code = 99;
        ASSERT_TRUE(p.WaitExit(30000, &code));
        EXPECT_EQ(code, 0u);
    }
    EXPECT_EQ(st::ResidentDestroys(), 0u);
    EXPECT_TRUE(st::NewdevCalls().empty());
    EXPECT_EQ(st::Attributes(DriverList()), before);
}

// Enter answers the question with Yes, its default button, in either
// language; No gives the cancel text of the box's language.
TEST_F(Installer, EnterAnswersYesAndNoCancelsInEitherLanguage)
{
    struct Case {
        bool japanese;
        bool enter;  // else the No button
        const char* text;
        size_t calls;
    } cases[] = {
        {false, true, "The installation is now complete.", 19},
        {true, true, u8"インストールが正常終了しました。", 19},
        {true, false, u8"インストールがキャンセルされました。", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.japanese ? "ja" : "en") + (c.enter ? ", Enter" : ", No"));
        ASSERT_TRUE(st::UseNewdevStandin(kId0509));
        tb::Process p = StartSetup(c.japanese);
        HWND question = WaitQuestion(p);
        ASSERT_NE(question, nullptr);
        if (c.enter)
            tb::PostKey(question, VK_RETURN);
        else
            tb::PressButton(question, 1018);
        tb::MessageBoxInfo box = st::WaitBox(p.Pid(), 20000);
        ASSERT_TRUE(box);
        EXPECT_EQ(st::MessageText(box.window), c.text);
        tb::PressButton(box.window, IDOK);
        ASSERT_TRUE(p.WaitExit(30000));
        EXPECT_EQ(st::NewdevCalls().size(), c.calls);
    }
}

// Question box, progress box and result in each language.
struct AskedCase {
        bool japanese;
        const char* question;
        const char* yes;
        const char* no;
        const char* progress;
        const char* done;
};
const AskedCase kAskedEnglish = {false, "Touch Panel driver installation program.\n\nDo you wish to continue?", "Yes",
                                 "No", "Now Installing...", "The installation is now complete."};
const AskedCase kAskedJapanese = {true, u8"タッチパネルドライバをインストールしますか？", u8"はい", u8"いいえ",
                                  u8"インストール中.....", u8"インストールが正常終了しました。"};

void RunAskedInstallation(const AskedCase& c)
{
    {
        const std::string lang = c.japanese ? "ja" : "en";
        SCOPED_TRACE(lang);
        ASSERT_TRUE(st::UseNewdevStandin(kId0509));
        SetFileAttributesA(DriverList().c_str(), FILE_ATTRIBUTE_NORMAL);
        // A resident program that takes a second to end keeps the progress box up.
        ASSERT_TRUE(st::StartResident("late 4000"));
        tb::Process p = StartSetup(c.japanese);
        HWND question = WaitQuestion(p);
        ASSERT_NE(question, nullptr);
        std::string texts;
        for (HWND child : tb::Children(question)) texts += st::Utf8Text(child) + "|";
        EXPECT_NE(texts.find(c.question), std::string::npos) << texts;
        EXPECT_EQ(st::Utf8Text(tb::Control(question, 1017)), c.yes);
        EXPECT_EQ(st::Utf8Text(tb::Control(question, 1018)), c.no);
        LONG style = GetWindowLongA(question, GWL_STYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_FALSE(style & WS_SYSMENU);  // no close button
        st::Shot(question, "question-" + lang);

        tb::PressButton(question, 1017);
        HWND progress = nullptr;
        ASSERT_TRUE(tb::Poll([&] {
            for (HWND w : tb::TopWindows(p.Pid()))
                if (w != question && tb::ClassOf(w) == "#32770" && tb::IsVisible(w) &&
                    st::Utf8Text(GetWindow(w, GW_CHILD)) == c.progress)
                    progress = w;
            return progress != nullptr;
        }, 20000));
        st::Shot(progress, "progress-" + lang);

        tb::MessageBoxInfo box = st::WaitBox(p.Pid(), 20000);
        ASSERT_TRUE(box);
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(st::MessageText(box.window), c.done);
        EXPECT_FALSE(IsWindow(progress));  // gone before the result
        st::Shot(box.window, "result-" + lang);
        tb::PressButton(box.window, IDOK);
        DWORD code = 99;
        ASSERT_TRUE(p.WaitExit(30000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(st::ResidentDestroys(), 1u);
        EXPECT_EQ(st::NewdevCalls().size(), 19u);
    }
}

TEST_F(Installer, AskedInstallationInEnglish) { RunAskedInstallation(kAskedEnglish); }
TEST_F(Installer, AskedInstallationInJapanese) { RunAskedInstallation(kAskedJapanese); }

void RunFailingInstallation(bool japanese, const char* text)
{
    {
        struct {
            bool japanese;
            const char* text;
        } c = {japanese, text};
        SCOPED_TRACE(c.japanese ? "ja" : "en");
        ASSERT_TRUE(st::UseNewdevStandin(""));
        tb::Process p;
        tb::MessageBoxInfo box = InstallAndWaitForResult(c.japanese, &p);
        ASSERT_TRUE(box);
        EXPECT_EQ(st::MessageText(box.window), c.text);
        st::Shot(box.window, std::string("failure-") + (c.japanese ? "ja" : "en"));
        tb::PressButton(box.window, IDOK);
        DWORD code = 99;
        ASSERT_TRUE(p.WaitExit(30000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(st::NewdevCalls().size(), 19u);
        EXPECT_EQ(st::Attributes(DriverList()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    }
}

TEST_F(Installer, EveryCallFailingShowsTheFailureInEnglish)
{
    RunFailingInstallation(false, "The installation isn't complete.");
}
TEST_F(Installer, EveryCallFailingShowsTheFailureInJapanese)
{
    RunFailingInstallation(true, u8"インストールが失敗しました。");
}

// A machine without the driver list: the installation still succeeds, and no
// driver list is made.
TEST_F(Installer, MissingDriverListStillSucceeds)
{
    ASSERT_TRUE(st::UseNewdevStandin(kId0509));
    ASSERT_TRUE(DeleteFileA(DriverList().c_str()));
    tb::Process p;
    tb::MessageBoxInfo box = InstallAndWaitForResult(false, &p);
    ASSERT_TRUE(box);
    EXPECT_EQ(st::MessageText(box.window), "The installation is now complete.");
    tb::PressButton(box.window, IDOK);
    ASSERT_TRUE(p.WaitExit(30000));
    EXPECT_EQ(st::NewdevCalls().size(), 19u);
    EXPECT_EQ(st::Attributes(DriverList()), INVALID_FILE_ATTRIBUTES);
}

// Setup started from a download folder that holds a NEWDEV.DLL of its own
// loads the system's device installer, not the one beside it.
TEST_F(Installer, LoadsTheDeviceInstallerFromTheSystemDirectoryOnly)
{
    ASSERT_TRUE(st::UseNewdevStandin(kId0509));
    const std::string folder = "C:\\download";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(tb::SystemPath("Setup.exe").c_str(), (folder + "\\Setup.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(tb::SystemPath("newdev.dll").c_str(), (folder + "\\NEWDEV.DLL").c_str(), FALSE));
    ASSERT_EQ(tb::Run(folder + "\\Setup.exe", "/S", 30000), 0);

    std::vector<std::string> loads = st::NewdevLoads();
    ASSERT_FALSE(loads.empty());
    for (const std::string& path : loads) EXPECT_STRCASEEQ(path.c_str(), tb::SystemPath("newdev.dll").c_str());
    std::vector<st::NewdevCall> calls = st::NewdevCalls();
    ASSERT_EQ(calls.size(), 19u);
    EXPECT_STRCASEEQ(calls[0].inf.c_str(), (folder + "\\wexant.inf").c_str());
}

// Without the device installer library, or with one that lacks the function,
// nothing is installed: the failure text in either language, exit code 0.
TEST_F(Installer, DeviceInstallerMissingOrWithoutItsFunctionFails)
{
    struct Case {
        const char* what;
        bool present;  // a library without the function; else none loads
        bool japanese;
        const char* text;
    } cases[] = {
        {"missing, en", false, false, "The installation isn't complete."},
        {"missing, ja", false, true, u8"インストールが失敗しました。"},
        {"without the function, en", true, false, "The installation isn't complete."},
        {"without the function, ja", true, true, u8"インストールが失敗しました。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(st::UseNewdevStandin(kId0509));
        if (c.present)
            ASSERT_TRUE(tb::InstallStandin("newdev_noexport.dll", "newdev.dll"));
        else  // an empty load order: Wine loads no newdev at all
            ASSERT_TRUE(tb::reg::SetString(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "newdev", ""));
        tb::Process p;
        tb::MessageBoxInfo box = InstallAndWaitForResult(c.japanese, &p);
        ASSERT_TRUE(box);
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(st::MessageText(box.window), c.text);
        tb::PressButton(box.window, IDOK);
        DWORD code = 99;
        ASSERT_TRUE(p.WaitExit(30000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_TRUE(st::NewdevCalls().empty());
        EXPECT_EQ(st::NewdevLoads().size(), c.present ? 1u : 0u);
        EXPECT_EQ(st::Attributes(DriverList()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    }
}

// The device installer starts only once the resident program's window is gone.
TEST_F(Installer, WaitsForTheResidentProgramToEnd)
{
    ASSERT_TRUE(st::UseNewdevStandin(kId0509));
    ASSERT_TRUE(st::StartResident("late 800"));
    ASSERT_EQ(tb::Run(tb::SystemPath("Setup.exe"), "/S", 30000), 0);
    std::vector<st::NewdevCall> calls = st::NewdevCalls();
    ASSERT_EQ(calls.size(), 19u);
    EXPECT_EQ(st::ResidentDestroys(), 1u);
    uint64_t destroyed = st::ResidentTime("DestroyTime0");
    uint64_t ended = st::ResidentTime("EndTime");
    ASSERT_NE(destroyed, 0u);
    ASSERT_NE(ended, 0u);
    EXPECT_GE(ended - destroyed, 800000u);
    // After the window is gone: the next check, then the fixed 100 ms.
    EXPECT_GE(calls[0].timeUs, ended + 100000);
    EXPECT_LT(calls[0].timeUs, destroyed + 5100000);
}

TEST_F(Installer, GoesOnWhenTheResidentProgramStays)
{
    ASSERT_TRUE(st::UseNewdevStandin(kId0509));
    ASSERT_TRUE(st::StartResident("stay"));
    ASSERT_EQ(tb::Run(tb::SystemPath("Setup.exe"), "/S", 30000), 0);
    std::vector<st::NewdevCall> calls = st::NewdevCalls();
    ASSERT_EQ(calls.size(), 19u);
    EXPECT_EQ(st::ResidentDestroys(), 1u);
    uint64_t destroyed = st::ResidentTime("DestroyTime0");
    // 51 checks 100 ms apart, then the fixed 100 ms: 5.2 s. The upper bound
    // leaves 2.3 s for a loaded machine and is passed by 75 checks or more.
    EXPECT_GE(calls[0].timeUs, destroyed + 5200000);
    EXPECT_LT(calls[0].timeUs, destroyed + 7500000);
}

TEST_F(Installer, WithoutResidentProgramOnlyTheFixedPause)
{
    ASSERT_TRUE(st::UseNewdevStandin(kId0509));
    // Timed from the start: the main window lives only while the worker runs,
    // too briefly to be watched for on a loaded machine.
    uint64_t started = st::NowUs();
    tb::Process p = tb::Start("Setup.exe", "/S");
    ASSERT_TRUE(p.WaitExit(30000));
    std::vector<st::NewdevCall> calls = st::NewdevCalls();
    ASSERT_EQ(calls.size(), 19u);
    // Only the fixed 100 ms pauses before the calls; a wait for a resident
    // program alone would take 5.1 s, whatever the start itself took.
    EXPECT_LT(calls[0].timeUs, started + 5000000);
}

TEST_F(Installer, SecondInstanceEndsAtOnceAndRightsComeFirst)
{
    ASSERT_TRUE(st::UseNewdevStandin(kId0509));
    tb::Process first = tb::Start("Setup.exe");
    HWND question = WaitQuestion(first);
    ASSERT_NE(question, nullptr);

    // Watched while it runs: it ends without showing anything.
    tb::Process second = tb::Start("Setup.exe");
    st::ExpectEndsSilently(second);

    // Without write access to HKLM\Software the rights message comes before
    // the single-instance check; silent, nothing at all.
    std::vector<uint8_t> saved;
    ASSERT_TRUE(tb::MakeKeyReadOnly(HKEY_LOCAL_MACHINE, "Software", &saved));
    DWORD code = 99;
    struct Case {
        bool japanese;
        const char* text;
    } cases[] = {{false, "This user can't install."}};
    for (const Case& c : cases) {
        tb::Process denied = StartSetup(c.japanese);
        tb::MessageBoxInfo box = st::WaitBox(denied.Pid());
        EXPECT_TRUE(box);
        if (box) {
            EXPECT_EQ(box.caption, kCaption);
            EXPECT_EQ(st::MessageText(box.window), c.text);
            EXPECT_EQ(GetWindow(box.window, GW_OWNER), nullptr);
            st::Shot(box.window, std::string("no-rights-") + (c.japanese ? "ja" : "en"));
            tb::PressButton(box.window, IDOK);
        }
        ASSERT_TRUE(denied.WaitExit(30000, &code));
        EXPECT_EQ(code, 0u);
    }
    tb::Process silent = tb::Start("Setup.exe", "/S");
    ASSERT_TRUE(silent.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(tb::RestoreKeySecurity(HKEY_LOCAL_MACHINE, "Software", saved));

    tb::PressButton(question, 1018);
    tb::MessageBoxInfo box = st::WaitBox(first.Pid());
    ASSERT_TRUE(box);
    tb::PressButton(box.window, IDOK);
    ASSERT_TRUE(first.WaitExit(30000, &code));
    EXPECT_TRUE(st::NewdevCalls().empty());
}

TEST_F(Installer, RightsMessageInJapanese)
{
    std::vector<uint8_t> saved;
    ASSERT_TRUE(tb::MakeKeyReadOnly(HKEY_LOCAL_MACHINE, "Software", &saved));
    tb::Process denied = StartSetup(true);
    tb::MessageBoxInfo box = st::WaitBox(denied.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(st::MessageText(box.window), u8"このユーザーではインストールできません");
    st::Shot(box.window, "no-rights-ja");
    tb::PressButton(box.window, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(denied.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(tb::RestoreKeySecurity(HKEY_LOCAL_MACHINE, "Software", saved));
}

// Wine's own device installer with a real device of a supported id: the
// package's INF is installed for it.
TEST_F(Installer, InstallsTheDriverPackageForARealDevice)
{
    ASSERT_TRUE(st::CreateDevice({"USB\\VID_1F3C&PID_0512"}));
    tb::reg::DeleteValue(HKEY_LOCAL_MACHINE, kParametersKey, "Version");
    ASSERT_EQ(tb::Run(tb::SystemPath("Setup.exe"), "/S", 60000), 0);
    EXPECT_FALSE(st::DeviceDriver("USB\\VID_1F3C&PID_0512").empty());
    std::string version;
    EXPECT_TRUE(tb::reg::GetString(HKEY_LOCAL_MACHINE, kParametersKey, "Version", &version));
    EXPECT_EQ(version, "1.0.0.0");
    EXPECT_TRUE(st::Attributes(DriverList()) & FILE_ATTRIBUTE_READONLY);
}

// The question box's icon in both languages, in dialog units. An icon static
// sizes itself to the icon it shows (32 x 32 pixels), so on the running box
// only its place tells; its size is read from the running program's own
// template, made into a dialog here with an instance that has no icon 108, so
// that the picture keeps the size the template gives it.
struct QuestionIcon {
    bool japanese;
    UINT templateId;
    int x, y, w, h;
    int noX, noY;  // the No button's place, which gives the running box's scale
};

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The first icon static among a dialog's children: place and size in dialog
// units, by the scale (pixels per 4000 x 8000 units) of a dialog of the same
// template and font. MapDialogRect answers only for this process's dialogs.
bool IconInUnits(HWND dialog, const RECT& scale, RECT* units, HWND* icon)
{
    *icon = nullptr;
    for (HWND child : tb::Children(dialog))
        if (!*icon && tb::ClassOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            *icon = child;
    if (!*icon || scale.right <= 0 || scale.bottom <= 0) return false;
    RECT r = tb::ScreenRect(*icon);
    POINT origin = {0, 0};
    ClientToScreen(dialog, &origin);
    units->left = MulDiv(r.left - origin.x, 4000, scale.right);
    units->top = MulDiv(r.top - origin.y, 8000, scale.bottom);
    units->right = MulDiv(r.right - r.left, 4000, scale.right);    // width
    units->bottom = MulDiv(r.bottom - r.top, 8000, scale.bottom);  // height
    return true;
}

TEST_F(Installer, QuestionIconHasItsPlaceAndSizeInBothLanguages)
{
    const QuestionIcon cases[] = {{false, 119, 17, 30, 18, 21, 125, 82}, {true, 118, 12, 24, 20, 20, 93, 66}};
    HMODULE program = LoadLibraryExA(tb::SystemPath("Setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    for (const QuestionIcon& c : cases) {
        SCOPED_TRACE(c.japanese ? "ja" : "en");
        // The template as the dialog manager builds it.
        HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(c.templateId), MAKEINTRESOURCEA(5) /*RT_DIALOG*/);
        HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
        auto* dialogTemplate = loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
        ASSERT_NE(dialogTemplate, nullptr);
        HWND built = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, nullptr, QuietDialog, 0);
        ASSERT_NE(built, nullptr);
        RECT scale = {0, 0, 4000, 8000};
        ASSERT_TRUE(MapDialogRect(built, &scale));
        RECT units;
        HWND icon;
        ASSERT_TRUE(IconInUnits(built, scale, &units, &icon));
        EXPECT_EQ(GetDlgCtrlID(icon), 0xFFFF);  // no id
        EXPECT_EQ(GetWindowLongA(icon, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | SS_TYPEMASK),
                  static_cast<LONG>(WS_CHILD | WS_VISIBLE | SS_ICON));
        EXPECT_EQ(units.left, c.x);
        EXPECT_EQ(units.top, c.y);
        EXPECT_EQ(units.right, c.w);
        EXPECT_EQ(units.bottom, c.h);
        DestroyWindow(built);

        // The running question box: the icon shows at its place.
        ASSERT_TRUE(st::UseNewdevStandin(kId0509));
        tb::Process p = StartSetup(c.japanese);
        HWND question = WaitQuestion(p);
        ASSERT_NE(question, nullptr);
        // The box's font is realised in the box's own locale, so its scale
        // comes from the place the template gives its No button.
        RECT no = tb::ScreenRect(tb::Control(question, 1018));
        POINT origin = {0, 0};
        ClientToScreen(question, &origin);
        RECT running = {0, 0, MulDiv(no.left - origin.x, 4000, c.noX), MulDiv(no.top - origin.y, 8000, c.noY)};
        ASSERT_TRUE(IconInUnits(question, running, &units, &icon));
        EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);
        EXPECT_EQ(units.left, c.x);
        EXPECT_EQ(units.top, c.y);
        RECT r = tb::ScreenRect(icon);
        EXPECT_EQ(r.right - r.left, 32);
        EXPECT_EQ(r.bottom - r.top, 32);
        tb::PressButton(question, 1018);
        tb::MessageBoxInfo box = st::WaitBox(p.Pid());
        ASSERT_TRUE(box);
        tb::PressButton(box.window, IDOK);
        ASSERT_TRUE(p.WaitExit(30000));
    }
    FreeLibrary(program);
}

// Both programs ask for administrator rights in their manifests.
TEST(Manifests, RequireAdministrator)
{
    for (const char* exe : {"Setup.exe", "Brandoke.exe"}) {
        HMODULE m = LoadLibraryExA(tb::SystemPath(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m, nullptr) << exe;
        HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        ASSERT_NE(r, nullptr) << exe;
        std::string text(static_cast<const char*>(LockResource(LoadResource(m, r))), SizeofResource(m, r));
        EXPECT_NE(text.find("requestedExecutionLevel level=\"requireAdministrator\""), std::string::npos) << exe;
        FreeLibrary(m);
    }
}

}  // namespace

namespace {

// The real resident program ends on the installer's WM_DESTROY, with its
// teardown (the driver back to normal buttons), before the device installer runs.
TEST_F(Installer, RealResidentProgramEndsBeforeTheDeviceInstaller)
{
    ASSERT_TRUE(tb::InstallStandin("gralen.dll"));
    ASSERT_TRUE(tb::sim::StartDriver());
    ASSERT_TRUE(tb::sim::Reset());
    tb::Process resident = tb::Start("Tavrick.exe");
    ASSERT_NE(tb::WaitWindow("TAVRICK:MAIN", "TAVRICK", 30000, resident.Pid()), nullptr);
    ASSERT_TRUE(st::UseNewdevStandin(kId0509));

    tb::Process setup = tb::Start("Setup.exe", "/S");
    DWORD code = 99;
    ASSERT_TRUE(resident.WaitExit(30000));
    uint64_t residentGone = st::NowUs();
    ASSERT_TRUE(setup.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    std::vector<st::NewdevCall> calls = st::NewdevCalls();
    ASSERT_EQ(calls.size(), 19u);
    // Seen gone by this test within a 10 ms poll; the installer looks every 100 ms.
    EXPECT_GE(calls[0].timeUs + 20000, residentGone);
    EXPECT_TRUE(tb::sim::WaitRequest(0x222028, 1, 5000));  // BUTTONS_NORMAL from the teardown
}

}  // namespace
