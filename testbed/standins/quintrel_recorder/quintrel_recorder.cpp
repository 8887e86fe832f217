// Stands in for the settings program: records each start as one line, the
// command line as received, in a file named after itself with ".log" added
// (C:\windows\system32\Quintrel.exe.log when installed as Quintrel.exe), and
// the show command its starter asked for (a number, or "default" when none was
// given) as one line in the same name with ".show" added; then ends.
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

// Appends one line to the file; starts in quick succession append in turn.
bool AppendLine(const char* path, const char* line)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        if (file == INVALID_HANDLE_VALUE) Sleep(10);
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    char show[16] = "default";
    if (startup.dwFlags & STARTF_USESHOWWINDOW) snprintf(show, sizeof show, "%u", startup.wShowWindow);
    strcpy(path + length, ".show");
    if (!AppendLine(path, show)) return 1;
    strcpy(path + length, ".log");
    return AppendLine(path, GetCommandLineA()) ? 0 : 1;
}
