// Process start to first paint: Jostel against a bare full-screen window
// program, in the same run. Prints figures; asserts nothing about time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "jostel_fixture.h"

namespace {

std::string TestDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of('\\'));
}

double NowMs()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Milliseconds from the start to the first target cross on the screen; -1 when it never came.
double StartToPaint(bool jostel, const char* bareTail = "")
{
    const POINT target = {100 * GetSystemMetrics(SM_CXSCREEN) / 4096, 100 * GetSystemMetrics(SM_CYSCREEN) / 4096};
    if (!jostel::WaitCrossAt(target, false)) return -1;
    const double t0 = NowMs();
    tb::Process p = jostel ? tb::Start("Jostel.exe") : tb::StartPath(TestDirectory() + "\\calib_bare_window.exe", bareTail);
    if (!p.Valid()) return -1;
    bool painted = tb::Poll([&] { return jostel::RedCrossAt(target); }, 15000, 1);
    const double ms = NowMs() - t0;
    HWND w = tb::WaitWindow(jostel ? "CALIB:MAIN" : "BARE:MAIN", nullptr, 2000, p.Pid());
    if (w) tb::PostKey(w, VK_ESCAPE);
    if (!p.WaitExit(5000)) p.Kill();
    return painted ? ms : -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

TEST(JostelBench, StartToFirstPaintAgainstABareWindow)
{
    std::vector<double> bare, bareText, jostel;
    for (int round = 0; round < 5; ++round) {
        bare.push_back(StartToPaint(false));
        bareText.push_back(StartToPaint(false, "text"));
        jostel.push_back(StartToPaint(true));
        ASSERT_GE(bare.back(), 0) << "the bare window never painted";
        ASSERT_GE(jostel.back(), 0) << "Jostel never painted its target";
    }
    printf("bench: start to first paint, median of 5: bare full-screen window %.1f ms, "
           "the same with one line of text %.1f ms, Jostel %.1f ms\n",
           Median(bare), Median(bareText), Median(jostel));
}
