// Portable rules of the settings program.
#include "settings_rules.h"

#include <cstring>

#include "wexant.h"

namespace settingsrules {

uint32_t DoubleClickSpeed(uint32_t doubleClickTimeMs) {
    // Times above 1000 ms make the difference negative; keep it signed.
    int64_t speed = 1000 - static_cast<int64_t>(doubleClickTimeMs);
    if (speed < 100) speed = 100;
    if (speed > 900) speed = 900;
    return static_cast<uint32_t>(speed);
}

void FillCommRequest(uint32_t ncomm, uint8_t request[2]) {
    uint32_t low = ncomm & 0xF;
    uint32_t position = (ncomm >> 4) & 0xFF;
    if (low <= 3) request[0] = static_cast<uint8_t>(low);
    if (position <= 7) request[1] = static_cast<uint8_t>(position);
}

void FillResolutionRequest(uint32_t resolutionX, uint8_t request[2]) {
    int first = wexant::WidthIndex(wexant::ResolutionField(resolutionX, 1));
    int second = wexant::WidthIndex(wexant::ResolutionField(resolutionX, 2));
    if (first >= 0) request[0] = static_cast<uint8_t>(first);
    if (second >= 0) request[1] = static_cast<uint8_t>(second);
}

SettingsMessage MakeSettingsMessage(uint32_t freq, uint32_t duration, uint32_t option) {
    SettingsMessage message = {0, freq, duration, option};
    return message;
}

bool TerminateVersion(char* buffer, size_t size, bool readOk, bool stringType, uint32_t dataSize) {
    if (size == 0) return false;
    if (!readOk || !stringType || dataSize > size) {
        buffer[0] = '\0';
        return false;
    }
    // The stored text may or may not carry its terminator; it needs room for one.
    size_t length = strnlen(buffer, dataSize);
    if (length >= size) {
        buffer[0] = '\0';
        return false;
    }
    buffer[length] = '\0';
    return true;
}

namespace {
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
}  // namespace

bool CheckPanelBitmap(const uint8_t* headers, size_t headerBytes, uint64_t fileSize, BitmapLayout* layout) {
    const size_t headerSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;
    if (!headers || headerBytes < headerSize || fileSize < headerSize) return false;
    const uint8_t* info = headers + kBmpFileHeaderSize;
    uint32_t bfSize = Le32(headers + 2);
    uint32_t offBits = Le32(headers + 10);
    uint32_t infoHeaderSize = Le32(info);
    int32_t width = static_cast<int32_t>(Le32(info + 4));
    int32_t height = static_cast<int32_t>(Le32(info + 8));
    uint16_t bitCount = Le16(info + 14);
    uint32_t compression = Le32(info + 16);
    uint32_t clrUsed = Le32(info + 32);

    // The fields read here sit in the first 40 bytes of every header form from
    // 40 bytes on; the colour table follows the header at its own size.
    if (infoHeaderSize < kBmpInfoHeaderSize) return false;
    const uint64_t tableOffset = kBmpFileHeaderSize + static_cast<uint64_t>(infoHeaderSize);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    if (compression != 0) return false;  // only plain rows of pixels can be checked against the file
    if (width <= 0 || height == 0 || height == INT32_MIN) return false;
    uint32_t table = bitCount < 16 ? 4u << bitCount : 0;
    // A table of more entries than the bit count can address is read as the full table.
    uint32_t entries = table / 4;
    if (clrUsed > entries) clrUsed = 0;
    uint32_t used = (clrUsed ? clrUsed : entries) * 4;
    if (tableOffset + used > fileSize) return false;
    uint64_t inFile = fileSize - tableOffset;
    // The whole information header lies before the bits, and so within the file.
    if (offBits < tableOffset || offBits > fileSize) return false;
    if (bfSize < offBits) return false;
    uint64_t bitsSize = static_cast<uint64_t>(bfSize) - offBits;
    if (bitsSize > fileSize - offBits) return false;
    uint64_t absHeight = height < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(height)) : static_cast<uint64_t>(height);
    uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    if (stride * absHeight > bitsSize) return false;

    if (layout) {
        layout->offBits = offBits;
        layout->bitsSize = static_cast<uint32_t>(bitsSize);
        layout->tableOffset = static_cast<uint32_t>(tableOffset);
        layout->colorTableSize = table;
        layout->tableBytesInFile = static_cast<uint32_t>(inFile < table ? inFile : table);
        layout->clrUsed = clrUsed;
        layout->infoSize = table ? static_cast<uint32_t>(kBmpInfoHeaderSize) + table
                                 : static_cast<uint32_t>(kBmpInfoHeaderSize) + 4;
        layout->width = width;
        layout->height = static_cast<int32_t>(absHeight);
    }
    return true;
}

bool ReadPanelBitmap(const uint8_t* headers, const BitmapLayout& layout, const FileReader& read, uint8_t* info,
                     uint8_t* bits) {
    memset(info, 0, layout.infoSize);
    // The drawing takes the colour table right after a header of biSize bytes:
    // it gets the 40-byte form, whatever form the file holds.
    memcpy(info, headers + kBmpFileHeaderSize, kBmpInfoHeaderSize);
    const uint32_t drawnHeaderSize = static_cast<uint32_t>(kBmpInfoHeaderSize);
    for (int i = 0; i < 4; ++i) {
        info[i] = static_cast<uint8_t>(drawnHeaderSize >> (8 * i));
        // Entries beyond the table's size are not looked up.
        info[32 + i] = static_cast<uint8_t>(layout.clrUsed >> (8 * i));
    }
    const size_t table = layout.tableBytesInFile;
    if (table != 0 && !read(layout.tableOffset, info + kBmpInfoHeaderSize, table)) return false;
    return read(layout.offBits, bits, layout.bitsSize);
}

}  // namespace settingsrules
