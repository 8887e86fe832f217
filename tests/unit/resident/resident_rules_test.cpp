#include "resident_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "wexant.h"

using namespace resident;
using namespace wexant;

namespace {
std::vector<uint8_t> Record(size_t size, uint8_t first)
{
    std::vector<uint8_t> r(size);
    for (size_t i = 0; i < size; ++i) r[i] = static_cast<uint8_t>(first + i);
    return r;
}
const BundleSlot& Slot(const char* name)
{
    for (const BundleSlot& s : kBundleSlots)
        if (std::string(s.valueName) == name) return s;
    ADD_FAILURE() << name;
    return kBundleSlots[0];
}
}  // namespace

TEST(Bundle, SlotsTileTheBundleInRecordOrder)
{
    // By offset: Caldata9, 12, 20, 9S, 12S, 20S back to back after the mask.
    const char* order[] = {"Caldata9", "Caldata12", "Caldata20", "Caldata9S", "Caldata12S", "Caldata20S"};
    const uint32_t bits[] = {0x1, 0x2, 0x4, 0x10, 0x20, 0x40};
    const size_t sizes[] = {110, 160, 320, 110, 160, 320};
    size_t offset = 4;
    for (int i = 0; i < 6; ++i) {
        const BundleSlot& s = Slot(order[i]);
        EXPECT_EQ(s.offset, offset) << order[i];
        EXPECT_EQ(s.maskBit, bits[i]) << order[i];
        EXPECT_EQ(s.size, sizes[i]) << order[i];
        offset += s.size;
    }
    EXPECT_EQ(offset, kBundleSize);
}

TEST(Bundle, OnlyCaldata12SGivesMask0x20AndZerosElsewhere)
{
    CalibBundle b;
    ClearBundle(&b);
    auto rec = Record(160, 7);
    EXPECT_TRUE(TakeBundleRecord(&b, Slot("Caldata12S"), 0, rec.data(), rec.size()));
    EXPECT_EQ(BundleMask(b), 0x20u);
    EXPECT_EQ(b.bytes[0], 0x20);
    for (size_t i = 0; i < kBundleSize; ++i) {
        if (i >= 704 && i < 864) {
            ASSERT_EQ(b.bytes[i], rec[i - 704]) << i;
        } else if (i != 0) {
            ASSERT_EQ(b.bytes[i], 0) << i;
        }
    }
    EXPECT_TRUE(BundleWorthSending(BundleMask(b)));
}

TEST(Bundle, RecordsOfTheWrongSizeOrFailedReadsAreNotTaken)
{
    struct Case {
        long status;
        size_t size;
    } cases[] = {{0, 120}, {0, 109}, {0, 0}, {234 /*ERROR_MORE_DATA*/, 110}, {2 /*not found*/, 110}};
    for (const Case& c : cases) {
        CalibBundle b;
        ClearBundle(&b);
        auto rec = Record(c.size ? c.size : 1, 1);
        EXPECT_FALSE(TakeBundleRecord(&b, Slot("Caldata9"), c.status, rec.data(), c.size)) << c.size;
        EXPECT_EQ(BundleMask(b), 0u);
        for (size_t i = 0; i < kBundleSize; ++i) ASSERT_EQ(b.bytes[i], 0) << c.size << " at " << i;
        EXPECT_FALSE(BundleWorthSending(BundleMask(b)));
    }
    // A refused Caldata9 does not stop Caldata9S from being taken.
    CalibBundle b;
    ClearBundle(&b);
    auto longer = Record(120, 1), ok = Record(110, 50);
    EXPECT_FALSE(TakeBundleRecord(&b, Slot("Caldata9"), 0, longer.data(), longer.size()));
    EXPECT_TRUE(TakeBundleRecord(&b, Slot("Caldata9S"), 0, ok.data(), ok.size()));
    EXPECT_EQ(BundleMask(b), 0x10u);
}

TEST(Bundle, AllSixRecordsSetEveryListedBit)
{
    CalibBundle b;
    ClearBundle(&b);
    for (const BundleSlot& s : kBundleSlots) {
        auto rec = Record(s.size, static_cast<uint8_t>(s.maskBit));
        EXPECT_TRUE(TakeBundleRecord(&b, s, 0, rec.data(), rec.size()));
    }
    EXPECT_EQ(BundleMask(b), 0x77u);
    EXPECT_EQ(b.bytes[4], 0x01);    // Caldata9 begins right after the mask
    EXPECT_EQ(b.bytes[864], 0x40);  // Caldata20S
}

TEST(EventReg, HandleSitsAtOffsetEightAfterZeros)
{
    EventRegRecord record;
    std::memset(&record, 0xCC, sizeof(record));
    MakeEventRegRecord(&record, 0x1122334455667788ull);
    const uint8_t want[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11};
    EXPECT_EQ(0, std::memcmp(&record, want, 16));
    EXPECT_EQ(RecordEvent(record), 0x1122334455667788ull);
}

TEST(SettingsMessage, TakesBytesFourToFifteenAndRefusesShortOrNull)
{
    const uint8_t msg[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xE8, 0x03, 0, 0, 0x32, 0, 0, 0, 0xA4, 0x00, 0x09, 0x00};
    SettingsMessage v{9, 1, 2, 3};
    ASSERT_TRUE(ParseSettingsMessage(msg, 16, &v));
    EXPECT_EQ(v.dwFreq, 1000u);
    EXPECT_EQ(v.dwDuration, 50u);
    EXPECT_EQ(v.dwOption, 0x000900A4u);
    SettingsMessage untouched{9, 1, 2, 3};
    EXPECT_FALSE(ParseSettingsMessage(msg, 15, &untouched));
    EXPECT_FALSE(ParseSettingsMessage(nullptr, 16, &untouched));
    EXPECT_EQ(untouched.dwFreq, 1u);
    EXPECT_EQ(untouched.dwOption, 3u);
    EXPECT_TRUE(ParseSettingsMessage(msg, 64, &v));  // extra bytes are not read
}

TEST(Beep, DecisionTable)
{
    const uint32_t S = OPT_SOUND, T = OPT_SOUND_ON_TOUCH, P = OPT_POINT_MODE;
    struct Case {
        uint32_t option;
        uint32_t state;
        bool beeps;
    } cases[] = {
        // Stream mode, sound at touch-down.
        {S | T, 0, true}, {S | T, 1, false}, {S | T, 2, false}, {S | T, 3, false},
        // Stream mode, sound at release.
        {S, 0, false}, {S, 1, true}, {S, 2, true}, {S, 7, false},
        // Sound off.
        {T, 0, false}, {0, 1, false}, {P, 0, false}, {P | T, 2, false},
        // Point mode: every report, whatever its value.
        {S | P, 0, true}, {S | P, 1, true}, {S | P, 2, true}, {S | P | T, 5, true}, {S | P, 0xFFFFFFFF, true},
        // Unrelated bits change nothing.
        {S | T | OPT_TRAY_ICON | 0x3000, 0, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TouchStateBeeps(c.state, c.option), c.beeps) << std::hex << c.option << " state " << c.state;
    EXPECT_TRUE(TouchStateReturnsPrimary(2));
    EXPECT_FALSE(TouchStateReturnsPrimary(0));
    EXPECT_FALSE(TouchStateReturnsPrimary(1));
}

TEST(Beep, SoundKinds)
{
    struct Case {
        uint32_t kind;
        SoundCall call;
        uint32_t type;
    } cases[] = {
        {0x0000, SoundCall::Tone, 0},          {0x1000, SoundCall::MessageBeep, 0x40},
        {0x2000, SoundCall::MessageBeep, 0x30}, {0x3000, SoundCall::MessageBeep, 0x20},
        {0x4000, SoundCall::MessageBeep, 0x10}, {0x5000, SoundCall::MessageBeep, 0},
        {0x6000, SoundCall::MessageBeep, 0xFFFFFFFF}, {0x7000, SoundCall::Tone, 0},
        {0xA000, SoundCall::Tone, 0},          {0xF000, SoundCall::Tone, 0},
    };
    for (const Case& c : cases) {
        SoundChoice s = SoundForOption(c.kind | OPT_SOUND | 0x0F00);  // standard copy ignored
        EXPECT_EQ(s.call, c.call) << std::hex << c.kind;
        if (c.call == SoundCall::MessageBeep) {
            EXPECT_EQ(s.beepType, c.type) << std::hex << c.kind;
        }
    }
}

TEST(ModeSwitch, TableFollowsClickAndSystemSwap)
{
    struct Case {
        uint32_t message;
        bool swapped;
        bool secondary;
        const char* tip;
        int icon;
        uint32_t floatMessage;
    } cases[] = {
        {0x202, false, true, "Switch to Primary Button", 104, 0x501},
        {0x202, true, true, "Switch to Primary Button", 103, 0x502},
        {0x205, false, false, "Switch to Secondary Button", 103, 0x502},
        {0x205, true, false, "Switch to Secondary Button", 104, 0x501},
    };
    for (const Case& c : cases) {
        ModeSwitch m{};
        ASSERT_TRUE(ModeSwitchFor(c.message, c.swapped, &m));
        EXPECT_EQ(m.secondary, c.secondary);
        EXPECT_STREQ(m.tip, c.tip);
        EXPECT_EQ(m.icon, c.icon) << std::hex << c.message << " swapped " << c.swapped;
        EXPECT_EQ(m.floatMessage, c.floatMessage);
    }
    ModeSwitch m{};
    EXPECT_FALSE(ModeSwitchFor(0x201, false, &m));  // button down
    EXPECT_FALSE(ModeSwitchFor(0x203, false, &m));  // double click
}

TEST(Tone, DurationAndSuspendWaitAreHeldToTheLongestTone)
{
    const struct {
        uint32_t duration, tone, suspend;
    } cases[] = {
        {0, 0, 10},           {1, 1, 10 + 1},          {50, 50, 60},
        {1000, 1000, 1010},   {1001, 1000, 1010},      {100000, 1000, 1010},
        {0xFFFFFFF5u, 1000, 1010},  // + 10 would wrap to INFINITE
        {0xFFFFFFFFu, 1000, 1010},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToneDuration(c.duration), c.tone) << c.duration;
        EXPECT_EQ(SuspendWait(c.duration), c.suspend) << c.duration;
    }
}

TEST(FloatPosition, WindowOnAMonitorWhenAnyPartOfItIs)
{
    const ScreenRect screen{0, 0, 1024, 768};
    const ScreenRect two[] = {{0, 0, 1024, 768}, {1024, 0, 2304, 1024}};
    const int32_t w = 80, h = 70;
    const struct {
        int32_t x, y;
        size_t monitors;  // of two[]
        bool on;
    } cases[] = {
        {0, 0, 1, true},
        {300, 200, 1, true},
        {-79, -69, 1, true},         // one pixel in the top-left corner
        {1023, 767, 1, true},        // one pixel in the bottom-right corner
        {-80, 0, 1, false},          // just left of the screen
        {1024, 0, 1, false},         // just right of it
        {0, 768, 1, false},
        {5000, 100, 1, false},
        {100, -32768, 1, false},
        {0x7FFFFFFF, 0x7FFFFFFF, 1, false},
        {-0x7FFFFFFF - 1, -0x7FFFFFFF - 1, 1, false},
        {0x7FFFFFF0, 0, 1, false},   // the right edge would wrap to a negative one
        {1500, 500, 2, true},        // on the second monitor
        {1500, 1024, 2, false},      // below it
    };
    for (const auto& c : cases) {
        const ScreenRect r = WindowRectAt(c.x, c.y, w, h);
        EXPECT_EQ(AnyPartOnMonitors(r, c.monitors == 1 ? &screen : two, c.monitors), c.on) << c.x << "," << c.y;
        EXPECT_LE(r.left, r.right);
        EXPECT_LE(r.top, r.bottom);
    }
    EXPECT_FALSE(AnyPartOnMonitors(WindowRectAt(0, 0, w, h), nullptr, 0));
}

TEST(CommandLine, RunOnceIsTheWholeTailInAnyCase)
{
    EXPECT_TRUE(IsRunOnceTail("runonce"));
    EXPECT_TRUE(IsRunOnceTail("RUNONCE"));
    EXPECT_TRUE(IsRunOnceTail("RunOnce"));
    for (const char* tail : {"", "run", "runonce ", " runonce", "runonce x", "runoncee", "/runonce"})
        EXPECT_FALSE(IsRunOnceTail(tail)) << '"' << tail << '"';
    EXPECT_FALSE(IsRunOnceTail(nullptr));
}
