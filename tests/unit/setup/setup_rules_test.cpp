#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "setup_rules.h"

namespace {

TEST(IntToStr, DigitsInEachBase)
{
    struct Case {
        int value;
        int base;
        const char* text;
    };
    const Case cases[] = {
        {0, 2, "0"},      {0, 10, "0"},    {0, 16, "0"},   {0, 36, "0"},
        {5, 2, "101"},    {1, 2, "1"},     {2147483647, 2, "1111111111111111111111111111111"},
        {7, 10, "7"},     {10, 10, "10"},  {29, 10, "29"}, {2147483647, 10, "2147483647"},
        {255, 16, "ff"},  {4096, 16, "1000"}, {2147483647, 16, "7fffffff"},
        {35, 36, "z"},    {36, 36, "10"},  {1295, 36, "zz"}, {2147483647, 36, "zik0zj"},
    };
    for (const Case& c : cases) {
        char buffer[40];
        memset(buffer, 'x', sizeof(buffer));
        EXPECT_EQ(setup::IntToStr(c.value, buffer, c.base), buffer);
        EXPECT_STREQ(buffer, c.text) << c.value << " in base " << c.base;
    }
}

TEST(IntToStr, RefusesWhatCallersMustNotPass)
{
    char buffer[40] = "junk";
    EXPECT_STREQ(setup::IntToStr(-5, buffer, 10), "");
    strcpy(buffer, "junk");
    EXPECT_STREQ(setup::IntToStr(5, buffer, 1), "");
    strcpy(buffer, "junk");
    EXPECT_STREQ(setup::IntToStr(5, buffer, 37), "");
}

TEST(SilentTail, OnlyTheWholeSwitchInEitherCase)
{
    EXPECT_TRUE(setup::IsSilentTail("/S"));
    EXPECT_TRUE(setup::IsSilentTail("/s"));
    for (const char* tail : {"", "/S ", " /S", "-S", "/S /S", "/SS", "S", "/", "/x"})
        EXPECT_FALSE(setup::IsSilentTail(tail)) << '"' << tail << '"';
    EXPECT_FALSE(setup::IsSilentTail(nullptr));
}

TEST(HardwareIds, InstallListIsDecimalZeroToEighteen)
{
    char id[32];
    ASSERT_TRUE(setup::MakeInstallHardwareId(0, id, sizeof(id)));
    EXPECT_STREQ(id, "USB\\VID_1F3C&PID_0500");
    ASSERT_TRUE(setup::MakeInstallHardwareId(9, id, sizeof(id)));
    EXPECT_STREQ(id, "USB\\VID_1F3C&PID_0509");
    ASSERT_TRUE(setup::MakeInstallHardwareId(10, id, sizeof(id)));
    EXPECT_STREQ(id, "USB\\VID_1F3C&PID_0510");
    ASSERT_TRUE(setup::MakeInstallHardwareId(18, id, sizeof(id)));
    EXPECT_STREQ(id, "USB\\VID_1F3C&PID_0518");
    for (int n = 0; n < setup::kInstallIdCount; ++n) {
        ASSERT_TRUE(setup::MakeInstallHardwareId(n, id, sizeof(id)));
        EXPECT_EQ(strlen(id), setup::kHardwareIdLength);
        EXPECT_EQ(std::string(id).find_first_of("ABCDEFabcdef", 18), std::string::npos) << id;
    }
    EXPECT_FALSE(setup::MakeInstallHardwareId(19, id, sizeof(id)));
    EXPECT_FALSE(setup::MakeInstallHardwareId(-1, id, sizeof(id)));
    EXPECT_FALSE(setup::MakeInstallHardwareId(0, id, 21));  // no room for the terminator
}

TEST(HardwareIds, RemovalListIsUsbThenHidWithout0509)
{
    std::set<std::string> seen;
    for (int i = 0; i < setup::kRemovalIdCount; ++i) {
        std::string id = setup::kRemovalHardwareIds[i];
        EXPECT_EQ(id.size(), setup::kHardwareIdLength) << id;
        EXPECT_EQ(id.substr(0, 4), i < 18 ? "USB\\" : "HID\\") << id;
        EXPECT_EQ(id.substr(4, 15), "VID_1F3C&PID_05");
        EXPECT_NE(id.substr(19), "09");
        EXPECT_TRUE(seen.insert(id).second) << id;
        // Same product ids in the same order on both buses.
        EXPECT_EQ(id.substr(3), std::string(setup::kRemovalHardwareIds[i % 18]).substr(3));
    }
    EXPECT_STREQ(setup::kRemovalHardwareIds[8], "USB\\VID_1F3C&PID_0508");
    EXPECT_STREQ(setup::kRemovalHardwareIds[9], "USB\\VID_1F3C&PID_0510");
    EXPECT_STREQ(setup::kRemovalHardwareIds[35], "HID\\VID_1F3C&PID_0518");
}

TEST(MultiSz, ExactMatchBoundedBySize)
{
    const char list[] = "USB\\VID_1F3C&PID_0512&REV_0100\0usb\\vid_1f3c&pid_0512\0USB\\VID_1F3C&PID_0512\0\0";
    const size_t size = sizeof(list);
    const char* id = "USB\\VID_1F3C&PID_0512";
    EXPECT_EQ(setup::FindInMultiSz(list, size, id), 2);  // not the longer one, not the lower-case one
    EXPECT_EQ(setup::FindInMultiSz(list, size, "USB\\VID_1F3C&PID_0513"), -1);
    // The list ends at the reported size: the third string lies beyond it.
    EXPECT_EQ(setup::FindInMultiSz(list, 55, id), -1);
    // A list that ends at an empty string hides what follows.
    const char hidden[] = "A\0\0USB\\VID_1F3C&PID_0512\0";
    EXPECT_EQ(setup::FindInMultiSz(hidden, sizeof(hidden), id), -1);
    // No terminator inside the buffer: only the bytes inside count.
    char raw[21];
    memcpy(raw, id, 21);
    EXPECT_EQ(setup::FindInMultiSz(raw, sizeof(raw), id), 0);
    EXPECT_EQ(setup::FindInMultiSz(raw, 20, id), -1);
    EXPECT_EQ(setup::FindInMultiSz(nullptr, 10, id), -1);
    EXPECT_EQ(setup::FindInMultiSz(list, 0, id), -1);
}

TEST(InfMarker, AnythingButNo)
{
    for (const char* no : {"NO", "no", "No", "nO"})
        EXPECT_FALSE(setup::IsPackageMarker(no)) << no;
    for (const char* yes : {"Velnor USB Touch Panel", "", "NO ", "NOT", "N"})
        EXPECT_TRUE(setup::IsPackageMarker(yes)) << '"' << yes << '"';
}

TEST(Paths, BesideModuleAndJoinAreBounded)
{
    char buffer[32];
    EXPECT_TRUE(setup::PathBesideModule(buffer, sizeof(buffer), "C:\\dir\\Setup.exe", "\\wexant.inf"));
    EXPECT_STREQ(buffer, "C:\\dir\\wexant.inf");
    EXPECT_FALSE(setup::PathBesideModule(buffer, sizeof(buffer), "Setup.exe", "\\wexant.inf"));
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(setup::PathBesideModule(buffer, sizeof(buffer), "C:\\a-very-long-folder-name\\x.exe",
                                         "\\wexant.inf"));
    EXPECT_STREQ(buffer, "");

    char small[8];
    EXPECT_TRUE(setup::JoinText(small, sizeof(small), "abc", "\\", "def"));
    EXPECT_STREQ(small, "abc\\def");
    EXPECT_FALSE(setup::JoinText(small, sizeof(small), "abcd", "efgh"));
    EXPECT_STREQ(small, "");

    EXPECT_TRUE(setup::MakeOemName(0, ".inf", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, "oem0.inf");
    EXPECT_TRUE(setup::MakeOemName(29, ".PNF", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, "oem29.PNF");
}

}  // namespace
