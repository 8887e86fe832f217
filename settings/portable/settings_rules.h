// Portable rules of the settings program: the double-click speed, the bytes
// of the two dual-monitor requests, the settings message, the Version text
// and the check of the panel picture's headers. No Windows headers here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "wexant.h"

namespace settingsrules {

// Speed slider position from the double-click time: 1000 - time, kept within 100-900.
uint32_t DoubleClickSpeed(uint32_t doubleClickTimeMs);

// CommRequest from nComm: byte 0 takes bits 0-3 when they are 0-3, byte 1
// bits 4-11 when they are 0-7; a byte whose field is out of range keeps its value.
void FillCommRequest(uint32_t ncomm, uint8_t request[2]);
// ResolutionRequest from ResolutionX: the width index of each monitor's field;
// a width without an index keeps the byte.
void FillResolutionRequest(uint32_t resolutionX, uint8_t request[2]);

// The settings message with reserved 0, Freq, Duration, Option.
using wexant::SettingsMessage;
SettingsMessage MakeSettingsMessage(uint32_t freq, uint32_t duration, uint32_t option);

// Makes the Version text read into buffer (size bytes) NUL-terminated.
// readOk: the read succeeded; stringType: it is a string value; dataSize:
// the bytes the read returned. A failed read, a value of another type or a
// text that does not fit with its terminator leaves the buffer empty.
// Returns true when a text was kept.
bool TerminateVersion(char* buffer, size_t size, bool readOk, bool stringType, uint32_t dataSize);

// Where the parts of a panel picture lie in its file, from the headers.
struct BitmapLayout {
    uint32_t offBits;        // offset of the pixel bits
    uint32_t bitsSize;       // bfSize - bfOffBits bytes read as the bits
    uint32_t tableOffset;    // 14 + biSize: the colour table follows the file's own information header
    uint32_t colorTableSize; // bytes of colour table after the 40-byte header: 4 x 2^biBitCount below 16 bits
    uint32_t tableBytesInFile; // of those, the bytes the file holds (a short table leaves the rest zero)
    uint32_t clrUsed;        // biClrUsed for drawing: entries beyond the table's size are not looked up
    uint32_t infoSize;       // bytes of the header buffer: 40 + table, or 44 without one
    int32_t width;
    int32_t height;          // absolute value of biHeight
};
constexpr size_t kBmpFileHeaderSize = 14;
constexpr size_t kBmpInfoHeaderSize = 40;
// Checks the 54 header bytes of a file of fileSize bytes before anything is
// allocated: biSize at least 40 (the later header forms, 108 or 124 bytes as
// image editors write them, start with the same 40 bytes) and the whole
// information header within the file and before the bits, bfOffBits within the
// file, the colour entries in use (biClrUsed, or all 2^biBitCount) present in
// the file after the information header, bfSize - bfOffBits present in the file
// and large enough for the rows the header describes, biBitCount 1, 4, 8, 16,
// 24 or 32, uncompressed. False for a file that fails; it is drawn as a missing
// file is.
bool CheckPanelBitmap(const uint8_t* headers, size_t headerBytes, uint64_t fileSize, BitmapLayout* layout);

// Reads size bytes at offset of the picture's file into dest; false when it cannot.
using FileReader = std::function<bool(uint64_t offset, void* dest, size_t size)>;

// Reads a picture that CheckPanelBitmap accepted into the buffers the drawing
// takes: info (layout.infoSize bytes) gets a 40-byte information header (the
// file's first 40 header bytes with biSize 40 and biClrUsed as the layout
// says) followed by the colour table read from layout.tableOffset as far as
// the file holds it, the rest zero; bits (layout.bitsSize bytes) the pixel bits
// from layout.offBits. headers are the 54 bytes that were checked.
bool ReadPanelBitmap(const uint8_t* headers, const BitmapLayout& layout, const FileReader& read, uint8_t* info,
                     uint8_t* bits);

}  // namespace settingsrules
