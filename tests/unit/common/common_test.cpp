#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "wexant.h"

using namespace wexant;

TEST(ControlCodes, AllTwentyOneCodesHaveTheirNumbers)
{
    struct { uint32_t code; uint32_t expected; } table[] = {
        {IOCTL_WEXANT_READ_TOUCH, 0x222004},        {IOCTL_WEXANT_CALIB_COMMIT, 0x222008},
        {IOCTL_WEXANT_CALIB_DISCARD, 0x22200C},     {IOCTL_WEXANT_SET_CALIB, 0x222010},
        {IOCTL_WEXANT_SET_TOUCH_EVENT, 0x222014},   {IOCTL_WEXANT_GET_TOUCH_STATE, 0x222018},
        {IOCTL_WEXANT_SECONDARY_BUTTON, 0x22201C},  {IOCTL_WEXANT_PRIMARY_BUTTON, 0x222020},
        {IOCTL_WEXANT_BUTTONS_SWAPPED, 0x222024},   {IOCTL_WEXANT_BUTTONS_NORMAL, 0x222028},
        {IOCTL_WEXANT_GET_ROTATION, 0x222030},      {IOCTL_WEXANT_SET_OPTION, 0x222034},
        {IOCTL_WEXANT_LOAD_CALIB_BUNDLE, 0x222038}, {IOCTL_WEXANT_CALIB_COMMIT_S, 0x22203C},
        {IOCTL_WEXANT_CALIB_DISCARD_S, 0x222040},   {IOCTL_WEXANT_SET_CALIB_S, 0x222044},
        {IOCTL_WEXANT_SET_CALIB_MODE, 0x222048},    {IOCTL_WEXANT_APPLY_SETTINGS, 0x222064},
        {IOCTL_WEXANT_SET_WAKE_EVENT, 0x222068},    {IOCTL_WEXANT_SET_COMM, 0x22206C},
        {IOCTL_WEXANT_SET_RESOLUTION, 0x222070},
    };
    ASSERT_EQ(kControlCodeCount, 21u);
    std::set<uint32_t> seen;
    for (size_t i = 0; i < 21; ++i) {
        EXPECT_EQ(table[i].code, table[i].expected) << i;
        EXPECT_EQ(kControlCodes[i].code, table[i].expected) << kControlCodes[i].name;
        EXPECT_STREQ(ControlCodeName(table[i].expected), kControlCodes[i].name);
        seen.insert(kControlCodes[i].code);
    }
    EXPECT_EQ(seen.size(), 21u) << "no code is used twice";
    EXPECT_EQ(ControlCodeName(0x22202C), nullptr) << "function 0x80B is not in use";
}

TEST(PointCount, PrecedenceOfTheThreeBits)
{
    struct { uint32_t option; int points; } cases[] = {
        {OPT_CALIB_9, 9},
        {OPT_CALIB_12, 12},
        {OPT_CALIB_20, 20},
        {OPT_CALIB_12 | OPT_CALIB_20, 20},
        {OPT_CALIB_9 | OPT_CALIB_12, 12},
        {0, 9},
        {0xFFFFFFE3u, 9},  // every other bit set, no point-count bit
        {kDefaultOption, 9},
    };
    for (auto& c : cases) EXPECT_EQ(PointCountFromOption(c.option), c.points) << std::hex << c.option;
}

TEST(Resolution, WidthIndexAndFields)
{
    EXPECT_EQ(WidthIndex(640), 0);
    EXPECT_EQ(WidthIndex(800), 1);
    EXPECT_EQ(WidthIndex(1024), 2);
    EXPECT_EQ(WidthIndex(1152), 3);
    EXPECT_EQ(WidthIndex(1280), -1);
    EXPECT_EQ(WidthIndex(0), -1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(WidthIndex(kScreenSizes[i].width), i);

    EXPECT_EQ(ResolutionField(kDefaultResolutionX, 1), 800u);
    EXPECT_EQ(ResolutionField(kDefaultResolutionX, 2), 800u);
    EXPECT_EQ(ResolutionField(kDefaultResolutionY, 2), 600u);
    // A width with no index is kept as it is.
    EXPECT_EQ(ResolutionField(0x03200500, 1), 0x500u);
    // Replacing one field keeps the other and the bits outside both fields.
    EXPECT_EQ(ReplaceResolutionField(0xF320F320u, 1, 1024), 0xF320F400u);
    EXPECT_EQ(ReplaceResolutionField(0xF320F320u, 2, 640), 0xF280F320u);
    EXPECT_EQ(ReplaceResolutionField(0, 2, 0x1FFF), 0x0FFF0000u) << "a field holds 12 bits";
}

TEST(Ncomm, ArrangementFieldLeavesOtherBits)
{
    EXPECT_EQ(NcommArrangement(0x00000041u), 4u);
    EXPECT_EQ(NcommArrangement(0xFFFFFF0Fu), 0u);
    EXPECT_EQ(NcommWithArrangement(0xABCDEF07u, 6), 0xABCDEF67u);
    EXPECT_EQ(NcommWithArrangement(0x12345678u, 0), 0x12345608u);
    for (uint32_t t = 0; t < 8; ++t) EXPECT_EQ(NcommArrangement(NcommWithArrangement(0xFFFFFF05u, t)), t);
}

TEST(Option, SoundKindFieldAndDefaults)
{
    EXPECT_EQ(kDefaultOption, 0x000800A4u);
    EXPECT_EQ(SoundKind(0x00006000u), 6u);
    EXPECT_EQ(WithSoundKind(0xFFFF0FFFu, 3), 0xFFFF3FFFu);
    EXPECT_EQ(WithSoundKind(0x12345678u, 0) & ~OPT_SOUND_KIND_MASK, 0x12345678u & ~OPT_SOUND_KIND_MASK);
    // The settings record in write order.
    const char* order[] = {"Option", "Freq", "Duration", "StdFreq", "StdDuration", "DHeight", "DWidth"};
    for (int i = 0; i < 7; ++i) EXPECT_STREQ(kSettingsValueNames[i], order[i]);
    EXPECT_EQ(kDefaultSettings.Freq, 1000u);
    EXPECT_EQ(kDefaultSettings.DWidth, 34u);
}

TEST(DwordRead, OnlyAnExactFourByteValueIsTaken)
{
    const long kSuccess = 0, kFileNotFound = 2, kMoreData = 234;
    struct { long status; unsigned long size; bool takes; } cases[] = {
        {kSuccess, 4, true},
        {kFileNotFound, 4, false},  // missing
        {kMoreData, 8, false},      // longer
        {kSuccess, 2, false},       // shorter: half of the default would be overwritten
        {kSuccess, 0, false},
        {kSuccess, 8, false},
    };
    for (auto& c : cases) EXPECT_EQ(DwordReadTakes(c.status, c.size), c.takes) << c.status << "/" << c.size;
}

TEST(Names, KeysAndFiles)
{
    EXPECT_STREQ(DriverParametersKey, "SYSTEM\\CurrentControlSet\\Services\\WEXANT\\Parameters");
    EXPECT_STREQ(UserSettingsKey, "Software\\Tarsido\\USB");
    EXPECT_STREQ(SecondDriverParametersKey, "SYSTEM\\CurrentControlSet\\Services\\GORVIN\\Parameters");
    EXPECT_STREQ(kDriverDevicePath, "\\\\.\\WEXANT");
    EXPECT_EQ(std::strlen(kMutexSetup), 36u);
    EXPECT_EQ(kFileJostel[0], '\\');
}

// The names other programs and the driver package share with this suite, as
// they are written there: a changed character breaks the meeting point.
TEST(Names, MutexesAndVersionValueAsTheOtherSideWritesThem)
{
    struct { const char* program; const char* constant; const char* text; } mutexes[] = {
        {"Quintrel.exe", kMutexQuintrel, "7C4545E5-7987-2123-6A52-801131B65948"},
        {"Jostel.exe", kMutexJostel, "830FA222-03D8-11d3-A802-11A1B913EF45"},
        {"Tavrick.exe", kMutexTavrick, "3CAF49DD-70D3-15d3-AA22-01A8C6B35249"},
        {"Setup.exe", kMutexSetup, "A3RG84LF-O13F-1LY5-F18G-05S09488TD51"},
    };
    ASSERT_EQ(sizeof(SINGLE_INSTANCE_MUTEX) / sizeof(SINGLE_INSTANCE_MUTEX[0]), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_STREQ(mutexes[i].constant, mutexes[i].text) << mutexes[i].program;
        EXPECT_STREQ(SINGLE_INSTANCE_MUTEX[i].program, mutexes[i].program);
        EXPECT_STREQ(SINGLE_INSTANCE_MUTEX[i].name, mutexes[i].text) << mutexes[i].program;
    }
    EXPECT_STREQ(kValVersion, "Version");
    EXPECT_EQ(kVersionBufferSize, 50u);
}
