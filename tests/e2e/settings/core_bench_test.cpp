// Start-up benchmark (printed, not checked against a limit): from process start
// to the sheet visible, for Quintrel and for a bare PropertySheetA program
// started the same way in the same run.
#include "core_support.h"

#include <algorithm>

namespace {

// The folder of this test program, where the bare sheet program is staged.
std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

// Milliseconds from the start call to a visible top-level dialog of the process.
double TimeToVisibleSheet(const std::string& path) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    tb::Process process = tb::StartPath(path);
    if (!process.Valid()) return -1;
    HWND window = nullptr;
    bool visible = tb::Poll(
        [&] {
            if (!window) window = tb::WaitWindow("#32770", nullptr, 0, process.Pid());
            return window && IsWindowVisible(window);
        },
        15000, 2);
    QueryPerformanceCounter(&end);
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    if (!process.WaitExit(5000)) process.Kill();
    return visible ? (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart : -1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

TEST(SettingsBench, StartToVisibleSheetAgainstABareSheet) {
    const std::string quintrel = tb::SystemPath("Quintrel.exe");
    const std::string bare = OwnFolder() + "\\settings_bare_sheet.exe";
    std::vector<double> q, b;
    // One warm-up each, then alternate, so both meet the same state of the prefix.
    TimeToVisibleSheet(bare);
    TimeToVisibleSheet(quintrel);
    for (int i = 0; i < 7; ++i) {
        b.push_back(TimeToVisibleSheet(bare));
        q.push_back(TimeToVisibleSheet(quintrel));
    }
    ASSERT_GT(*std::min_element(b.begin(), b.end()), 0) << "the bare sheet did not show";
    ASSERT_GT(*std::min_element(q.begin(), q.end()), 0) << "Quintrel's sheet did not show";
    double mq = Median(q), mb = Median(b);
    printf("[bench] start to visible sheet, median of %zu: Quintrel %.1f ms, bare PropertySheetA %.1f ms, "
           "ratio %.2f (goal within 1.5)\n", q.size(), mq, mb, mq / mb);
}
