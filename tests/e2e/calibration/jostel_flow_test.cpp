// Whole calibrations under Wine: the record sent on the last point, the test
// screen, Enter's commit and saved records, the "S" forms, discards, failed solves.
#include <gtest/gtest.h>

#include "jostel_fixture.h"

using namespace jostel;
using wexant::IOCTL_WEXANT_CALIB_COMMIT;
using wexant::IOCTL_WEXANT_CALIB_COMMIT_S;
using wexant::IOCTL_WEXANT_CALIB_DISCARD;
using wexant::IOCTL_WEXANT_CALIB_DISCARD_S;
using wexant::IOCTL_WEXANT_READ_TOUCH;
using wexant::IOCTL_WEXANT_SET_CALIB;
using wexant::IOCTL_WEXANT_SET_CALIB_S;

namespace {

// One whole calibration: every target touched, the record checked as sent,
// Enter on the test screen, the commit and both saved copies checked.
void CalibrateAndSave(int points, int rotation, uint32_t spinTop, uint32_t driverRotation)
{
    SCOPED_TRACE(testing::Message() << points << " points, rotation " << rotation);
    ASSERT_TRUE(tb::sim::Reset());
    ASSERT_TRUE(tb::sim::SetRotation(driverRotation));
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kDriverKey, "SpinTop", spinTop);
    SetPointCount(points);
    Jostel j;
    ASSERT_TRUE(Start(&j, points, rotation));
    const char* name = calib::RecordValueName(points, 0);
    tb::reg::DeleteValue(HKEY_LOCAL_MACHINE, kDriverKey, name);
    tb::reg::DeleteValue(HKEY_CURRENT_USER, kUserKey, name);
    // Records of the other point counts and of the other device kind, stored
    // by earlier calibrations: the save leaves them as they are.
    std::vector<std::pair<const char*, std::vector<uint8_t>>> others;
    for (uint16_t product : {uint16_t(0x0500), calib::kProductIdS})
        for (int n : {9, 12, 20})
            if (std::string(calib::RecordValueName(n, product)) != name)
                others.emplace_back(calib::RecordValueName(n, product),
                                    std::vector<uint8_t>(calib::RecordBytes(n), static_cast<uint8_t>(0x30 + n)));
    for (const auto& other : others)
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            ASSERT_TRUE(tb::reg::SetBinary(root, root == HKEY_CURRENT_USER ? kUserKey : kDriverKey, other.first,
                                           other.second.data(), other.second.size()));
    ASSERT_TRUE(TouchAll(&j));

    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_CALIB, 1, 15000));
    const std::vector<uint8_t> expected = PinnedRecord(points);
    ASSERT_EQ(expected.size(), calib::RecordBytes(points));
    std::vector<uint8_t> sent = LastInput(IOCTL_WEXANT_SET_CALIB);
    ASSERT_EQ(sent.size(), expected.size());
    EXPECT_EQ(Word(sent, 0), 0);
    for (size_t w = 0; w < sent.size() / 2; ++w)
        ASSERT_EQ(Word(sent, static_cast<int>(w)), Word(expected, static_cast<int>(w))) << "word " << w;
    EXPECT_EQ(Count(IOCTL_WEXANT_READ_TOUCH), static_cast<size_t>(points));
    tb::sim::State st;
    ASSERT_TRUE(tb::sim::GetState(&st));
    EXPECT_EQ(st.calib, tb::sim::CalibHeld::Sent);

    // Nothing is saved before Enter on the test screen.
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kUserKey, name));
    tb::PostKey(j.window, VK_RETURN);
    DWORD code = 1;
    ASSERT_TRUE(j.process.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(tb::sim::GetState(&st));
    EXPECT_EQ(st.calib, tb::sim::CalibHeld::Committed);
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_COMMIT), 1u);
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_DISCARD), 0u);

    std::vector<uint8_t> saved = expected;
    saved[0] = 0x7C;
    saved[1] = 0x17;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        std::vector<uint8_t> stored;
        DWORD type = 0;
        ASSERT_TRUE(tb::reg::GetBinary(root, root == HKEY_CURRENT_USER ? kUserKey : kDriverKey, name, &stored, &type));
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(stored, saved);
        for (const auto& other : others) {
            stored.clear();
            EXPECT_TRUE(tb::reg::GetBinary(root, root == HKEY_CURRENT_USER ? kUserKey : kDriverKey, other.first,
                                           &stored));
            EXPECT_EQ(stored, other.second) << other.first << " was changed";
        }
    }
}

}  // namespace

TEST(JostelCalibration, NinePointsInEveryRotation)
{
    CalibrateAndSave(9, 0, 0, 0);
    CalibrateAndSave(9, 1, 0, 1);
    CalibrateAndSave(9, 2, 0, 2);
    CalibrateAndSave(9, 3, 3, 0);  // SpinTop alone
}

TEST(JostelCalibration, TwelvePointsInEveryRotation)
{
    CalibrateAndSave(12, 0, 0, 0);
    CalibrateAndSave(12, 1, 3, 2);  // SpinTop 3 + driver 2
    CalibrateAndSave(12, 2, 1, 1);
    CalibrateAndSave(12, 3, 0, 3);
}

TEST(JostelCalibration, TwentyPointsInEveryRotation)
{
    CalibrateAndSave(20, 0, 0, 0);
    CalibrateAndSave(20, 1, 0, 1);
    CalibrateAndSave(20, 2, 3, 3);  // 3 + 3 gives 2
    CalibrateAndSave(20, 3, 0, 3);
}

TEST(JostelCalibration, ProductId0512UsesTheSecondFormsAndNames)
{
    // The product id of the last touch read decides: a calibration whose
    // last touch comes from another device goes back to the plain forms.
    struct Case {
        const char* what;
        uint16_t lastProduct;
        bool second;
    } cases[] = {{"every touch from 0x0512", 0x0512, true}, {"the last touch from 0x0500", 0x0500, false}};
    SetPointCount(12);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_TRUE(tb::sim::Reset());
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            for (const char* name : {"Caldata12", "Caldata12S"})
                tb::reg::DeleteValue(root, root == HKEY_CURRENT_USER ? kUserKey : kDriverKey, name);
        Jostel j;
        ASSERT_TRUE(Start(&j, 12, 0));
        for (int s = 0; s < 12; ++s) {
            ASSERT_TRUE(TouchTarget(&j, s, {}, 0, s == 11 ? k.lastProduct : uint16_t(0x0512))) << "target " << s;
            if (s < 11) {
                ASSERT_TRUE(WaitCrossAt(j.Target(s + 1)));
            }
        }
        const uint32_t send = k.second ? IOCTL_WEXANT_SET_CALIB_S : IOCTL_WEXANT_SET_CALIB;
        ASSERT_TRUE(tb::sim::WaitRequest(send, 1, 15000));
        EXPECT_EQ(LastInput(send), PinnedRecord(12));
        ASSERT_TRUE(WaitTestScreen(&j));
        tb::PostKey(j.window, VK_RETURN);
        ASSERT_TRUE(j.process.WaitExit(15000));
        EXPECT_EQ(Count(k.second ? IOCTL_WEXANT_CALIB_COMMIT_S : IOCTL_WEXANT_CALIB_COMMIT), 1u);
        EXPECT_EQ(Count(k.second ? IOCTL_WEXANT_SET_CALIB : IOCTL_WEXANT_SET_CALIB_S) +
                      Count(k.second ? IOCTL_WEXANT_CALIB_COMMIT : IOCTL_WEXANT_CALIB_COMMIT_S),
                  0u);
        tb::sim::State st;
        ASSERT_TRUE(tb::sim::GetState(&st));
        EXPECT_EQ(k.second ? st.calibS : st.calib, tb::sim::CalibHeld::Committed);
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            const char* path = root == HKEY_CURRENT_USER ? kUserKey : kDriverKey;
            std::vector<uint8_t> stored;
            ASSERT_TRUE(tb::reg::GetBinary(root, path, k.second ? "Caldata12S" : "Caldata12", &stored));
            EXPECT_EQ(stored.size(), 160u);
            EXPECT_EQ(Word(stored, 0), 6012);
            EXPECT_FALSE(tb::reg::ValueExists(root, path, k.second ? "Caldata12" : "Caldata12S"));
        }
    }
}

TEST(JostelCalibration, EscOnTheCalibrationScreenDiscardsAndEnds)
{
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    ASSERT_TRUE(TouchTarget(&j, 0));
    ASSERT_TRUE(WaitCrossAt(j.Target(1)));
    tb::PostKey(j.window, VK_ESCAPE);
    DWORD code = 1;
    ASSERT_TRUE(j.process.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_DISCARD), 1u);
    EXPECT_EQ(Count(IOCTL_WEXANT_SET_CALIB) + Count(IOCTL_WEXANT_CALIB_COMMIT), 0u);
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kUserKey, "Caldata9"));
}

TEST(JostelCalibration, EscAfterTheTestScreenAndBackUsesTheSecondDiscard)
{
    // A touch from a 0x0512 device switches the discard to its second form;
    // Esc on the test screen does nothing, Home returns, Esc then ends.
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    ASSERT_TRUE(TouchTarget(&j, 0, {}, 0, 0x0512));
    ASSERT_TRUE(WaitCrossAt(j.Target(1)));
    tb::PostKey(j.window, VK_HOME);  // into the test screen: discards
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_CALIB_DISCARD_S, 1, 15000));
    ASSERT_TRUE(WaitTestScreen(&j));
    tb::PostKey(j.window, VK_ESCAPE);
    tb::PostKey(j.window, VK_HOME);  // back: target 0 again
    ASSERT_TRUE(WaitCrossAt(j.Target(0)));
    EXPECT_TRUE(j.process.Running());
    tb::PostKey(j.window, VK_ESCAPE);
    ASSERT_TRUE(j.process.WaitExit(15000));
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_DISCARD_S), 2u);
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_DISCARD), 0u);
}

TEST(JostelCalibration, RefusedDriverRequestsChangeNothingTheUserSees)
{
    // The driver refuses the record, its commit or its discard: the program
    // goes on as if it had taken them, up to the saved record and the end.
    struct Case {
        uint32_t refused;
        bool whole;  // a whole calibration ended with Enter; else Esc at once
    } cases[] = {{IOCTL_WEXANT_SET_CALIB, true}, {IOCTL_WEXANT_CALIB_COMMIT, true}, {IOCTL_WEXANT_CALIB_DISCARD, false}};
    std::vector<uint8_t> saved = PinnedRecord(9);
    saved[0] = 0x7C;  // 6012, the saved marker
    saved[1] = 0x17;
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "refused 0x" << std::hex << k.refused);
        ASSERT_TRUE(tb::sim::Reset());
        tb::reg::DeleteValue(HKEY_CURRENT_USER, kUserKey, "Caldata9");
        ASSERT_TRUE(tb::sim::FailCode(k.refused));
        Jostel j;
        if (k.whole) {
            ASSERT_TRUE(CalibrateToTestScreen(&j));
            tb::PostKey(j.window, VK_RETURN);
        } else {
            ASSERT_TRUE(Start(&j, 9, 0));
            tb::PostKey(j.window, VK_ESCAPE);
        }
        DWORD code = 1;
        ASSERT_TRUE(j.process.WaitExit(15000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(Count(k.refused), 1u);
        std::vector<uint8_t> stored;
        EXPECT_EQ(tb::reg::GetBinary(HKEY_CURRENT_USER, kUserKey, "Caldata9", &stored), k.whole);
        if (k.whole) {
            EXPECT_EQ(stored, saved);
        }
    }
}

TEST(JostelCalibration, HomeThenEnterCommitsAndSavesNothing)
{
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_CALIB_DISCARD, 1, 15000));
    tb::PostKey(j.window, VK_RETURN);
    ASSERT_TRUE(j.process.WaitExit(15000));
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_COMMIT), 1u);
    EXPECT_EQ(Count(IOCTL_WEXANT_SET_CALIB), 0u);
    for (const char* name : {"Caldata9", "Caldata12", "Caldata20", "Caldata9S"}) {
        EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kDriverKey, name)) << name;
        EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kUserKey, name)) << name;
    }
}

TEST(JostelCalibration, HomeBackReadsPointCountAndRotationAgain)
{
    // Changed while the test screen is up: 20 points, and the driver adds a
    // quarter turn. Back on the calibration screen the grid and the mapping
    // to the panel are the new ones.
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_CALIB_DISCARD, 1, 15000));
    ASSERT_TRUE(WaitTestScreen(&j));
    SetPointCount(20);
    ASSERT_TRUE(tb::sim::SetRotation(1));
    tb::PostKey(j.window, VK_HOME);
    j.points = 20;
    j.rotation = 1;
    ASSERT_TRUE(WaitCrossAt(j.Target(0)));
    ASSERT_TRUE(TouchAll(&j));
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_CALIB, 1, 15000));
    EXPECT_EQ(LastInput(IOCTL_WEXANT_SET_CALIB), PinnedRecord(20));
}

TEST(JostelCalibration, BackFromTheTestScreenToTouchOnePointAgainKeepsTheOthers)
{
    // A whole calibration is sent; back on the calibration screen the user
    // touches only the first target again and ends with Enter: the other
    // points of the run still count, the same record is sent and saved.
    Jostel j;
    ASSERT_TRUE(CalibrateToTestScreen(&j));
    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(WaitCrossAt(j.Target(0)));
    ASSERT_TRUE(TouchTarget(&j, 0));
    ASSERT_TRUE(WaitCrossAt(j.Target(1)));
    tb::PostKey(j.window, VK_RETURN);
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_CALIB, 2, 15000)) << "no second record sent";
    EXPECT_EQ(LastInput(IOCTL_WEXANT_SET_CALIB), PinnedRecord(9));
    ASSERT_TRUE(WaitTestScreen(&j));
    tb::PostKey(j.window, VK_RETURN);
    ASSERT_TRUE(j.process.WaitExit(15000));
    std::vector<uint8_t> saved = PinnedRecord(9), stored;
    saved[0] = 0x7C;  // 6012, the saved marker
    saved[1] = 0x17;
    ASSERT_TRUE(tb::reg::GetBinary(HKEY_CURRENT_USER, kUserKey, "Caldata9", &stored));
    EXPECT_EQ(stored, saved);
}

TEST(JostelCalibration, FailedSolvesShowTheirBoxAndEndWithNothingSent)
{
    struct Case {
        const char* what;
        bool touchAll;
        bool japanese;
        const char* caption;
        const char* text;
    } cases[] = {
        {"Enter before any touch", false, false, "error Dtm", "Parameter Error. Please input, again"},
        {"mirrored panel", true, false, "error A", "Parameter Error. Please input, again"},
        {"Enter before any touch, Japanese", false, true, "エラー Dtm", "補正点が不正です。再入力してください。"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_TRUE(tb::sim::Reset());
        Jostel j;
        ASSERT_TRUE(Start(&j, 9, 0, "", k.japanese));
        if (k.touchAll) {
            PanelModel mirrored;
            mirrored.mirrorX = true;
            ASSERT_TRUE(TouchAll(&j, mirrored));
        } else {
            tb::PostKey(j.window, VK_RETURN);
        }
        tb::MessageBoxInfo box = tb::WaitMessageBox(5000, j.process.Pid());
        ASSERT_TRUE(box);
        EXPECT_EQ(Text932(box.window), k.caption);
        EXPECT_EQ(Text932(GetDlgItem(box.window, 0xFFFF)), k.text);
        // The calibration window hides behind the box.
        EXPECT_FALSE(tb::IsVisible(j.window));
        tb::PressButton(box.window, IDOK);
        ASSERT_TRUE(j.process.WaitExit(15000));
        EXPECT_EQ(Count(IOCTL_WEXANT_SET_CALIB) + Count(IOCTL_WEXANT_CALIB_COMMIT) +
                      Count(IOCTL_WEXANT_CALIB_DISCARD),
                  0u);
        EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kUserKey, "Caldata9"));
    }
}

TEST(JostelCalibration, DataReadErrorKeepsTheTarget)
{
    // The driver gone (its device does not open, so the rotation is SpinTop's
    // alone) or only its touch read failing: the box, and the same target
    // waits for another touch; with the driver answering again it advances once.
    struct Case {
        const char* what;
        bool stopped;
    } cases[] = {{"driver missing", true}, {"touch read fails", false}};
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kDriverKey, "SpinTop", 3);
    SetPointCount(12);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_TRUE(tb::sim::StartDriver());
        ASSERT_TRUE(tb::sim::Reset());
        if (k.stopped) {
            ASSERT_TRUE(tb::sim::StopDriver());
        } else {
            ASSERT_TRUE(tb::sim::FailCode(IOCTL_WEXANT_READ_TOUCH));
        }
        Jostel j;
        ASSERT_TRUE(Start(&j, 12, 3));
        // Three quarter turns: 3 columns by 4 rows.
        ASSERT_TRUE(MoveCross(&j, VK_RIGHT, 0, 1));
        ASSERT_TRUE(MoveCross(&j, VK_LEFT, 1, 0));
        POINT first = j.Target(0);
        tb::MouseClick(first.x, first.y);
        tb::MessageBoxInfo box = tb::WaitMessageBox(5000, j.process.Pid());
        ASSERT_TRUE(box);
        EXPECT_EQ(box.caption, "Jostel");
        EXPECT_EQ(box.text, "Data Read error");
        tb::PressButton(box.window, IDOK);
        ASSERT_TRUE(tb::WaitGone(box.window));
        // A move would follow the box at once: give it the time to show.
        EXPECT_FALSE(WaitCrossAt(j.Target(1), true, 1500)) << "the target moved on";
        EXPECT_TRUE(RedCrossAt(first));
        ASSERT_TRUE(tb::sim::StartDriver());
        ASSERT_TRUE(tb::sim::Reset());
        ASSERT_TRUE(TouchTarget(&j, 0));
        EXPECT_TRUE(WaitCrossAt(j.Target(1)));
        EXPECT_FALSE(WaitCrossAt(j.Target(2), true, 1500)) << "the target moved on twice";
        EXPECT_FALSE(RedCrossAt(first));
        tb::PostKey(j.window, VK_ESCAPE);
        ASSERT_TRUE(j.process.WaitExit(15000));
    }
}

TEST(JostelCalibration, ClosingTheWindowEndsWithoutADriverRequest)
{
    // A close request from outside ends the program on either screen with
    // nothing committed, discarded or saved (the record sent stays as sent).
    struct Case {
        const char* what;
        bool whole;  // every target touched: the test screen with the record sent
    } cases[] = {{"calibration screen", false}, {"test screen", true}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_TRUE(tb::sim::Reset());
        Jostel j;
        ASSERT_TRUE(Start(&j, 9, 0));
        if (k.whole) {
            ASSERT_TRUE(TouchAll(&j));
            ASSERT_TRUE(WaitTestScreen(&j));
        } else {
            ASSERT_TRUE(TouchTarget(&j, 0));
            ASSERT_TRUE(WaitCrossAt(j.Target(1)));
        }
        PostMessageA(j.window, WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(j.process.WaitExit(15000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(Count(IOCTL_WEXANT_SET_CALIB), k.whole ? 1u : 0u);
        EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_COMMIT) + Count(IOCTL_WEXANT_CALIB_DISCARD), 0u);
        EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kUserKey, "Caldata9"));
    }
}

TEST(JostelStart, SecondInstanceEndsSilently)
{
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    ExpectEndsSilently(tb::Start("Jostel.exe"));
    EXPECT_TRUE(j.process.Running());
}
