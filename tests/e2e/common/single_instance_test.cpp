// The single-instance rule: of starts that come together (a double click, a
// second logon script) exactly one program runs, and a resident program that
// has run its end-of-session teardown still keeps a second one out.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "harness.h"
#include "wexant.h"
#include "winutil.h"

namespace {

const DWORD kSlowMs = 30000;

// Threads of one process race through the rule as processes of one session
// do: all are released at once, and only one may win.
int WinnersOfOneRace(const std::string& name, int threads)
{
    struct Race {
        HANDLE go;
        const char* name;
        std::atomic<int> winners{0};
    } race{CreateEventA(nullptr, TRUE, FALSE, nullptr), name.c_str()};
    auto body = [](void* arg) -> DWORD {
        Race* r = static_cast<Race*>(arg);
        WaitForSingleObject(r->go, INFINITE);
        if (AcquireSingleInstance(r->name)) r->winners.fetch_add(1);
        return 0;
    };
    std::vector<HANDLE> handles;
    for (int i = 0; i < threads; ++i)
        handles.push_back(CreateThread(nullptr, 0, body, &race, 0, nullptr));
    Sleep(20);
    SetEvent(race.go);
    WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, kSlowMs);
    for (HANDLE h : handles) CloseHandle(h);
    CloseHandle(race.go);
    return race.winners.load();
}

TEST(SingleInstance, RacingStartsLeaveExactlyOneWinner)
{
    int rounds = 0, crowded = 0;
    for (int round = 0; round < 60; ++round, ++rounds) {
        std::string name = "tb-single-instance-race-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(round);
        int winners = WinnersOfOneRace(name, 8);
        EXPECT_GE(winners, 1) << "round " << round;
        if (winners > 1) ++crowded;
    }
    EXPECT_EQ(crowded, 0) << crowded << " of " << rounds << " rounds let more than one start run";
}

int StillRunning(const std::vector<tb::Process>& started)
{
    int running = 0;
    for (const tb::Process& p : started)
        if (p.Running()) ++running;
    return running;
}

TEST(SingleInstance, CopiesStartedTogetherLeaveOneRunning)
{
    for (const auto& entry : wexant::SINGLE_INSTANCE_MUTEX) {
        SCOPED_TRACE(entry.program);
        const int copies = 6;
        std::vector<tb::Process> started = tb::StartTogether(entry.program, "", copies);
        ASSERT_EQ(static_cast<int>(started.size()), copies);
        // The second starts end at once and silently; the one left runs on.
        EXPECT_TRUE(tb::Poll([&] { return StillRunning(started) <= 1; }, kSlowMs, 50));
        Sleep(500);
        EXPECT_EQ(StillRunning(started), 1);
        for (tb::Process& p : started) {
            DWORD code = 1;
            if (p.WaitExit(0, &code)) EXPECT_EQ(code, 0u);
            p.Kill();
        }
    }
}

TEST(SingleInstance, ResidentProgramAfterEndSessionKeepsASecondOut)
{
    // The hook library the resident program loads at start.
    ASSERT_TRUE(tb::InstallStandin("gralen.dll"));
    ASSERT_TRUE(tb::sim::Reset());
    tb::Process first = tb::Start("Tavrick.exe");
    ASSERT_TRUE(first.Valid());
    HWND window = tb::WaitWindow(wexant::kResidentWindowClass, wexant::kResidentWindowTitle, kSlowMs,
                                 first.Pid());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(tb::sim::WaitRequest(wexant::IOCTL_WEXANT_PRIMARY_BUTTON, 1, kSlowMs));
    ASSERT_TRUE(tb::sim::Reset());

    // The session ends: the teardown runs (the driver is set back to normal
    // buttons) and the program stays until the system ends it.
    PostMessageA(window, WM_ENDSESSION, TRUE, 0);
    ASSERT_TRUE(tb::sim::WaitRequest(wexant::IOCTL_WEXANT_BUTTONS_NORMAL, 1, kSlowMs));
    Sleep(1000);
    ASSERT_TRUE(first.Running());

    tb::Process second = tb::Start("Tavrick.exe");
    ASSERT_TRUE(second.Valid());
    DWORD code = 1;
    EXPECT_TRUE(second.WaitExit(kSlowMs, &code)) << "a second resident program runs beside the first";
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(first.Running());
}

}  // namespace
