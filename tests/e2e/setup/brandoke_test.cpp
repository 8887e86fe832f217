// The uninstaller under Wine: asked and silent modes, the Status value, the
// resident program told twice, every user's settings (the current user's and
// another profile's hive) through the stand-in account library, called in
// order for every profile between the two messages to the resident program, the
// compatibility values, the INF copies, real devices removed through SetupAPI
// and the package's uninstall section; and, compared before and after,
// nothing removed beyond those.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "harness.h"
#include "support.h"

namespace {

const char kParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\WEXANT\\Parameters";
const char kLayersKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
const char kPersistedKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";
const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char kQuestionCaption[] = "Uninstall: Velnor Touch Panel";
const char kMarkedInf[] =
    "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\nClass=Mouse\r\n\r\n[Strings]\r\nWEXANT.DeviceDesc=\"Velnor USB Touch Panel\"\r\n";

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return s;
}

std::string InfDir() { return tb::WindowsDir() + "\\inf"; }
std::string CatDir() { return tb::SystemDir() + "\\CatRoot"; }

bool EnablePrivilege(const char* name)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    TOKEN_PRIVILEGES tp = {};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok = LookupPrivilegeValueA(nullptr, name, &tp.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
    CloseHandle(token);
    return ok;
}

// A second user "other" with a profile folder and a hive of its own that holds
// the settings key, a foreign key and a Persisted key.
bool MakeOtherProfile()
{
    const char source[] = "Software\\TestBed\\HiveSource";
    std::string s = source;
    bool ok = tb::reg::SetDword(HKEY_CURRENT_USER, s + "\\Software\\Tarsido\\USB", "Option", 0x800A4) &&
              tb::reg::SetString(HKEY_CURRENT_USER, s + "\\Software\\Foreign", "Keep", "1") &&
              tb::reg::SetDword(HKEY_CURRENT_USER, s + "\\" + kPersistedKey, "C:\\app.exe", 1);
    CreateDirectoryA("C:\\users\\other", nullptr);
    DeleteFileA("C:\\users\\other\\NTUSER.DAT");
    EnablePrivilege("SeBackupPrivilege");
    HKEY key;
    ok = ok && RegOpenKeyExA(HKEY_CURRENT_USER, source, 0, KEY_READ, &key) == 0;
    if (ok) {
        ok = RegSaveKeyA(key, "C:\\users\\other\\NTUSER.DAT", nullptr) == 0;
        RegCloseKey(key);
    }
    tb::reg::DeleteTree(HKEY_CURRENT_USER, source);
    return ok && tb::reg::SetString(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\S-1-5-21-7-7-7-1001",
                                    "ProfileImagePath", "C:\\users\\other");
}

bool WriteReadOnly(const std::string& path, const std::string& text)
{
    return st::WriteFile(path, text) && SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

class Uninstaller : public ::testing::Test {
protected:
    std::string sys_;

    void SetUp() override
    {
        sys_ = tb::SystemDir();
        ASSERT_TRUE(tb::InstallStandin("LAROP.dll"));
        tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, "Software\\TestBed\\Larop");
        // What the package and the programs leave on a machine.
        ASSERT_TRUE(tb::reg::SetString(HKEY_LOCAL_MACHINE, kParametersKey, "Version", "1.0.0.0"));
        ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, kParametersKey, "DisSet", 0));
        ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, kParametersKey, "SpinTop", 0));
        ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, kParametersKey, "Option", 0x800A4));
        ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, "Software\\Tarsido\\USB", "Option", 0x800A4));
        ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, "Software\\Tarsido\\Other\\Deep", "X", 1));
        ASSERT_TRUE(tb::reg::SetString(HKEY_CURRENT_USER, "Software\\Foreign\\Keep", "X", "1"));
        ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, "Software\\Tarsido\\USB", "Option", 0x800A4));
        for (const char* applet : {"\\Vintrox.cpl", "\\Pemmick.cpl", "\\Other.cpl"})
            ASSERT_TRUE(tb::reg::SetString(HKEY_LOCAL_MACHINE, kLayersKey, sys_ + applet, "WIN98"));
        ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, kPersistedKey, sys_ + "\\Pemmick.cpl", 1));
        ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, kPersistedKey, sys_ + "\\Vintrox.cpl", 1));
        ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, kPersistedKey, "C:\\app.exe", 1));
        ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, kPersistedKey, "C:\\app.exe", 1));
        ASSERT_TRUE(MakeOtherProfile());

        // INF copies: marked (read-only, with its .PNF and .cat), marked "no",
        // without a marker, marked at both ends of the examined range (0 and
        // 29), and one numbered past it.
        CreateDirectoryA(CatDir().c_str(), nullptr);
        ASSERT_TRUE(WriteReadOnly(InfDir() + "\\oem3.inf", kMarkedInf));
        ASSERT_TRUE(WriteReadOnly(InfDir() + "\\oem3.PNF", "pnf"));
        ASSERT_TRUE(WriteReadOnly(CatDir() + "\\oem3.cat", "cat"));
        ASSERT_TRUE(st::WriteFile(InfDir() + "\\oem4.inf", "[Strings]\r\nWEXANT.DeviceDesc=\"no\"\r\n"));
        ASSERT_TRUE(st::WriteFile(InfDir() + "\\oem4.PNF", "pnf"));
        ASSERT_TRUE(st::WriteFile(CatDir() + "\\oem4.cat", "cat"));
        ASSERT_TRUE(st::WriteFile(InfDir() + "\\oem5.inf", "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\n"));
        ASSERT_TRUE(st::WriteFile(InfDir() + "\\oem5.PNF", "pnf"));
        ASSERT_TRUE(st::WriteFile(InfDir() + "\\oem0.inf", kMarkedInf));
        ASSERT_TRUE(st::WriteFile(InfDir() + "\\oem0.PNF", "pnf"));
        ASSERT_TRUE(st::WriteFile(InfDir() + "\\oem29.inf", kMarkedInf));
        ASSERT_TRUE(st::WriteFile(CatDir() + "\\oem29.cat", "cat"));
        ASSERT_TRUE(st::WriteFile(InfDir() + "\\oem30.inf", kMarkedInf));
        ASSERT_TRUE(st::WriteFile(InfDir() + "\\oem30.PNF", "pnf"));

        // Devices: two supported ids, one matching only by a later string, and
        // three that stay (lower case, 0509, another vendor).
        ASSERT_TRUE(st::CreateDevice({"USB\\VID_1F3C&PID_0512"}));
        ASSERT_TRUE(st::CreateDevice({"HID\\VID_1F3C&PID_0500"}));
        ASSERT_TRUE(st::CreateDevice({"USB\\VID_1F3C&PID_0501&REV_0100", "USB\\VID_1F3C&PID_0501"}));
        ASSERT_TRUE(st::CreateDevice({"usb\\vid_1f3c&pid_0512"}));
        ASSERT_TRUE(st::CreateDevice({"USB\\VID_1F3C&PID_0509"}));
        ASSERT_TRUE(st::CreateDevice({"USB\\VID_1234&PID_0001"}));
    }

    std::string LaropCalls()
    {
        std::string calls;
        tb::reg::GetString(HKEY_LOCAL_MACHINE, "Software\\TestBed\\Larop", "Calls", &calls);
        return calls;
    }

    bool StatusWritten()
    {
        return tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kParametersKey, "Status");
    }

    // The uninstall section runs in its own process after the uninstaller ends.
    bool WaitUninstallSection()
    {
        return tb::Poll([] { return !tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kParametersKey, "Version"); }, 30000, 50);
    }

    void ExpectNothingChanged()
    {
        EXPECT_FALSE(StatusWritten());
        EXPECT_TRUE(tb::reg::KeyExists(HKEY_CURRENT_USER, "Software\\Tarsido\\USB"));
        EXPECT_TRUE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kLayersKey, sys_ + "\\Vintrox.cpl"));
        EXPECT_TRUE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kParametersKey, "Version"));
        EXPECT_EQ(st::Attributes(InfDir() + "\\oem3.inf") != INVALID_FILE_ATTRIBUTES, true);
        EXPECT_EQ(st::DeviceIdLists().count("USB\\VID_1F3C&PID_0512"), 1u);
        EXPECT_EQ(st::ResidentDestroys(), 0u);
        EXPECT_EQ(LaropCalls(), "");
    }
};

std::set<std::string> RegistryNow()
{
    std::set<std::string> all = st::RegistrySnapshot(HKEY_LOCAL_MACHINE, "Software", "HKLM\\Software");
    for (const std::string& s : st::RegistrySnapshot(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\WEXANT",
                                                     "HKLM\\WEXANT"))
        all.insert(s);
    for (const std::string& s : st::RegistrySnapshot(HKEY_CURRENT_USER, "Software", "HKCU\\Software")) all.insert(s);
    return all;
}

template <typename Set>
Set Minus(const Set& a, const Set& b)
{
    Set out;
    for (const auto& x : a)
        if (b.count(x) < a.count(x) && out.count(x) < a.count(x) - b.count(x)) out.insert(x);
    return out;
}

TEST_F(Uninstaller, SilentRemovalTakesExactlyWhatBelongsToThePanel)
{
    ASSERT_TRUE(st::StartResident("stay"));
    std::set<std::string> registryBefore = RegistryNow();
    std::set<std::string> infBefore = st::FolderSnapshot(InfDir());
    std::set<std::string> catBefore = st::FolderSnapshot(CatDir());
    std::multiset<std::string> devicesBefore = st::DeviceIdLists();

    tb::Process p = tb::Start("Brandoke.exe", "/S");
    DWORD code = 99;
    bool shown = false;
    tb::Poll([&] {
        for (HWND w : tb::TopWindows(p.Pid())) shown = shown || tb::IsVisible(w);
        return !p.Running();
    }, 60000, 5);
    ASSERT_TRUE(p.WaitExit(1000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(shown);
    ASSERT_TRUE(WaitUninstallSection());

    // The Status value with its terminating NUL.
    std::vector<uint8_t> status;
    DWORD type = 0;
    ASSERT_TRUE(tb::reg::GetBinary(HKEY_LOCAL_MACHINE, kParametersKey, "Status", &status, &type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(status.begin(), status.end()), std::string("Now removing PEMMICK", 21));
    EXPECT_EQ(st::ResidentDestroys(), 2u);

    // Registry: what went is exactly the panel's.
    std::set<std::string> removed = Minus(registryBefore, RegistryNow());
    const std::string layers = Lower("VAL\\HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers\\");
    const std::string persisted = Lower(std::string("\\") + kPersistedKey);
    const std::vector<std::string> allowed = {
        "key\\hkcu\\software\\tarsido",   "val\\hkcu\\software\\tarsido\\",
        "key\\hklm\\software\\tarsido",   "val\\hklm\\software\\tarsido\\",
        "key\\hkcu" + persisted,          "val\\hkcu" + persisted + "\\",
        "key\\hklm" + persisted,          "val\\hklm" + persisted + "\\",
        layers + Lower(sys_) + "\\vintrox.cpl", layers + Lower(sys_) + "\\pemmick.cpl",
        "val\\hklm\\wexant\\parameters\\version", "val\\hklm\\wexant\\parameters\\disset",
        "val\\hklm\\wexant\\parameters\\spintop", "key\\hklm\\software\\testbed", "val\\hklm\\software\\testbed",
    };
    for (const std::string& r : removed) {
        std::string l = Lower(r);
        bool ok = std::any_of(allowed.begin(), allowed.end(),
                              [&](const std::string& a) { return l.compare(0, a.size(), a) == 0; });
        EXPECT_TRUE(ok) << "removed: " << r;
    }
    for (const std::string& must : {std::string("KEY\\HKCU\\Software\\Tarsido"), std::string("KEY\\HKLM\\Software\\Tarsido"),
                                    std::string("VAL\\HKLM\\WEXANT\\Parameters\\Version")})
        EXPECT_TRUE(removed.count(must)) << must;
    EXPECT_FALSE(tb::reg::KeyExists(HKEY_CURRENT_USER, kPersistedKey));
    EXPECT_FALSE(tb::reg::KeyExists(HKEY_LOCAL_MACHINE, kPersistedKey));
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kLayersKey, sys_ + "\\Vintrox.cpl"));
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kLayersKey, sys_ + "\\Pemmick.cpl"));
    EXPECT_TRUE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kLayersKey, sys_ + "\\Other.cpl"));
    EXPECT_TRUE(tb::reg::KeyExists(HKEY_CURRENT_USER, "Software\\Foreign\\Keep"));
    EXPECT_TRUE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kParametersKey, "Option"));

    // The other profile's hive was loaded and cleaned; the logged-on user's
    // own hive does not load and is reached through HKEY_CURRENT_USER.
    std::string calls = LaropCalls();
    EXPECT_NE(calls.find("LpReDeKe(HKU,other\\Software\\Tarsido\\USB)=removed;"), std::string::npos) << calls;
    EXPECT_NE(calls.find("LpReDeKe2(HKU,other\\Software\\Tarsido)=removed;"), std::string::npos) << calls;
    EXPECT_NE(calls.find(std::string("LpReDeKe(HKU,other\\") + kPersistedKey + ")=removed;"), std::string::npos)
        << calls;
    EXPECT_EQ(calls.find("HKU,root\\"), std::string::npos) << calls;
    // Nothing else of the other user's hive is touched (its foreign key stays).
    for (size_t at = calls.find("(HKU,"); at != std::string::npos; at = calls.find("(HKU,", at + 1)) {
        std::string path = calls.substr(at + 5, calls.find(')', at) - at - 5);
        EXPECT_TRUE(path == "other\\Software\\Tarsido\\USB" || path == "other\\Software\\Tarsido" ||
                    path == std::string("other\\") + kPersistedKey)
            << path;
    }
    EXPECT_NE(calls.find("LpReDeKe(HKCU,Software\\Tarsido\\USB)=removed;"), std::string::npos) << calls;
    EXPECT_NE(calls.find("LpSeAcTo(SeRestorePrivilege)=1;"), std::string::npos) << calls;
    HKEY loaded;
    EXPECT_NE(RegOpenKeyExA(HKEY_USERS, "other", 0, KEY_READ, &loaded), 0) << "hive left loaded";

    // INF folder and catalogs: only the marked copies numbered 0-29.
    std::set<std::string> infRemoved = Minus(infBefore, st::FolderSnapshot(InfDir()));
    std::set<std::string> catRemoved = Minus(catBefore, st::FolderSnapshot(CatDir()));
    EXPECT_EQ(infRemoved, (std::set<std::string>{"OEM0.INF", "OEM0.PNF", "OEM3.INF", "OEM3.PNF", "OEM29.INF"}));
    EXPECT_EQ(catRemoved, (std::set<std::string>{"OEM3.CAT", "OEM29.CAT"}));

    // Devices: exact, case-sensitive ids of the removal list.
    std::multiset<std::string> devicesRemoved = Minus(devicesBefore, st::DeviceIdLists());
    EXPECT_EQ(devicesRemoved, (std::multiset<std::string>{"USB\\VID_1F3C&PID_0512", "HID\\VID_1F3C&PID_0500",
                                                          "USB\\VID_1F3C&PID_0501&REV_0100|USB\\VID_1F3C&PID_0501"}));
}

// Brandoke started in one language with a resident program running: the first
// message box it shows (empty when none came).
tb::MessageBoxInfo StartAsked(bool japanese, tb::Process* p)
{
    if (!st::StartResident("stay")) return {};
    tb::StartOptions options;
    options.japanese = japanese;
    *p = tb::Start("Brandoke.exe", "", options);
    return st::WaitBox(p->Pid());
}

void AskedQuestion(Uninstaller* t, bool japanese, const char* text, const std::string& shot)
{
    (void)t;
    tb::Process p;
    tb::MessageBoxInfo box = StartAsked(japanese, &p);
    ASSERT_TRUE(box);
    EXPECT_EQ(box.caption, kQuestionCaption);
    EXPECT_EQ(st::MessageText(box.window), text);
    EXPECT_NE(GetDlgItem(box.window, IDOK), nullptr);
    EXPECT_NE(GetDlgItem(box.window, IDCANCEL), nullptr);
    EXPECT_EQ(tb::ClassOf(GetWindow(box.window, GW_OWNER)), "PemmickInstall");
    EXPECT_TRUE(st::ShowsIcon(box.window));  // the question mark
    st::Shot(box.window, shot);
    tb::PressButton(box.window, IDCANCEL);
    DWORD code = 99;
    ASSERT_TRUE(p.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(Uninstaller, AskedInEnglishAndCancelChangesNothing)
{
    AskedQuestion(this, false, "Do you uninstall Touch Panel driver from your system ?   ", "question-en");
    ExpectNothingChanged();
}

TEST_F(Uninstaller, AskedInJapaneseAndCancelChangesNothing)
{
    AskedQuestion(this, true, u8"Touch Panel driver をアンインストールしますか?   ", "question-ja");
    ExpectNothingChanged();
}

TEST_F(Uninstaller, AskedAndOkRemoves)
{
    ASSERT_TRUE(st::StartResident("stay"));
    tb::Process p = tb::Start("Brandoke.exe", "/S ");  // not silent: a trailing blank
    tb::MessageBoxInfo box = st::WaitBox(p.Pid());
    ASSERT_TRUE(box);
    tb::PressButton(box.window, IDOK);
    ASSERT_TRUE(tb::WaitGone(box.window, 10000));
    // Watched while it runs: no completion message.
    std::vector<std::string> boxes;
    ASSERT_TRUE(st::WatchToEnd(p, 60000, &boxes));
    DWORD code = 99;
    ASSERT_TRUE(p.WaitExit(1000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_TRUE(StatusWritten());
    EXPECT_FALSE(tb::reg::KeyExists(HKEY_CURRENT_USER, "Software\\Tarsido"));
    EXPECT_EQ(st::Attributes(InfDir() + "\\oem3.inf"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(st::DeviceIdLists().count("USB\\VID_1F3C&PID_0512"), 0u);
    EXPECT_EQ(st::ResidentDestroys(), 2u);
    EXPECT_TRUE(WaitUninstallSection());
}

void StatusDenied(bool japanese, const char* text, const std::string& shot)
{
    std::vector<uint8_t> saved;
    ASSERT_TRUE(tb::MakeKeyReadOnly(HKEY_LOCAL_MACHINE, kParametersKey, &saved));
    tb::Process p;
    tb::MessageBoxInfo box = StartAsked(japanese, &p);
    ASSERT_TRUE(box);
    tb::PressButton(box.window, IDOK);
    ASSERT_TRUE(tb::Poll([&] {
        box = st::WaitBox(p.Pid(), 100);
        return box && box.caption == "Uninstall";
    }, 20000));
    EXPECT_EQ(st::MessageText(box.window), text);
    EXPECT_FALSE(st::ShowsIcon(box.window));
    st::Shot(box.window, shot);
    tb::PressButton(box.window, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(p.WaitExit(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(tb::RestoreKeySecurity(HKEY_LOCAL_MACHINE, kParametersKey, saved));
}

TEST_F(Uninstaller, StatusNotWritableInEnglishChangesNothing)
{
    StatusDenied(false, "Velnor Touch Panel driver  couldn't be removed.\nYou don't have DELETE access.", "denied-en");
    ExpectNothingChanged();
}

TEST_F(Uninstaller, StatusNotWritableInJapaneseChangesNothing)
{
    StatusDenied(true, u8"Velnor Touch Panel driver を削除できませんでした。\nユーザに削除アクセス権がありません。",
                 "denied-ja");
    ExpectNothingChanged();
}

// In silent mode a Status value that cannot be written ends the program
// without the DELETE-access message.
TEST_F(Uninstaller, StatusNotWritableSilentEndsWithoutAMessage)
{
    std::vector<uint8_t> saved;
    ASSERT_TRUE(tb::MakeKeyReadOnly(HKEY_LOCAL_MACHINE, kParametersKey, &saved));
    ASSERT_TRUE(st::StartResident("stay"));
    tb::Process p = tb::Start("Brandoke.exe", "/S");
    st::ExpectEndsSilently(p);
    EXPECT_TRUE(tb::RestoreKeySecurity(HKEY_LOCAL_MACHINE, kParametersKey, saved));
    ExpectNothingChanged();
}

TEST_F(Uninstaller, SecondUninstallerEndsAtOnce)
{
    tb::Process first = tb::Start("Brandoke.exe");
    tb::MessageBoxInfo box = st::WaitBox(first.Pid());
    ASSERT_TRUE(box);
    for (const char* tail : {"", "/S"}) {
        SCOPED_TRACE(std::string("tail \"") + tail + "\"");
        // Watched while it runs: it ends without showing anything.
        tb::Process second = tb::Start("Brandoke.exe", tail);
        st::ExpectEndsSilently(second);
    }
    EXPECT_FALSE(StatusWritten());
    tb::PressButton(box.window, IDCANCEL);
    ASSERT_TRUE(first.WaitExit(30000));
    ExpectNothingChanged();
}

// A window of the uninstaller's class is another uninstaller at work: a new
// copy ends at once without a message, also in silent mode.
TEST_F(Uninstaller, AnotherUninstallersWindowEndsANewCopyAtOnce)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PemmickInstall";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND other = CreateWindowExA(0, "PemmickInstall", "PemmickInstall", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                 nullptr, wc.hInstance, nullptr);
    ASSERT_NE(other, nullptr);
    for (const char* tail : {"", "/S"}) {
        SCOPED_TRACE(std::string("tail \"") + tail + "\"");
        tb::Process p = tb::Start("Brandoke.exe", tail);
        st::ExpectEndsSilently(p);
    }
    DestroyWindow(other);
    UnregisterClassA("PemmickInstall", wc.hInstance);
    ExpectNothingChanged();
}

// Copies started together all pass the window check before any has its
// window: the mutex lets exactly one go on to the question, the others end at
// once without a message.
TEST_F(Uninstaller, CopiesStartedTogetherLeaveOneAsking)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<tb::Process> copies = tb::StartTogether("Brandoke.exe", "", 6);
        ASSERT_EQ(copies.size(), 6u);
        auto running = [&] {
            return std::count_if(copies.begin(), copies.end(), [](const tb::Process& p) { return p.Running(); });
        };
        EXPECT_TRUE(tb::Poll([&] { return running() <= 1; }, 30000, 50));
        Sleep(500);
        EXPECT_EQ(running(), 1);
        for (tb::Process& p : copies) {
            if (p.Running()) {
                tb::MessageBoxInfo box = st::WaitBox(p.Pid());
                EXPECT_TRUE(box && box.caption == kQuestionCaption);
                if (box) tb::PressButton(box.window, IDCANCEL);
                EXPECT_TRUE(p.WaitExit(30000));
            }
            p.Kill();
            DWORD code = 99;
            EXPECT_TRUE(p.WaitExit(1000, &code));
            EXPECT_EQ(code, 0u);
        }
    }
    ExpectNothingChanged();
}

// A RunDll32.exe in the folder the uninstaller was started from does not run
// (it would run with administrator rights); the system's runs the package's
// uninstall section.
TEST_F(Uninstaller, StartsTheSystemRunDll32Only)
{
    const std::string folder = "C:\\download";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(tb::SystemPath("Brandoke.exe").c_str(), (folder + "\\Brandoke.exe").c_str(), FALSE));
    // The recorder leaves RunDll32.exe.log beside itself when it runs.
    ASSERT_TRUE(tb::InstallStandin("quintrel_recorder.exe", "planted.exe"));
    ASSERT_TRUE(MoveFileExA(tb::SystemPath("planted.exe").c_str(), (folder + "\\RunDll32.exe").c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
    const std::string log = folder + "\\RunDll32.exe.log";
    ASSERT_EQ(tb::Run(folder + "\\Brandoke.exe", "/S", 60000), 0);
    tb::Poll([&] {
        return st::Attributes(log) != INVALID_FILE_ATTRIBUTES ||
               !tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kParametersKey, "Version");
    }, 30000, 50);
    EXPECT_TRUE(WaitUninstallSection());
    EXPECT_EQ(st::Attributes(log), INVALID_FILE_ATTRIBUTES) << "the RunDll32.exe beside the uninstaller ran";
}

// The account library's calls split into "Name(args)" and what each call saw
// ("<destroys>/<hives>"), in order.
struct LaropCall {
    std::string call, outcome, state;
};
std::vector<LaropCall> LaropRecord()
{
    std::string calls, states;
    tb::reg::GetString(HKEY_LOCAL_MACHINE, "Software\\TestBed\\Larop", "Calls", &calls);
    tb::reg::GetString(HKEY_LOCAL_MACHINE, "Software\\TestBed\\Larop", "States", &states);
    std::vector<LaropCall> record;
    for (size_t at = 0, end; (end = calls.find(';', at)) != std::string::npos; at = end + 1) {
        std::string entry = calls.substr(at, end - at);
        size_t eq = entry.find(")=");
        LaropCall c;
        c.call = entry.substr(0, eq == std::string::npos ? entry.size() : eq + 1);
        c.outcome = eq == std::string::npos ? "" : entry.substr(eq + 2);
        record.push_back(c);
    }
    size_t i = 0;
    for (size_t at = 0, end; (end = states.find(';', at)) != std::string::npos && i < record.size(); at = end + 1)
        record[i++].state = states.substr(at, end - at);
    return record;
}

// Every profile in turn, in the order of the hive loop: the user's name, the
// profiles folder, the restore privilege on, the hive loaded for the work only
// and unloaded before the privilege is taken back, whether or not it loaded;
// then the current user's and the machine's keys. The resident program is
// told once before the first clean-up and again only after the last.
TEST_F(Uninstaller, AccountLibraryCallsInOrderForEveryProfile)
{
    ASSERT_TRUE(st::StartResident("stay"));
    ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, "Software\\TestBed\\Larop", "AwaitDestroys", 1));
    ASSERT_EQ(tb::Run(tb::SystemPath("Brandoke.exe"), "/S", 60000), 0);
    std::vector<LaropCall> record = LaropRecord();
    ASSERT_FALSE(record.empty());

    // The library's answers to LpGeLoUs, in order: the user's name and the
    // index to pass next.
    struct Answer {
        std::string name, next;
    };
    std::vector<Answer> answers;
    for (const LaropCall& c : record) {
        if (c.call.compare(0, 9, "LpGeLoUs(") != 0) continue;
        size_t colon = c.outcome.rfind(':');
        answers.push_back({c.outcome.substr(0, colon), colon == std::string::npos ? "0" : c.outcome.substr(colon + 1)});
    }

    // The expected calls, as "call @hives", along the users the library named.
    const std::string persisted = kPersistedKey;
    std::vector<std::string> expected;
    size_t answer = 0;
    bool otherReached = false;
    auto routine = [&](const std::vector<std::string>& hiveWork, const std::vector<std::string>& after) {
        expected.push_back("LpGeCuAcNa() @");
        std::string index = "0";  // the first call takes 0, each later one the index returned
        for (;;) {
            expected.push_back("LpGeLoUs(" + index + ") @");
            if (answer == answers.size()) break;
            const Answer& a = answers[answer++];
            expected.push_back("LpGeProDir() @");
            expected.push_back("LpSeAcTo(SeRestorePrivilege) @");
            if (a.name == "other") {  // the only profile whose hive loads
                otherReached = true;
                for (const std::string& work : hiveWork) expected.push_back(work + " @other");
            }
            expected.push_back("LpReSeAcTo(SeRestorePrivilege) @");
            if (a.next == "0") break;
            index = a.next;
        }
        for (const std::string& call : after) expected.push_back(call + " @");
    };
    routine({"LpReDeKe(HKU,other\\Software\\Tarsido\\USB)", "LpReDeKe2(HKU,other\\Software\\Tarsido)"},
            {"LpReDeKe(HKCU,Software\\Tarsido\\USB)", "LpReDeKe(HKLM,Software\\Tarsido\\USB)",
             "LpReDeKe2(HKCU,Software\\Tarsido)", "LpReDeKe2(HKLM,Software\\Tarsido)"});
    routine({"LpReDeKe(HKU,other\\" + persisted + ")"},
            {"LpReDeKe(HKCU," + persisted + ")", "LpReDeKe(HKLM," + persisted + ")"});

    std::vector<std::string> got;
    std::string destroys;
    for (const LaropCall& c : record) {
        size_t slash = c.state.find('/');
        got.push_back(c.call + " @" + (slash == std::string::npos ? "?" : c.state.substr(slash + 1)));
        destroys += c.state.substr(0, slash) + " ";
    }
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(otherReached);
    // Every call came after the first WM_DESTROY and before the second.
    std::string ones;
    for (size_t i = 0; i < record.size(); ++i) ones += "1 ";
    EXPECT_EQ(destroys, ones) << "WM_DESTROY count seen by each call";
    EXPECT_EQ(st::ResidentDestroys(), 2u);
}

// Before Vista there is no compatibility assistant to clear wholesale: the
// Persisted keys stay, only the two applets' records go.
TEST_F(Uninstaller, OnXpPersistedKeysStay)
{
    ASSERT_TRUE(tb::SetWindowsVersion("winxp64"));
    ASSERT_EQ(tb::Run(tb::SystemPath("Brandoke.exe"), "/s", 60000), 0);
    EXPECT_TRUE(StatusWritten());
    EXPECT_TRUE(tb::reg::KeyExists(HKEY_LOCAL_MACHINE, kPersistedKey));
    EXPECT_TRUE(tb::reg::ValueExists(HKEY_CURRENT_USER, kPersistedKey, "C:\\app.exe"));
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kPersistedKey, sys_ + "\\Pemmick.cpl"));
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kPersistedKey, sys_ + "\\Vintrox.cpl"));
    EXPECT_FALSE(tb::reg::KeyExists(HKEY_CURRENT_USER, "Software\\Tarsido"));
    EXPECT_EQ(LaropCalls().find("Persisted)"), std::string::npos);
}

// Without the account library the settings stay; everything else runs.
TEST_F(Uninstaller, WithoutAccountLibraryTheOtherStepsRun)
{
    ASSERT_TRUE(DeleteFileA(tb::SystemPath("LAROP.dll").c_str()));
    ASSERT_EQ(tb::Run(tb::SystemPath("Brandoke.exe"), "/S", 60000), 0);
    EXPECT_TRUE(StatusWritten());
    EXPECT_TRUE(tb::reg::KeyExists(HKEY_CURRENT_USER, "Software\\Tarsido\\USB"));
    EXPECT_TRUE(tb::reg::KeyExists(HKEY_CURRENT_USER, kPersistedKey));
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kLayersKey, sys_ + "\\Pemmick.cpl"));
    EXPECT_EQ(st::Attributes(InfDir() + "\\oem3.inf"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(st::DeviceIdLists().count("USB\\VID_1F3C&PID_0512"), 0u);
    EXPECT_TRUE(WaitUninstallSection());
}

}  // namespace

namespace {

// The uninstaller runs with administrator rights: a LAROP.dll planted beside
// it, in the folder it was started from or in a folder on PATH never loads
// (its start-up code would run with those rights). The clean-up runs through
// the package's library in the system directory, and without that library the
// settings stay as when there is none.
TEST_F(Uninstaller, LoadsTheAccountLibraryFromTheSystemDirectoryOnly)
{
    const std::string folder = "C:\\plant";
    const std::string planted = folder + "\\LAROP.dll";
    const std::string plantedKey = "Software\\TestBed\\Planted";
    char path[4096] = "";
    GetEnvironmentVariableA("PATH", path, sizeof(path));
    const std::string oldPath = path;
    enum Place { kBeside, kCurrentDirectory, kOnPath };
    struct Case {
        const char* where;
        Place place;
        bool systemLibrary;  // the package's LAROP.dll in the system directory
    } cases[] = {
        {"beside the uninstaller", kBeside, true},
        {"in the current directory", kCurrentDirectory, false},
        {"in a folder on PATH", kOnPath, false},
    };
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(tb::InstallStandin("planted.dll"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, plantedKey);
        tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, "Software\\TestBed\\Larop");
        tb::reg::DeleteValue(HKEY_LOCAL_MACHINE, kParametersKey, "Status");
        ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, "Software\\Tarsido\\USB", "Option", 0x800A4));
        DeleteFileA((folder + "\\Brandoke.exe").c_str());
        ASSERT_TRUE(CopyFileA(tb::SystemPath("planted.dll").c_str(), planted.c_str(), FALSE));
        if (c.systemLibrary)
            ASSERT_TRUE(tb::InstallStandin("LAROP.dll"));
        else
            DeleteFileA(tb::SystemPath("LAROP.dll").c_str());

        std::string program = tb::SystemPath("Brandoke.exe");
        tb::StartOptions options;
        if (c.place == kBeside) {
            program = folder + "\\Brandoke.exe";
            ASSERT_TRUE(CopyFileA(tb::SystemPath("Brandoke.exe").c_str(), program.c_str(), FALSE));
        }
        if (c.place == kCurrentDirectory) options.directory = folder;
        if (c.place == kOnPath) SetEnvironmentVariableA("PATH", (folder + ";" + oldPath).c_str());
        int code = tb::Run(program, "/S", 60000, options);
        SetEnvironmentVariableA("PATH", oldPath.c_str());
        EXPECT_EQ(code, 0);

        std::string loads;
        tb::reg::GetString(HKEY_LOCAL_MACHINE, plantedKey, "Loads", &loads);
        EXPECT_EQ(loads, "") << "the planted library ran";
        EXPECT_TRUE(StatusWritten());
        EXPECT_EQ(tb::reg::KeyExists(HKEY_CURRENT_USER, "Software\\Tarsido\\USB"), !c.systemLibrary);
        std::string calls = LaropCalls();
        if (c.systemLibrary)
            EXPECT_NE(calls.find("LpReDeKe(HKCU,Software\\Tarsido\\USB)=removed;"), std::string::npos) << calls;
        else
            EXPECT_EQ(calls, "");
        DeleteFileA(planted.c_str());
    }
}

// Two panels of one kind: each is removed, not only the first one found.
TEST_F(Uninstaller, TwoPanelsOfOneKindBothGo)
{
    ASSERT_TRUE(st::CreateDevice({"USB\\VID_1F3C&PID_0512"}));
    ASSERT_TRUE(st::CreateDevice({"HID\\VID_1F3C&PID_0512"}));
    ASSERT_TRUE(st::CreateDevice({"HID\\VID_1F3C&PID_0512"}));
    ASSERT_EQ(st::DeviceIdLists().count("USB\\VID_1F3C&PID_0512"), 2u);
    ASSERT_EQ(tb::Run(tb::SystemPath("Brandoke.exe"), "/S", 60000), 0);
    std::multiset<std::string> left = st::DeviceIdLists();
    EXPECT_EQ(left.count("USB\\VID_1F3C&PID_0512"), 0u);
    EXPECT_EQ(left.count("HID\\VID_1F3C&PID_0512"), 0u);
    EXPECT_EQ(left.count("usb\\vid_1f3c&pid_0512"), 1u);
}

// A device that carries no hardware ids at all, listed before the panels, is
// passed over: the panels after it still go.
TEST_F(Uninstaller, DeviceWithoutHardwareIdsIsPassedOver)
{
    // Named so that the device list holds it before the Mouse devices.
    ASSERT_TRUE(st::CreateDevice({}, "AAAPLAIN"));
    std::vector<std::string> order = st::DeviceIdListsInOrder();
    auto at = [&](const std::string& ids) { return std::find(order.begin(), order.end(), ids) - order.begin(); };
    ASSERT_LT(at(""), at("USB\\VID_1F3C&PID_0512")) << "the device without ids must come first";
    ASSERT_EQ(tb::Run(tb::SystemPath("Brandoke.exe"), "/S", 60000), 0);
    std::multiset<std::string> left = st::DeviceIdLists();
    EXPECT_EQ(left.count(""), 1u);
    EXPECT_EQ(left.count("USB\\VID_1F3C&PID_0512"), 0u);
    EXPECT_EQ(left.count("HID\\VID_1F3C&PID_0500"), 0u);
}

// A piece of the machine that is missing skips only the step that needs it:
// the settings, the INF copies and the uninstall section go all the same, and
// the panels too unless the removal INF that names their class is missing.
struct MissingPiece {
    const char* what;
    bool panelsGo;
};
void RemoveWithout(const std::string& sys, const MissingPiece& c)
{
    SCOPED_TRACE(c.what);
    ASSERT_EQ(tb::Run(tb::SystemPath("Brandoke.exe"), "/S", 60000), 0);
    EXPECT_TRUE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kParametersKey, "Status"));
    EXPECT_FALSE(tb::reg::KeyExists(HKEY_CURRENT_USER, "Software\\Tarsido"));
    EXPECT_FALSE(tb::reg::KeyExists(HKEY_CURRENT_USER, kPersistedKey));
    EXPECT_EQ(st::Attributes(InfDir() + "\\oem3.inf"), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kLayersKey, sys + "\\Pemmick.cpl"));
    std::multiset<std::string> devices = st::DeviceIdLists();
    EXPECT_EQ(devices.count("USB\\VID_1F3C&PID_0512"), c.panelsGo ? 0u : 1u);
    EXPECT_EQ(devices.count("HID\\VID_1F3C&PID_0500"), c.panelsGo ? 0u : 1u);
}

TEST_F(Uninstaller, MissingPiecesWithoutCompatibilityKeys)
{
    ASSERT_TRUE(tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, kLayersKey));
    ASSERT_TRUE(tb::reg::DeleteTree(HKEY_CURRENT_USER, kPersistedKey));
    RemoveWithout(sys_, {"no compatibility layers key, no Persisted key", true});
    EXPECT_TRUE(WaitUninstallSection());
}

TEST_F(Uninstaller, MissingPiecesWithoutTheRemovalInf)
{
    ASSERT_TRUE(DeleteFileA(tb::SystemPath("wexant.del").c_str()));
    RemoveWithout(sys_, {"no removal INF", false});
}

// The uninstall section cannot start: the applet's layers value, removed
// after that start, goes all the same.
TEST_F(Uninstaller, MissingPiecesWithoutRunDll32)
{
    ASSERT_TRUE(DeleteFileA(tb::SystemPath("rundll32.exe").c_str()));
    RemoveWithout(sys_, {"no RunDll32", true});
}

}  // namespace
