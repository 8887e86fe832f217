// Pemmick.cpl loaded by the test bed's control panel host (which reports every
// answer into a file) and by Wine's own control panel; the settings program is
// a recorder that notes each start.
#include <gtest/gtest.h>

#include "harness.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kPersistedKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// A buffer inside another process, for list view messages that carry pointers.
class RemoteBuffer {
public:
    RemoteBuffer(DWORD pid, size_t size)
        : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)),
          size_(size)
    {
        if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool Valid() const { return address_ != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const
    {
        return offset + size <= size_ && WriteProcessMemory(process_, At(offset), data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        return offset + size <= size_ && ReadProcessMemory(process_, At(offset), data, size, nullptr);
    }

private:
    HANDLE process_;
    void* address_ = nullptr;
    size_t size_;
};

struct ListItem {
    std::wstring text;
    RECT icon = {0, 0, 0, 0};  // on the screen
};

// The items of a list view of another process: texts and icon places.
std::vector<ListItem> ListItems(HWND list, DWORD pid)
{
    std::vector<ListItem> items;
    RemoteBuffer remote(pid, 4096);
    if (!remote.Valid()) return items;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LVITEMW item = {};
        item.iSubItem = 0;
        item.pszText = reinterpret_cast<LPWSTR>(remote.At(1024));
        item.cchTextMax = 256;
        ListItem found;
        if (remote.Write(0, &item, sizeof(item)) &&
            SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote.At(0))) > 0) {
            wchar_t text[256] = {0};
            remote.Read(1024, text, sizeof(text) - sizeof(wchar_t));
            found.text = text;
        }
        RECT rect = {LVIR_ICON, 0, 0, 0};
        if (remote.Write(0, &rect, sizeof(rect)) &&
            SendMessageA(list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(remote.At(0))) &&
            remote.Read(0, &rect, sizeof(rect))) {
            MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
            found.icon = rect;
        }
        items.push_back(found);
    }
    return items;
}

// Pixels of the applet icon's screen blue inside a rectangle of the screen.
int BluePixels(const RECT& rect)
{
    HDC screen = GetDC(nullptr);
    int blue = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (GetPixel(screen, x, y) == RGB(0, 0, 255)) ++blue;
    ReleaseDC(nullptr, screen);
    return blue;
}

HWND FindListView(DWORD pid)
{
    for (HWND top : tb::TopWindows(pid))
        for (HWND child : tb::Children(top))
            if (tb::ClassOf(child) == "SysListView32") return child;
    return nullptr;
}

std::string AppletPath() { return tb::SystemPath("Pemmick.cpl"); }
std::string RecorderLog() { return tb::SystemPath("Quintrel.exe.log"); }
// The show command of each start, as the recorder got it.
std::string RecorderShowLog() { return tb::SystemPath("Quintrel.exe.show"); }

class Applet : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tb::InstallStandin("cplhost.exe"));
        ASSERT_TRUE(tb::InstallStandin("quintrel_recorder.exe", "Quintrel.exe"));
        DeleteFileA(RecorderLog().c_str());
        DeleteFileA(RecorderShowLog().c_str());
    }

    // Runs the host with these messages (none: the host's own order) and
    // returns its report, one line a message.
    std::vector<std::string> Host(const std::string& messages, bool japanese = false)
    {
        const std::string report = ReportPath();
        tb::StartOptions options;
        options.japanese = japanese;
        int code = tb::Run(tb::SystemPath("cplhost.exe"), "\"" + AppletPath() + "\" \"" + report + "\" " + messages,
                           30000, options);
        EXPECT_EQ(code, 0);
        return TakeReport(report);
    }

    static std::string ReportPath()
    {
        std::string report = tb::ArtifactDir() + "\\cplhost-report.txt";
        DeleteFileA(report.c_str());
        return report;
    }

    static std::vector<std::string> TakeReport(const std::string& report)
    {
        std::vector<std::string> lines = Lines(tb::ReadFileText(report));
        DeleteFileA(report.c_str());
        return lines;
    }

    // The recorder's lines once count starts have been recorded (or the time
    // ran out: each start is a new Wine process, slow on a loaded machine).
    std::vector<std::string> Starts(size_t count)
    {
        std::vector<std::string> lines;
        tb::Poll([&] {
            lines = Lines(tb::ReadFileText(RecorderLog()));
            return lines.size() >= count;
        }, 20000);
        return lines;
    }

    static std::string PersistedValueName() { return AppletPath(); }
};

}  // namespace

TEST_F(Applet, HostListsTheEntryInEnglishAndOpensTheSettings)
{
    std::vector<std::string> report = Host("");
    const std::vector<std::string> expected = {
        "load ok",
        "CPL_INIT 1",
        "CPL_GETCOUNT 1",
        "CPL_INQUIRE 0 untouched",
        "CPL_NEWINQUIRE 0 size=252 flags=0 help=0 data=0 icon=32x32 tail=kept",
        "name=Touch Panel",
        "info=Configures Touch Panel",
        "helpfile=",
        "CPL_DBLCLK 0",
        "CPL_STOP 0",
        "CPL_EXIT 0",
        "unload",
    };
    EXPECT_EQ(report, expected);
    std::vector<std::string> starts = Starts(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], tb::SystemPath("Quintrel.exe"));
    // Started as a normal window, which the settings sheet then shows.
    EXPECT_EQ(Lines(tb::ReadFileText(RecorderShowLog())), std::vector<std::string>{"1"});
}

TEST_F(Applet, HostListsTheEntryInJapanese)
{
    std::vector<std::string> report = Host("init newinquire exit", true);
    const std::vector<std::string> expected = {
        "load ok",
        "CPL_INIT 1",
        "CPL_NEWINQUIRE 0 size=252 flags=0 help=0 data=0 icon=32x32 tail=kept",
        "name=タッチパネル",
        "info=タッチパネルの設定",
        "helpfile=",
        "CPL_EXIT 0",
        "unload",
    };
    EXPECT_EQ(report, expected);
}

TEST_F(Applet, UseCountSetsTheAppletUpAtTheFirstInitOnly)
{
    // forget removes the compatibility value between two messages: only an
    // init that sets the applet up writes it again.
    std::vector<std::string> report =
        Host("persisted init persisted forget init persisted exit init persisted exit exit forget init persisted "
             "exit exit exit forget init persisted exit");
    const std::vector<std::string> expected = {
        "load ok",
        "persisted none",
        "CPL_INIT 1",
        "persisted type=4 size=4 value=16",
        "forget",
        "CPL_INIT 1",  // count 2: not set up again
        "persisted none",
        "CPL_EXIT 0",
        "CPL_INIT 1",  // count back to 2
        "persisted none",
        "CPL_EXIT 0",
        "CPL_EXIT 0",
        "forget",
        "CPL_INIT 1",  // after the last exit: set up again
        "persisted type=4 size=4 value=16",
        "CPL_EXIT 0",
        "CPL_EXIT 0",  // one exit too many does not keep the next init from setting up
        "CPL_EXIT 0",
        "forget",
        "CPL_INIT 1",
        "persisted type=4 size=4 value=16",
        "CPL_EXIT 0",
        "unload",
    };
    EXPECT_EQ(report, expected);
    // The value stays behind for the uninstaller, named by the applet's path in the system directory.
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(tb::reg::GetBinary(HKEY_CURRENT_USER, kPersistedKey, PersistedValueName(), &data, &type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, (std::vector<uint8_t>{16, 0, 0, 0}));
}

TEST_F(Applet, EveryDoubleClickStartsTheSettingsProgram)
{
    // The settings program keeps itself to one copy; the applet starts it each time.
    std::vector<std::string> report = Host("init dblclk dblclk exit");
    const std::vector<std::string> expected = {"load ok", "CPL_INIT 1", "CPL_DBLCLK 0", "CPL_DBLCLK 0", "CPL_EXIT 0",
                                               "unload"};
    EXPECT_EQ(report, expected);
    std::vector<std::string> starts = Starts(2);
    ASSERT_EQ(starts.size(), 2u);
    for (const std::string& line : starts) EXPECT_EQ(line, tb::SystemPath("Quintrel.exe"));
}

TEST_F(Applet, DoubleClickWithoutTheSettingsProgramDoesNothing)
{
    ASSERT_TRUE(DeleteFileA(tb::SystemPath("Quintrel.exe").c_str()));
    std::vector<std::string> report = Host("init dblclk exit");
    const std::vector<std::string> expected = {"load ok", "CPL_INIT 1", "CPL_DBLCLK 0", "CPL_EXIT 0", "unload"};
    EXPECT_EQ(report, expected);
    EXPECT_TRUE(tb::WaitMessageBox(300).window == nullptr);
}

// A Persisted key the user may not write: no record, and the entry is listed
// and opens the settings as usual.
TEST_F(Applet, WithoutItsCompatibilityRecordTheEntryStillOpensTheSettings)
{
    ASSERT_TRUE(tb::reg::CreateKey(HKEY_CURRENT_USER, kPersistedKey));
    std::vector<uint8_t> saved;
    ASSERT_TRUE(tb::MakeKeyReadOnly(HKEY_CURRENT_USER, kPersistedKey, &saved));
    std::vector<std::string> report = Host("init newinquire dblclk exit");
    const std::vector<std::string> expected = {
        "load ok",    "CPL_INIT 1",
        "CPL_NEWINQUIRE 0 size=252 flags=0 help=0 data=0 icon=32x32 tail=kept",
        "name=Touch Panel", "info=Configures Touch Panel", "helpfile=", "CPL_DBLCLK 0", "CPL_EXIT 0", "unload",
    };
    EXPECT_EQ(report, expected);
    std::vector<std::string> starts = Starts(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], tb::SystemPath("Quintrel.exe"));
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kPersistedKey, PersistedValueName()));
    EXPECT_TRUE(tb::RestoreKeySecurity(HKEY_CURRENT_USER, kPersistedKey, saved));
}

TEST_F(Applet, WineControlPanelOpensTheSettings)
{
    // Wine's host opens the only entry of an applet named on its command line.
    ASSERT_EQ(tb::Run(tb::SystemPath("control.exe"), "\"" + AppletPath() + "\""), 0);
    std::vector<std::string> starts = Starts(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], tb::SystemPath("Quintrel.exe"));
    DWORD flags = 0;
    EXPECT_TRUE(tb::reg::GetDword(HKEY_CURRENT_USER, kPersistedKey, PersistedValueName(), &flags));
    EXPECT_EQ(flags, 16u);
}

TEST_F(Applet, WineControlPanelListsTheEntryWithItsNameAndIcon)
{
    const struct {
        bool japanese;
        const wchar_t* name;
    } cases[] = {
        {false, L"Touch Panel"},
        {true, L"\u30BF\u30C3\u30C1\u30D1\u30CD\u30EB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.japanese ? "Japanese" : "English");
        tb::StartOptions options;
        options.japanese = c.japanese;
        tb::Process control = tb::Start("control.exe", "", options);
        ASSERT_TRUE(control.Valid());
        HWND list = nullptr;
        const ListItem* entry = nullptr;
        std::vector<ListItem> items;
        ASSERT_TRUE(tb::Poll([&] {
            list = FindListView(control.Pid());
            if (!list) return false;
            items = ListItems(list, control.Pid());
            entry = nullptr;
            for (const ListItem& item : items)
                if (item.text == c.name) entry = &item;
            return entry != nullptr;
        }, 15000));
        // The icon's screen, drawn by the host from the handle the entry gave it.
        ASSERT_TRUE(tb::Poll([&] { return BluePixels(entry->icon) > 20; }, 5000)) << tb::Screenshot("listing");
        control.Kill();
        ASSERT_TRUE(control.WaitExit());
    }
    // Listing alone opens nothing.
    EXPECT_TRUE(Lines(tb::ReadFileText(RecorderLog())).empty());
}

namespace {

// The host finds the applet's one function by name; it is also export ordinal 1.
TEST(AppletExports, CPlAppletByNameAndAsOrdinalOne)
{
    HMODULE applet = LoadLibraryExA(AppletPath().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(applet, nullptr);
    FARPROC byName = GetProcAddress(applet, "CPlApplet");
    EXPECT_NE(byName, nullptr);
    EXPECT_EQ(GetProcAddress(applet, MAKEINTRESOURCEA(1)), byName);
    FreeLibrary(applet);
}

}  // namespace
