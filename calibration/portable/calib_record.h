// Layout of the calibration record: the coefficients of every grid cell as the
// driver takes them, and as they are saved in the registry for the resident
// program to load again. Portable: no Windows header.
#pragma once
#include <cstddef>
#include <cstdint>

#include "wexant.h"

namespace calib {

// Little-endian unsigned 16-bit words throughout.
constexpr size_t kRecordBytes9 = 110;
constexpr size_t kRecordBytes12 = 160;
constexpr size_t kRecordBytes20 = 320;
constexpr size_t kRecordWordsMax = kRecordBytes20 / 2;

// Word 0: 0 in the record sent to the driver, this value in a saved record.
constexpr uint16_t CALIB_MARKER_SAVED = 6012;  // 0x177C
static_assert(CALIB_MARKER_SAVED == 0x177C, "saved marker");

// The record is saved as a REG_BINARY value (names in wexant.h) in the driver's key
// and the per-user key; the "S" names are for devices with this product id.
constexpr uint16_t kProductIdS = 0x0512;

// Where the parts of each record lie (the CalibRecord layouts below) and its value names.
//   word 0                     marker
//   words headerX..            raw X of the points of panel row headerXRow, one per column
//   words headerY..            raw Y of the points of panel column headerYColumn, one per row
//   words firstCoef..lastCoef  12 words per grid cell, cells row by row: first
//                              triangle (TL, BL, BR) then second (TL, TR, BR),
//                              each A, B, C, D, E, F
//   the 20-point record ends with 6 zero words (154-159)
struct RecordShape {
    int points;          // 9, 12, 20
    int cols, rows;      // panel grid
    size_t bytes;        // whole record
    int headerX;         // first word of the raw X header (cols words)
    int headerY;         // first word of the raw Y header (rows words)
    int headerXRow;      // panel row (0-based) whose raw X fill the header
    int headerYColumn;   // panel column (0-based) whose raw Y fill the header
    int firstCoef;       // first coefficient word (cell 0, first triangle)
    int lastCoef;        // last coefficient word
    const char* valueName;
    const char* valueNameS;
};

constexpr RecordShape kShape9 = {9, 3, 3, kRecordBytes9, 1, 4, 1, 1, 7, 54, wexant::kValCaldata9, wexant::kValCaldata9S};
constexpr RecordShape kShape12 = {12, 4, 3, kRecordBytes12, 1, 5, 1, 1, 8, 79, wexant::kValCaldata12, wexant::kValCaldata12S};
constexpr RecordShape kShape20 = {20, 5, 4, kRecordBytes20, 1, 6, 1, 2, 10, 153, wexant::kValCaldata20, wexant::kValCaldata20S};

// Shape for a point count (9, 12 or 20; anything else gives the 9-point shape).
constexpr const RecordShape& ShapeForPoints(int points) {
    return points == 20 ? kShape20 : points == 12 ? kShape12 : kShape9;
}
// Record size for a point count.
constexpr size_t RecordBytes(int points) { return ShapeForPoints(points).bytes; }
// Value name for a point count and product id.
constexpr const char* RecordValueName(int points, uint16_t productId) {
    return productId == kProductIdS ? ShapeForPoints(points).valueNameS : ShapeForPoints(points).valueName;
}

// ---- The record itself --------------------------------------------------------
// The six words of one triangle's map, in record order.
struct CalibTriangleWords {
    uint16_t A, B, C, D, E, F;
};
// One grid cell: its first triangle (TL, BL, BR), then its second (TL, TR, BR).
struct CalibCellWords {
    CalibTriangleWords first, second;
};
// The record of each grid size: the marker, the raw X of the points of panel
// row 1, the raw Y of the points of the header column, then the cells row by
// row. Words are little-endian, as on the machines the programs run on.
struct CalibRecord9 {
    uint16_t wMarker;
    uint16_t wRawX[3];  // points 3, 4, 5
    uint16_t wRawY[3];  // points 1, 4, 7
    CalibCellWords cells[4];
};
struct CalibRecord12 {
    uint16_t wMarker;
    uint16_t wRawX[4];  // points 4 to 7
    uint16_t wRawY[3];  // points 1, 5, 9
    CalibCellWords cells[6];
};
struct CalibRecord20 {
    uint16_t wMarker;
    uint16_t wRawX[5];  // points 5 to 9
    uint16_t wRawY[4];  // points 2, 7, 12, 17
    CalibCellWords cells[12];
    uint16_t wZero[6];
};
// The calibration record as sent to the driver and as stored: one of the
// three layouts, by the point count in force; word 0 is the marker in each.
union CalibRecord {
    CalibRecord9 r9;
    CalibRecord12 r12;
    CalibRecord20 r20;
    uint16_t words[kRecordWordsMax];
};

static_assert(sizeof(CalibTriangleWords) == 12 && sizeof(CalibCellWords) == 24, "cell words");
static_assert(sizeof(CalibRecord9) == kRecordBytes9, "9-point record size");
static_assert(sizeof(CalibRecord12) == kRecordBytes12, "12-point record size");
static_assert(sizeof(CalibRecord20) == kRecordBytes20, "20-point record size");
static_assert(sizeof(CalibRecord) == kRecordBytes20, "record buffer size");
static_assert(offsetof(CalibRecord9, wRawX) == 2 * kShape9.headerX, "9: raw X header");
static_assert(offsetof(CalibRecord9, wRawY) == 2 * kShape9.headerY, "9: raw Y header");
static_assert(offsetof(CalibRecord9, cells) == 2 * kShape9.firstCoef, "9: first coefficient");
static_assert(offsetof(CalibRecord12, wRawX) == 2 * kShape12.headerX, "12: raw X header");
static_assert(offsetof(CalibRecord12, wRawY) == 2 * kShape12.headerY, "12: raw Y header");
static_assert(offsetof(CalibRecord12, cells) == 2 * kShape12.firstCoef, "12: first coefficient");
static_assert(offsetof(CalibRecord20, wRawX) == 2 * kShape20.headerX, "20: raw X header");
static_assert(offsetof(CalibRecord20, wRawY) == 2 * kShape20.headerY, "20: raw Y header");
static_assert(offsetof(CalibRecord20, cells) == 2 * kShape20.firstCoef, "20: first coefficient");
static_assert(offsetof(CalibRecord20, wZero) == 2 * (kShape20.lastCoef + 1), "20: zero tail");
static_assert(offsetof(CalibRecord20, wZero) == 308, "20: zero tail at word 154");

static_assert(kShape9.firstCoef + 12 * 4 - 1 == kShape9.lastCoef, "9-point layout");
static_assert(kShape12.firstCoef + 12 * 6 - 1 == kShape12.lastCoef, "12-point layout");
static_assert(kShape20.firstCoef + 12 * 12 - 1 == kShape20.lastCoef, "20-point layout");
static_assert((kShape9.lastCoef + 1) * 2 == kRecordBytes9, "9-point size");
static_assert((kShape12.lastCoef + 1) * 2 == kRecordBytes12, "12-point size");
static_assert((kShape20.lastCoef + 1 + 6) * 2 == kRecordBytes20, "20-point size");

}  // namespace calib
