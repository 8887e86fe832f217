// Portable rules of the settings program.
#include "settings_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
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

namespace {
// A whole 4 x 2 picture file whose information header is infoSize bytes long:
// the 40 bytes every form starts with, then filler that is no colour, then
// (below 16 bits) the full colour table with entries 1-4 set, then the bits.
std::vector<uint8_t> PictureFile(uint32_t infoSize, uint16_t bits) {
    const uint32_t table = bits < 16 ? 4u << bits : 0;
    const uint32_t stride = ((4 * bits + 31) / 32) * 4;
    const uint32_t offBits = 14 + infoSize + table;
    std::vector<uint8_t> f = Headers(offBits + 2 * stride, offBits, 4, 2, bits);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i)); };
    put32(14, infoSize);
    f.resize(14 + infoSize, 0x5A);
    f.resize(offBits, 0);
    const uint8_t colours[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {0, 255, 255}};  // blue, green, red bytes
    for (int i = 0; i < 4 && table; ++i)
        for (int c = 0; c < 3; ++c) f[14 + infoSize + 4 * (i + 1) + c] = colours[i][c];
    for (uint32_t i = 0; i < 2 * stride; ++i) f.push_back(uint8_t(bits == 8 ? 1 + i % 4 : 0x30 + i));
    return f;
}

// What the page hands to the drawing for a file held in memory; false when refused.
bool Load(const std::vector<uint8_t>& file, std::vector<uint8_t>* info, std::vector<uint8_t>* bits) {
    BitmapLayout l;
    if (!CheckPanelBitmap(file.data(), 54, file.size(), &l)) return false;
    info->assign(l.infoSize, 0xEE);
    bits->assign(l.bitsSize, 0xEE);
    FileReader read = [&](uint64_t offset, void* dest, size_t size) {
        if (offset > file.size() || size > file.size() - offset) return false;
        memcpy(dest, file.data() + offset, size);
        return true;
    };
    return ReadPanelBitmap(file.data(), l, read, info->data(), bits->data());
}

uint32_t InfoField(const std::vector<uint8_t>& info, size_t at) {
    return info[at] | (info[at + 1] << 8) | (info[at + 2] << 16) | (uint32_t(info[at + 3]) << 24);
}
}  // namespace

// Image editors write the 108- and 124-byte header forms: the colour table
// follows the header at its own size, and the drawing gets the 40-byte form,
// so the same picture draws the same whatever form its file uses.
TEST(PanelBitmap, EveryHeaderFormDrawsTheSameColours) {
    std::vector<uint8_t> info40, bits40;
    ASSERT_TRUE(Load(PictureFile(40, 8), &info40, &bits40));
    ASSERT_EQ(info40.size(), 40u + 1024u);
    EXPECT_EQ(InfoField(info40, 0), 40u);
    EXPECT_EQ(InfoField(info40, 40 + 4), 0x00FF0000u);   // entry 1: red
    EXPECT_EQ(InfoField(info40, 40 + 16), 0x00FFFF00u);  // entry 4: yellow
    for (uint32_t size : {52u, 56u, 64u, 108u, 124u}) {
        std::vector<uint8_t> info, bits;
        ASSERT_TRUE(Load(PictureFile(size, 8), &info, &bits)) << size;
        EXPECT_EQ(info, info40) << size;
        EXPECT_EQ(bits, bits40) << size;
    }
    // 1 and 4 bits likewise; 24 bits, without a table, keep drawing.
    for (uint16_t depth : {uint16_t(1), uint16_t(4), uint16_t(24)}) {
        std::vector<uint8_t> info, bits, info124, bits124;
        ASSERT_TRUE(Load(PictureFile(40, depth), &info, &bits)) << depth;
        ASSERT_TRUE(Load(PictureFile(124, depth), &info124, &bits124)) << depth;
        EXPECT_EQ(info124, info) << depth;
        EXPECT_EQ(bits124, bits) << depth;
        EXPECT_EQ(InfoField(info124, 0), 40u) << depth;
    }
}

TEST(PanelBitmap, InformationHeaderSizeIsBoundByTheFile) {
    auto put32 = [](std::vector<uint8_t> f, size_t at, uint32_t v) {
        const uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        std::copy(bytes, bytes + 4, f.begin() + static_cast<std::ptrdiff_t>(at));
        return f;
    };
    const std::vector<uint8_t> good = PictureFile(124, 8);
    const std::vector<uint8_t> good24 = PictureFile(124, 24);  // bits at 138, 24 bytes
    // An 8-bit picture whose four entries in use would lie in the file after a
    // 40-byte header but not after its own 124 bytes: the bits follow at once.
    std::vector<uint8_t> noTable(good24.begin(), good24.begin() + 138);
    noTable.insert(noTable.end(), 8, 1);
    noTable = put32(put32(put32(put32(noTable, 2, 146), 10, 138), 46, 4), 28, 8);
    ASSERT_FALSE(noTable.empty());
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
    } cases[] = {
        {"biSize 0", put32(good, 14, 0)},
        {"the 12-byte form, whose fields lie elsewhere", put32(good, 14, 12)},
        {"biSize 39", put32(good, 14, 39)},
        {"header reaching into the bits", put32(good24, 14, 124 + 4)},
        {"entries in use beyond the file after the header", noTable},
        {"header beyond the file", put32(good, 14, static_cast<uint32_t>(good.size()))},
        {"14 + biSize wraps 32 bits", put32(good, 14, 0xFFFFFFF2u)},
        {"largest", put32(good, 14, 0xFFFFFFFFu)},
        {"one past 2 GB", put32(good, 14, 0x80000001u)},
    };
    std::vector<uint8_t> info, bits;
    for (const Case& c : cases) EXPECT_FALSE(Load(c.file, &info, &bits)) << c.what;
    // The same small file with a 40-byte header holds its table.
    EXPECT_TRUE(Load(put32(put32(noTable, 14, 40), 10, 138), &info, &bits));
}
