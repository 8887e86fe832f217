// The boxes the calibration program shows over its full-screen window, under
// real pointer input: a panel user must be able to reach and answer them, and
// the window behind must take no touch while one is up.
#include <gtest/gtest.h>

#include "jostel_fixture.h"

using namespace jostel;
using wexant::IOCTL_WEXANT_READ_TOUCH;
using wexant::IOCTL_WEXANT_SET_CALIB;

namespace {

// Message boxes of the process that are shown.
size_t MessageBoxes(DWORD pid)
{
    size_t n = 0;
    for (HWND w : tb::TopWindows(pid))
        if (tb::ClassOf(w) == "#32770" && GetDlgItem(w, 0xFFFF) && tb::IsVisible(w)) ++n;
    return n;
}

}  // namespace

TEST(JostelBoxes, DataReadErrorIsInFrontAndHoldsTheTargetUntilOk)
{
    // The driver cannot read the touch on target 0: the box comes up in front
    // of the calibration screen, and while it is up a touch elsewhere reads
    // nothing, opens no second box and moves no target. OK closes it by touch;
    // with the driver answering again the calibration goes on from target 0.
    ASSERT_TRUE(tb::sim::FailCode(IOCTL_WEXANT_READ_TOUCH));
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    const DWORD pid = j.process.Pid();
    const POINT first = j.Target(0);
    tb::MouseClick(first.x, first.y);
    tb::MessageBoxInfo box = tb::WaitMessageBox(5000, pid);
    ASSERT_TRUE(box);
    EXPECT_EQ(box.text, "Data Read error");
    EXPECT_TRUE(tb::Poll([&] { return InFrontAt(box.window, MiddleOf(box.window)); }))
        << "the calibration screen lies over the box";
    const size_t reads = Count(IOCTL_WEXANT_READ_TOUCH);
    EXPECT_EQ(reads, 1u);

    const POINT second = j.Target(1);
    tb::MouseClick(second.x, second.y);
    EXPECT_FALSE(tb::Poll([&] { return MessageBoxes(pid) > 1; }, 1500)) << "a second box";
    EXPECT_EQ(Count(IOCTL_WEXANT_READ_TOUCH), reads) << "a touch was read behind the box";
    EXPECT_TRUE(RedCrossAt(first));
    EXPECT_FALSE(RedCrossAt(second));

    ClickControl(box.window, IDOK);
    ASSERT_TRUE(tb::WaitGone(box.window)) << "OK did not close the box";
    EXPECT_EQ(MessageBoxes(pid), 0u);
    EXPECT_EQ(Count(IOCTL_WEXANT_READ_TOUCH), reads);

    // Every target, target 0 first, gives the record of the panel's points.
    ASSERT_TRUE(tb::sim::FailCode(IOCTL_WEXANT_READ_TOUCH, false));
    ASSERT_TRUE(WaitCrossAt(first));
    ASSERT_TRUE(TouchAll(&j));
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_CALIB, 1, 15000));
    EXPECT_EQ(LastInput(IOCTL_WEXANT_SET_CALIB), PinnedRecord(9));
    EXPECT_EQ(Count(IOCTL_WEXANT_READ_TOUCH), reads + 9);
}
