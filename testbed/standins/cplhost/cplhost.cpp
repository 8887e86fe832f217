// A control panel host for tests: loads an applet library, sends CPlApplet the
// messages named on the command line (by default the order a control panel
// uses to list an entry and open it) and writes what each returned into a
// report file, one line a message. Texts are written as the applet gave them.
//
//   cplhost <applet> <report> [message ...]
//
// Messages: init getcount inquire newinquire select dblclk stop exit, and two
// of the host's own: forget (deletes the applet's compatibility value) and
// persisted (reports that value).
#include <windows.h>
#include <cpl.h>

#include <stdio.h>
#include <string.h>

#include <string>

static const char kPersistedKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";

static FILE* g_report = nullptr;
static APPLET_PROC g_proc = nullptr;
static LPARAM g_lData = 0;

static void Report(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vfprintf(g_report, format, args);
    va_end(args);
    fputc('\n', g_report);
    fflush(g_report);
}

static std::string AppletValueName()
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    return std::string(path) + "\\Pemmick.cpl";
}

static std::string IconSize(HICON icon)
{
    if (!icon) return "none";
    ICONINFO info;
    if (!GetIconInfo(icon, &info)) return "invalid";
    BITMAP bitmap;
    std::string size = "?";
    if (GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap)) {
        char text[32];
        snprintf(text, sizeof(text), "%ldx%ld", bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2);
        size = text;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return size;
}

// The record is handed over filled with a pattern, so that fields the applet
// leaves alone and writes past its end show in the report.
static void NewInquire(HWND host)
{
    unsigned char buffer[sizeof(NEWCPLINFOA) + 16];
    memset(buffer, 0xCC, sizeof(buffer));
    NEWCPLINFOA* info = reinterpret_cast<NEWCPLINFOA*>(buffer);
    LONG result = g_proc(host, CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(info));
    bool tailKept = true;
    for (size_t i = sizeof(NEWCPLINFOA); i < sizeof(buffer); ++i) tailKept = tailKept && buffer[i] == 0xCC;
    bool terminated = memchr(info->szName, 0, sizeof(info->szName)) && memchr(info->szInfo, 0, sizeof(info->szInfo)) &&
                      memchr(info->szHelpFile, 0, sizeof(info->szHelpFile));
    if (!terminated) {
        Report("CPL_NEWINQUIRE %ld unterminated", result);
        return;
    }
    g_lData = info->lData;
    Report("CPL_NEWINQUIRE %ld size=%lu flags=%lu help=%lu data=%lld icon=%s tail=%s", result, info->dwSize,
           info->dwFlags, info->dwHelpContext, static_cast<long long>(info->lData), IconSize(info->hIcon).c_str(),
           tailKept ? "kept" : "overwritten");
    Report("name=%s", info->szName);
    Report("info=%s", info->szInfo);
    Report("helpfile=%s", info->szHelpFile);
}

static void Inquire(HWND host)
{
    unsigned char buffer[sizeof(CPLINFO)];
    memset(buffer, 0xCC, sizeof(buffer));
    LONG result = g_proc(host, CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(buffer));
    bool untouched = true;
    for (unsigned char b : buffer) untouched = untouched && b == 0xCC;
    Report("CPL_INQUIRE %ld %s", result, untouched ? "untouched" : "filled");
}

static void Persisted()
{
    HKEY key;
    DWORD type = 0, value = 0, size = sizeof(value);
    LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, kPersistedKey, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExA(key, AppletValueName().c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                  &size);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        Report("persisted none");
    else
        Report("persisted type=%lu size=%lu value=%lu", type, size, value);
}

static void Forget()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPersistedKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, AppletValueName().c_str());
        RegCloseKey(key);
    }
    Report("forget");
}

static void Send(HWND host, const char* name)
{
    static const struct {
        const char* name;
        UINT message;
        const char* label;
    } simple[] = {
        {"init", CPL_INIT, "CPL_INIT"},     {"getcount", CPL_GETCOUNT, "CPL_GETCOUNT"},
        {"select", CPL_SELECT, "CPL_SELECT"}, {"dblclk", CPL_DBLCLK, "CPL_DBLCLK"},
        {"stop", CPL_STOP, "CPL_STOP"},     {"exit", CPL_EXIT, "CPL_EXIT"},
    };
    for (const auto& entry : simple) {
        if (strcmp(name, entry.name) != 0) continue;
        LPARAM second = (entry.message == CPL_DBLCLK || entry.message == CPL_STOP) ? g_lData : 0;
        Report("%s %ld", entry.label, g_proc(host, entry.message, 0, second));
        return;
    }
    if (strcmp(name, "inquire") == 0) return Inquire(host);
    if (strcmp(name, "newinquire") == 0) return NewInquire(host);
    if (strcmp(name, "persisted") == 0) return Persisted();
    if (strcmp(name, "forget") == 0) return Forget();
    Report("unknown %s", name);
}

int main(int argc, char** argv)
{
    if (argc < 3) return 2;
    g_report = fopen(argv[2], "wb");
    if (!g_report) return 2;
    HMODULE applet = LoadLibraryA(argv[1]);
    if (!applet) {
        Report("load failed %lu", GetLastError());
        return 1;
    }
    g_proc = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(applet, "CPlApplet")));
    if (!g_proc) {
        Report("no CPlApplet");
        return 1;
    }
    Report("load ok");
    // The host's window: the applet may use it as the owner of what it shows.
    HWND host = CreateWindowExA(0, "STATIC", "cplhost", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    static const char* const kDefault[] = {"init", "getcount", "inquire", "newinquire", "dblclk", "stop", "exit"};
    if (argc > 3)
        for (int i = 3; i < argc; ++i) Send(host, argv[i]);
    else
        for (const char* name : kDefault) Send(host, name);
    FreeLibrary(applet);
    Report("unload");
    DestroyWindow(host);
    fclose(g_report);
    return 0;
}
