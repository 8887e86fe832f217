// Portable rules of the settings program.
#include "settings_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace settingsrules;

TEST(DoubleClickSpeed, FromTheSystemTime) {
    struct Case { uint32_t time, speed; };
    for (Case c : {Case{1100, 100}, Case{50, 900}, Case{500, 500}, Case{100, 900}, Case{900, 100},
                   Case{1000, 100}, Case{101, 899}, Case{899, 101}, Case{0xFFFFFFFFu, 100}}) {
        EXPECT_EQ(DoubleClickSpeed(c.time), c.speed) << c.time << " ms";
    }
}

TEST(DriverRequests, CommBytesKeepTheirValueForFieldsOutOfRange) {
    uint8_t request[2] = {0, 0};
    FillCommRequest(0x40, request);  // the defaults with arrangement type 4 written in
    EXPECT_EQ(request[0], 0);
    EXPECT_EQ(request[1], 4);
    FillCommRequest(0x33, request);
    EXPECT_EQ(request[0], 3);
    EXPECT_EQ(request[1], 3);
    // Swap-output bit: byte 0 keeps 3; bits 8-11 set: byte 1 keeps 3.
    FillCommRequest(0x35, request);
    EXPECT_EQ(request[0], 3);
    EXPECT_EQ(request[1], 3);
    FillCommRequest(0x161, request);
    EXPECT_EQ(request[0], 1);
    EXPECT_EQ(request[1], 3);
    // From fresh bytes, nComm 0x35 gives 0x00, 0x03.
    uint8_t fresh[2] = {0, 0};
    FillCommRequest(0x35, fresh);
    EXPECT_EQ(fresh[0], 0);
    EXPECT_EQ(fresh[1], 3);
}

TEST(DriverRequests, ResolutionBytesAreWidthIndexes) {
    uint8_t request[2] = {0, 0};
    FillResolutionRequest(0x03200320, request);  // 800 and 800
    EXPECT_EQ(request[0], 1);
    EXPECT_EQ(request[1], 1);
    FillResolutionRequest((1024u << 16) | 640u, request);
    EXPECT_EQ(request[0], 0);
    EXPECT_EQ(request[1], 2);
    // A width without an index keeps the byte; bits outside the fields are ignored.
    FillResolutionRequest(0xF0000000u | (1152u << 16) | 1280u, request);
    EXPECT_EQ(request[0], 0);
    EXPECT_EQ(request[1], 3);
}

TEST(SettingsMessage, SixteenBytesReservedFreqDurationOption) {
    SettingsMessage m = MakeSettingsMessage(1234, 56, 0x000800A4);
    uint8_t bytes[16];
    memcpy(bytes, &m, sizeof bytes);
    const uint8_t expected[16] = {0, 0, 0, 0, 0xD2, 0x04, 0, 0, 56, 0, 0, 0, 0xA4, 0x00, 0x08, 0x00};
    EXPECT_EQ(0, memcmp(bytes, expected, 16));
}

TEST(Version, EndsNulTerminatedOrEmpty) {
    struct Case {
        const char* stored;  // bytes as the read left them (no terminator past size)
        uint32_t size;
        bool ok, string;
        const char* shown;
    };
    const std::string full49(49, 'v');
    const std::string full50(50, 'w');
    const Case cases[] = {
        {"1.02\0", 5, true, true, "1.02"},
        {"1.02", 4, true, true, "1.02"},           // stored without its terminator
        {full49.c_str(), 50, true, true, full49.c_str()},  // 49 characters and the terminator fit
        {full50.c_str(), 50, true, true, ""},      // 50 characters leave no room
        {"1.02", 4, false, true, ""},              // read failed (too long: ERROR_MORE_DATA)
        {"\x01\x00\x00\x00", 4, true, false, ""},  // not a string value
        {"", 0, true, true, ""},
    };
    for (const Case& c : cases) {
        char buffer[50];
        memset(buffer, 'x', sizeof buffer);
        memcpy(buffer, c.stored, c.size > 50 ? 50 : c.size);
        TerminateVersion(buffer, sizeof buffer, c.ok, c.string, c.size);
        ASSERT_LT(strnlen(buffer, sizeof buffer), sizeof buffer);
        EXPECT_STREQ(buffer, c.shown) << "size " << c.size;
    }
}

namespace {
// A BMP file's 54 header bytes with the given fields.
std::vector<uint8_t> Headers(uint32_t bfSize, uint32_t offBits, int32_t width, int32_t height, uint16_t bits,
                             uint32_t compression = 0, uint32_t clrUsed = 0) {
    std::vector<uint8_t> h(54, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) h[at + i] = uint8_t(v >> (8 * i)); };
    h[0] = 'B';
    h[1] = 'M';
    put32(2, bfSize);
    put32(10, offBits);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    h[26] = 1;
    h[28] = uint8_t(bits);
    h[29] = uint8_t(bits >> 8);
    put32(30, compression);
    put32(46, clrUsed);
    return h;
}
}  // namespace

TEST(PanelBitmap, GoodFilesGiveTheLayoutToRead) {
    // 8 bits, 10 x 4: a 256-entry table whatever biClrUsed says, rows of 12 bytes.
    auto h8 = Headers(54 + 1024 + 48, 54 + 1024, 10, 4, 8);
    BitmapLayout l;
    ASSERT_TRUE(CheckPanelBitmap(h8.data(), h8.size(), 54 + 1024 + 48, &l));
    EXPECT_EQ(l.colorTableSize, 1024u);
    EXPECT_EQ(l.infoSize, 40u + 1024u);
    EXPECT_EQ(l.offBits, 1078u);
    EXPECT_EQ(l.bitsSize, 48u);
    // 24 bits: no table, a 44-byte header buffer; a file longer than bfSize is fine.
    auto h24 = Headers(54 + 3 * 12, 54, 3, 3, 24);
    ASSERT_TRUE(CheckPanelBitmap(h24.data(), h24.size(), 54 + 3 * 12 + 100, &l));
    EXPECT_EQ(l.colorTableSize, 0u);
    EXPECT_EQ(l.infoSize, 44u);
    EXPECT_EQ(l.bitsSize, 36u);
    // 1 and 4 bits: 2 and 16 entries; a top-down picture has its height as a count.
    auto h1 = Headers(54 + 8 + 8, 62, 8, -2, 1);
    ASSERT_TRUE(CheckPanelBitmap(h1.data(), h1.size(), 70, &l));
    EXPECT_EQ(l.colorTableSize, 8u);
    EXPECT_EQ(l.height, 2);
    auto h4 = Headers(54 + 64 + 4, 118, 8, 1, 4);
    EXPECT_TRUE(CheckPanelBitmap(h4.data(), h4.size(), 122, &l));
    // A small 8-bit file whose table holds only the two entries it uses: the
    // buffer is still the full table, read as far as the file goes.
    auto small = Headers(54 + 8 + 4, 62, 4, 1, 8, 0, 2);
    ASSERT_TRUE(CheckPanelBitmap(small.data(), small.size(), 66, &l));
    EXPECT_EQ(l.colorTableSize, 1024u);
    EXPECT_EQ(l.tableBytesInFile, 12u);
    EXPECT_EQ(l.clrUsed, 2u);
    // More entries claimed than 8 bits address: drawn with the full table.
    auto many = Headers(54 + 1024 + 4, 1078, 4, 1, 8, 0, 300);
    ASSERT_TRUE(CheckPanelBitmap(many.data(), many.size(), 54 + 1024 + 4, &l));
    EXPECT_EQ(l.clrUsed, 0u);
}

TEST(PanelBitmap, MalformedHeadersAreRefused) {
    struct Case {
        const char* what;
        std::vector<uint8_t> headers;
        uint64_t fileSize;
    };
    const Case cases[] = {
        {"shorter than its headers", Headers(70, 54, 4, 4, 24), 40},
        {"bits offset past the end", Headers(200, 500, 4, 4, 24), 200},
        {"bits offset inside the headers", Headers(120, 20, 4, 4, 24), 120},
        {"bfSize below bfOffBits", Headers(40, 54, 1, 1, 24), 100},
        {"bfSize beyond the file", Headers(54 + 4096, 54, 4, 4, 24), 54 + 48},
        {"rows larger than the bits", Headers(54 + 48, 54, 100, 100, 24), 54 + 48},
        {"full colour table beyond the file", Headers(54 + 4, 54, 1, 1, 8), 54 + 4},
        {"entries in use beyond the file", Headers(54 + 8 + 4, 62, 4, 1, 8, 0, 16), 54 + 8 + 4},
        {"bit count 7", Headers(54 + 64, 54, 1, 1, 7), 54 + 64},
        {"bit count 0", Headers(54 + 64, 54, 1, 1, 0), 54 + 64},
        {"compressed", Headers(54 + 1024 + 64, 54 + 1024, 4, 4, 8, 1), 54 + 1024 + 64},
        {"width 0", Headers(54 + 12, 54, 0, 1, 24), 54 + 12},
        {"height 0", Headers(54 + 12, 54, 4, 0, 24), 54 + 12},
        {"huge width", Headers(54 + 12, 54, 0x7FFFFFFF, 0x7FFFFFFF, 32), 54 + 12},
    };
    for (const Case& c : cases) {
        BitmapLayout l;
        EXPECT_FALSE(CheckPanelBitmap(c.headers.data(), c.headers.size(), c.fileSize, &l)) << c.what;
    }
    auto good = Headers(54 + 12, 54, 1, 1, 24);
    EXPECT_FALSE(CheckPanelBitmap(good.data(), 53, 54 + 12, nullptr)) << "fewer than 54 header bytes";
}
