#include "support.h"

#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include <gtest/gtest.h>

#include "harness.h"

namespace st {

namespace {
const char kNewdevKey[] = "Software\\TestBed\\Newdev";
const char kResidentKey[] = "Software\\TestBed\\Resident";
const GUID kMouseClass = {0x4D36E96F, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

bool GetQword(HKEY root, const char* path, const std::string& name, uint64_t* value)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != 0) return false;
    DWORD size = sizeof(*value);
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return status == 0 && size == 8;
}
}  // namespace

uint64_t NowUs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<uint64_t>(count.QuadPart / frequency.QuadPart * 1000000 +
                                 count.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
}

std::string Utf8Text(HWND window)
{
    if (!window) return std::string();
    wchar_t wide[2048];
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG, 10000, &got))
        return std::string();
    char text[8192];
    int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(got), text, sizeof(text), nullptr, nullptr);
    return std::string(text, n > 0 ? n : 0);
}

std::string MessageText(HWND box)
{
    return Utf8Text(GetDlgItem(box, 0xFFFF));
}

bool ShowsIcon(HWND box)
{
    for (HWND child : tb::Children(box))
        if (tb::ClassOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            tb::IsVisible(child) && SendMessageA(child, STM_GETICON, 0, 0) != 0)
            return true;
    return false;
}

tb::MessageBoxInfo WaitBox(DWORD pid, DWORD timeoutMs)
{
    tb::MessageBoxInfo info;
    tb::Poll([&] {
        for (HWND w : tb::TopWindows(pid)) {
            if (tb::ClassOf(w) != "#32770" || !tb::IsVisible(w) || !GetDlgItem(w, 0xFFFF)) continue;
            if (!GetDlgItem(w, IDOK) && !GetDlgItem(w, IDCANCEL)) continue;
            // Every box of these programs has a text; an empty one is not set up yet.
            std::string text = MessageText(w);
            if (text.empty()) continue;
            info.window = w;
            info.caption = Utf8Text(w);
            info.text = text;
            return true;
        }
        return false;
    }, timeoutMs, 20);
    return info;
}

bool WatchToEnd(const tb::Process& p, DWORD timeoutMs, std::vector<std::string>* boxes, bool* shown)
{
    std::set<HWND> answered;
    bool visible = false;
    bool ended = tb::Poll([&] {
        for (HWND w : tb::TopWindows(p.Pid())) {
            if (!tb::IsVisible(w)) continue;
            visible = true;
            if (answered.count(w) || tb::ClassOf(w) != "#32770" || !GetDlgItem(w, 0xFFFF)) continue;
            std::string text = MessageText(w);
            if (text.empty()) continue;  // not set up yet
            answered.insert(w);
            boxes->push_back(text);
            tb::PressButton(w, GetDlgItem(w, IDOK) ? IDOK : IDCANCEL);
        }
        return !p.Running();
    }, timeoutMs, 5);
    if (shown) *shown = visible;
    return ended;
}

void ExpectEndsSilently(const tb::Process& p)
{
    std::vector<std::string> boxes;
    bool shown = true;
    ASSERT_TRUE(WatchToEnd(p, 30000, &boxes, &shown));
    DWORD code = 99;
    ASSERT_TRUE(p.WaitExit(1000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_FALSE(shown);
}

bool UseNewdevStandin(const std::string& succeedId)
{
    tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, kNewdevKey);
    if (!succeedId.empty() && !tb::reg::SetString(HKEY_LOCAL_MACHINE, kNewdevKey, "Succeed", succeedId))
        return false;
    return tb::InstallStandin("newdev.dll") &&
           tb::reg::SetString(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "newdev", "native");
}

std::vector<NewdevCall> NewdevCalls()
{
    std::vector<NewdevCall> calls;
    DWORD count = 0;
    if (!tb::reg::GetDword(HKEY_LOCAL_MACHINE, kNewdevKey, "Count", &count)) return calls;
    for (DWORD i = 0; i < count; ++i) {
        NewdevCall c;
        std::string n = std::to_string(i);
        tb::reg::GetString(HKEY_LOCAL_MACHINE, kNewdevKey, "Id" + n, &c.id);
        tb::reg::GetString(HKEY_LOCAL_MACHINE, kNewdevKey, "Inf" + n, &c.inf);
        tb::reg::GetString(HKEY_LOCAL_MACHINE, kNewdevKey, "Parent" + n, &c.parent);
        tb::reg::GetDword(HKEY_LOCAL_MACHINE, kNewdevKey, "Flags" + n, &c.flags);
        tb::reg::GetDword(HKEY_LOCAL_MACHINE, kNewdevKey, "Reboot" + n, &c.reboot);
        GetQword(HKEY_LOCAL_MACHINE, kNewdevKey, "Time" + n, &c.timeUs);
        calls.push_back(c);
    }
    return calls;
}

std::vector<std::string> NewdevLoads()
{
    std::vector<std::string> loads;
    std::string all;
    tb::reg::GetString(HKEY_LOCAL_MACHINE, kNewdevKey, "Loads", &all);
    for (size_t at = 0, end; (end = all.find(';', at)) != std::string::npos; at = end + 1)
        loads.push_back(all.substr(at, end - at));
    return loads;
}

bool StartResident(const std::string& mode)
{
    tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, kResidentKey);
    if (!tb::InstallStandin("ResidentStandin.exe")) return false;
    tb::Process p = tb::Start("ResidentStandin.exe", mode);
    if (!p.Valid()) return false;
    return tb::WaitWindow("TAVRICK:MAIN", "TAVRICK", 30000, p.Pid()) != nullptr;
}

DWORD ResidentDestroys()
{
    DWORD n = 0;
    tb::reg::GetDword(HKEY_LOCAL_MACHINE, kResidentKey, "Destroys", &n);
    return n;
}

uint64_t ResidentTime(const std::string& name)
{
    uint64_t t = 0;
    GetQword(HKEY_LOCAL_MACHINE, kResidentKey, name, &t);
    return t;
}

bool CreateDevice(const std::vector<std::string>& ids, const char* name)
{
    HDEVINFO set = SetupDiCreateDeviceInfoList(&kMouseClass, nullptr);
    if (set == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    std::string list;
    for (const std::string& id : ids) list += id + '\0';
    list += '\0';
    bool ok = SetupDiCreateDeviceInfoA(set, name, &kMouseClass, nullptr, nullptr, DICD_GENERATE_ID, &device) &&
              (ids.empty() || SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                                                reinterpret_cast<const BYTE*>(list.data()),
                                                                static_cast<DWORD>(list.size()))) &&
              SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device);
    SetupDiDestroyDeviceInfoList(set);
    return ok;
}

namespace {
// Calls visit with each device's hardware-id strings.
void ForEachDevice(const std::function<void(HDEVINFO, SP_DEVINFO_DATA*, const std::vector<std::string>&)>& visit)
{
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        char buffer[4096] = {};
        DWORD size = 0;
        std::vector<std::string> ids;
        if (SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, nullptr,
                                              reinterpret_cast<BYTE*>(buffer), sizeof(buffer) - 2, &size)) {
            for (const char* s = buffer; *s && s < buffer + sizeof(buffer) - 2; s += strlen(s) + 1) ids.push_back(s);
        }
        visit(set, &device, ids);
    }
    SetupDiDestroyDeviceInfoList(set);
}
}  // namespace

std::vector<std::string> DeviceIdListsInOrder()
{
    std::vector<std::string> lists;
    ForEachDevice([&](HDEVINFO, SP_DEVINFO_DATA*, const std::vector<std::string>& ids) {
        std::string joined;
        for (const std::string& id : ids) joined += (joined.empty() ? "" : "|") + id;
        lists.push_back(joined);
    });
    return lists;
}

std::multiset<std::string> DeviceIdLists()
{
    std::vector<std::string> lists = DeviceIdListsInOrder();
    return std::multiset<std::string>(lists.begin(), lists.end());
}

std::string DeviceDriver(const std::string& firstId)
{
    std::string driver;
    ForEachDevice([&](HDEVINFO set, SP_DEVINFO_DATA* device, const std::vector<std::string>& ids) {
        if (ids.empty() || ids[0] != firstId) return;
        char buffer[512] = {};
        if (SetupDiGetDeviceRegistryPropertyA(set, device, SPDRP_DRIVER, nullptr, reinterpret_cast<BYTE*>(buffer),
                                              sizeof(buffer) - 1, nullptr))
            driver = buffer;
    });
    return driver;
}

namespace {
void Snapshot(HKEY key, const std::string& label, std::set<std::string>* out, int depth)
{
    out->insert("KEY\\" + label);
    char name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(name);
        if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != 0) break;
        out->insert("VAL\\" + label + "\\" + std::string(name, size));
    }
    if (depth > 40) return;
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != 0) break;
        subkeys.emplace_back(name, size);
    }
    for (const std::string& sub : subkeys) {
        HKEY child;
        if (RegOpenKeyExA(key, sub.c_str(), 0, KEY_READ, &child) != 0) continue;
        Snapshot(child, label + "\\" + sub, out, depth + 1);
        RegCloseKey(child);
    }
}
}  // namespace

std::set<std::string> RegistrySnapshot(HKEY root, const std::string& path, const std::string& label)
{
    std::set<std::string> out;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != 0) return out;
    Snapshot(key, label, &out, 0);
    RegCloseKey(key);
    return out;
}

std::set<std::string> FolderSnapshot(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            std::string n = data.cFileName;
            std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return static_cast<char>(toupper(c)); });
            names.insert(n);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

void Shot(HWND window, const std::string& name)
{
    // Painted once neither the window nor a child has an update region left;
    // the short pause lets the X server draw what was painted.
    tb::Poll([&] {
        if (GetUpdateRect(window, nullptr, FALSE)) return false;
        for (HWND child : tb::Children(window))
            if (GetUpdateRect(child, nullptr, FALSE)) return false;
        return true;
    }, 5000, 20);
    Sleep(200);
    tb::Screenshot(name);
}

bool WriteFile(const std::string& path, const std::string& text)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

DWORD Attributes(const std::string& path)
{
    return GetFileAttributesA(path.c_str());
}

}  // namespace st
