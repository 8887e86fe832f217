// main() of every e2e test program: GoogleTest with a listener that gives each
// test a running, reset panel driver, and leaves nothing of the test behind.
#include <gtest/gtest.h>

#include <cstdio>

#include "harness.h"
#include "harness_internal.h"

namespace {

bool DriverInstalled()
{
    return GetFileAttributesA(tb::SystemPath("drivers\\wexant.sys").c_str()) != INVALID_FILE_ATTRIBUTES;
}

class TestBedListener : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo&) override
    {
        if (!DriverInstalled()) {
            printf("tb: *** drivers\\wexant.sys is not installed: the test runs without the panel driver ***\n");
            fflush(stdout);
            return;
        }
        if (!tb::sim::StartDriver()) {
            printf("tb: *** the WEXANT service did not start ***\n");
        } else if (!tb::sim::Reset()) {
            printf("tb: *** the panel driver did not take the reset ***\n");
        }
        fflush(stdout);
    }

    void OnTestEnd(const testing::TestInfo& info) override
    {
        if (info.result() && info.result()->Failed()) tb::Screenshot("failure");
        tb::internal::EndStartedProcesses();
        fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    // A crash of the test program itself ends it; no error box waits for a user.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    tb::internal::EnsureServiceManager();
    testing::UnitTest::GetInstance()->listeners().Append(new TestBedListener);
    return RUN_ALL_TESTS();
}
