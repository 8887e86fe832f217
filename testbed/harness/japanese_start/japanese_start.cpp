// Starts a program in the Japanese mode for the harness. The harness runs this
// from the Unix side with the Japanese locale, which its child inherits, as
//
//   tb_japanese_start.exe <pid file> <event name> <program> [arguments ...]
//
// It starts the program with the arguments joined again as Windows joins them
// (an argument with a blank or a quote is quoted), writes the child's process
// id into the pid file, and keeps the child's handle open until the harness
// signals the event (or a minute has passed). So the harness can open the
// child by its id however briefly the child runs, and read its exit code.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

// One argument as CommandLineToArgvW reads it back, written as wine writes
// the arguments it is given: quoted when empty or holding a blank, a quote
// escaped (with the backslashes before it doubled) in any case.
std::wstring Quoted(const std::wstring& arg)
{
    const bool quote = arg.empty() || arg.find_first_of(L" \t") != std::wstring::npos;
    std::wstring out = quote ? L"\"" : L"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    // Backslashes at the end stand before the closing quote only when there is one.
    out.append(quote ? backslashes * 2 : backslashes, L'\\');
    return quote ? out + L"\"" : out;
}

bool WritePid(const std::wstring& path, DWORD pid)
{
    // Written under another name and renamed, so the harness never reads half a number.
    const std::wstring partial = path + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const std::string text = std::to_string(pid);
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

HANDLE Inheritable(DWORD which)
{
    HANDLE copy = nullptr;
    HANDLE handle = GetStdHandle(which);
    if (handle && handle != INVALID_HANDLE_VALUE)
        DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS);
    return copy;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv || count < 4) return 2;
    const std::wstring pidFile = argv[1];
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, argv[2]);
    std::wstring line;
    for (int i = 3; i < count; ++i) line += (i > 3 ? L" " : L"") + Quoted(argv[i]);
    LocalFree(argv);

    // The child writes where this program's output goes (a file when the harness captures it).
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = Inheritable(STD_INPUT_HANDLE);
    startup.hStdOutput = Inheritable(STD_OUTPUT_HANDLE);
    startup.hStdError = Inheritable(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        WritePid(pidFile, 0);
        return 3;
    }
    CloseHandle(child.hThread);
    if (!WritePid(pidFile, child.dwProcessId)) return 4;
    if (done) WaitForSingleObject(done, 60000);
    CloseHandle(child.hProcess);
    return 0;
}
