// The installer under Wine: silent and asked modes in both languages, the
// resident program told to end and waited for, the device installer called
// for the 19 USB ids (through the stand-in that records its calls, and through
// Wine's own for a real device), the driver list, the rights check and the
// single instance.
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
    for (const char* tail : {"/S", "/s"}) {
        SCOPED_TRACE(tail);
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
        tb::StartOptions options;
        options.japanese = c.japanese;
        tb::Process p = tb::Start("Setup.exe", "", options);
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
        SetFileAttributesA(DriverList().c_str(), FILE_ATTRIBUTE_ARCHIVE);
        tb::StartOptions options;
        options.japanese = c.japanese;
        tb::Process p = tb::Start("Setup.exe", "", options);
        HWND question = WaitQuestion(p);
        ASSERT_NE(question, nullptr);
        tb::PressButton(question, 1017);
        tb::MessageBoxInfo box = st::WaitBox(p.Pid(), 20000);
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
    // 51 checks 100 ms apart, then the fixed 100 ms.
    EXPECT_GE(calls[0].timeUs, destroyed + 5200000);
    EXPECT_LT(calls[0].timeUs, destroyed + 15000000);
}

TEST_F(Installer, WithoutResidentProgramOnlyTheFixedPause)
{
    ASSERT_TRUE(st::UseNewdevStandin(kId0509));
    tb::Process p = tb::Start("Setup.exe", "/S");
    // The main window exists just before the worker starts.
    HWND main = tb::WaitWindow("Hovrint", "Tool", 30000, p.Pid());
    uint64_t seen = st::NowUs();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(p.WaitExit(30000));
    std::vector<st::NewdevCall> calls = st::NewdevCalls();
    ASSERT_EQ(calls.size(), 19u);
    // Only the fixed 100 ms before the calls; a wait for a resident program
    // would take 5.1 s.
    EXPECT_LT(calls[0].timeUs, seen + 3000000);
}

TEST_F(Installer, SecondInstanceEndsAtOnceAndRightsComeFirst)
{
    ASSERT_TRUE(st::UseNewdevStandin(kId0509));
    tb::Process first = tb::Start("Setup.exe");
    HWND question = WaitQuestion(first);
    ASSERT_NE(question, nullptr);

    tb::Process second = tb::Start("Setup.exe");
    DWORD code = 99;
    ASSERT_TRUE(second.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(st::WaitBox(second.Pid(), 300));

    // Without write access to HKLM\Software the rights message comes before
    // the single-instance check; silent, nothing at all.
    std::vector<uint8_t> saved;
    ASSERT_TRUE(st::MakeKeyReadOnly(HKEY_LOCAL_MACHINE, "Software", &saved));
    struct Case {
        bool japanese;
        const char* text;
    } cases[] = {{false, "This user can't install."}};
    for (const Case& c : cases) {
        tb::StartOptions options;
        options.japanese = c.japanese;
        tb::Process denied = tb::Start("Setup.exe", "", options);
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
    EXPECT_TRUE(st::RestoreKeySecurity(HKEY_LOCAL_MACHINE, "Software", saved));

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
    ASSERT_TRUE(st::MakeKeyReadOnly(HKEY_LOCAL_MACHINE, "Software", &saved));
    tb::StartOptions options;
    options.japanese = true;
    tb::Process denied = tb::Start("Setup.exe", "", options);
    tb::MessageBoxInfo box = st::WaitBox(denied.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(st::MessageText(box.window), u8"このユーザーではインストールできません");
    st::Shot(box.window, "no-rights-ja");
    tb::PressButton(box.window, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(denied.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(st::RestoreKeySecurity(HKEY_LOCAL_MACHINE, "Software", saved));
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
