#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "calib_record.h"
#include "calib_solver.h"
#include "pinned_records.h"

using namespace calib;

namespace {

// The first triangle of the 9-point grid: targets TL (100,100), BL (100,2048), BR (2048,2048).
const int64_t kX[3] = {100, 100, 2048};
const int64_t kY[3] = {100, 2048, 2048};

// Raw values of a whole grid that map exactly onto the solver's targets.
void IdentityRaw(int points, std::vector<uint16_t>* rx, std::vector<uint16_t>* ry) {
    const SolverGrid& g = SolverGridFor(points);
    rx->assign(points, 0);
    ry->assign(points, 0);
    for (int p = 0; p < points; ++p) {
        (*rx)[p] = static_cast<uint16_t>(g.targetX[p % g.cols]);
        (*ry)[p] = static_cast<uint16_t>(g.targetY[p / g.cols]);
    }
}

// A plausible panel: raw = 200 + 15 * target / 16 with a little skew.
void PanelRaw(int points, std::vector<uint16_t>* rx, std::vector<uint16_t>* ry) {
    const SolverGrid& g = SolverGridFor(points);
    rx->assign(points, 0);
    ry->assign(points, 0);
    for (int p = 0; p < points; ++p) {
        int tx = g.targetX[p % g.cols], ty = g.targetY[p / g.cols];
        (*rx)[p] = static_cast<uint16_t>(200 + tx * 15 / 16 + ty / 64);
        (*ry)[p] = static_cast<uint16_t>(150 + ty * 15 / 16 - tx / 80);
    }
}

}  // namespace

TEST(Solver, KnownTriangleGivesThePinnedCoefficientsAndWords) {
    const int64_t x[3] = {300, 290, 3700};
    const int64_t y[3] = {250, 3800, 3810};
    const uint16_t expected[6] = {0x923C, 0x0068, 0x3FB8, 0x0069, 0x8C78, 0x1FDC};
    for (int shift : {16, 14}) {
        SCOPED_TRACE(shift);
        uint16_t words[6] = {};
        Coefficients c;
        ASSERT_EQ(SolveTriangle(x, y, kX, kY, int64_t{1} << shift, shift, words, &c), CALIB_OK);
        EXPECT_EQ(c.det, -12105600);
        if (shift == 16) {
            EXPECT_EQ(c.A, 37437);
            EXPECT_EQ(c.B, 105);
            EXPECT_EQ(c.C, -4703750);
            EXPECT_EQ(c.D, -105);
            EXPECT_EQ(c.E, 35961);
            EXPECT_EQ(c.F, -36);
        }
        for (int i = 0; i < 6; ++i) EXPECT_EQ(words[i], expected[i]) << "word " << i;
    }
}

TEST(Solver, IdentityRawValuesGiveUnitScaleAndZeroOffsets) {
    uint16_t words[6] = {};
    Coefficients c;
    ASSERT_EQ(SolveTriangle(kX, kY, kX, kY, 65536, 16, words, &c), CALIB_OK);
    EXPECT_EQ(c.A, 65536);
    EXPECT_EQ(c.E, 65536);
    EXPECT_EQ(c.B | c.C | c.D | c.F, 0);
    const uint16_t expected[6] = {0x0001, 0, 0, 0, 0x0001, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(words[i], expected[i]) << "word " << i;
}

TEST(Solver, EachFailedCheckGivesItsCode) {
    struct Case {
        const char* what;
        int64_t x[3], y[3];
        int code;
    } cases[] = {
        {"points on one line", {100, 200, 300}, {100, 200, 300}, CALIB_ERR_DETERMINANT},
        {"two points at one place", {500, 500, 900}, {500, 500, 900}, CALIB_ERR_DETERMINANT},
        {"never touched (zero)", {0, 0, 0}, {0, 0, 0}, CALIB_ERR_DETERMINANT},
        {"mirrored in x", {2048, 2048, 100}, {100, 2048, 2048}, CALIB_ERR_A},
        {"strong cross term in X", {100, 2100, 4048}, {100, 2048, 2048}, CALIB_ERR_B},
        {"shifted far in X", {3900, 3900, 3950}, {100, 2048, 2048}, CALIB_ERR_A},
        {"mirrored in y", {100, 100, 2048}, {2048, 100, 100}, CALIB_ERR_E},
        {"strong cross term in Y", {100, 100, 2048}, {100, 2048, 4048}, CALIB_ERR_D},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        uint16_t words[6] = {};
        EXPECT_EQ(SolveTriangle(k.x, k.y, kX, kY, 65536, 16, words), k.code);
    }
}

TEST(Solver, OffsetRangesAtTheirLimits) {
    // X = x + C with a raw grid shifted left: C = (X1 - x1) u. C = 4095u
    // passes, C = -4096u passes; a point shifted past either side fails.
    struct Case {
        int64_t shiftX;
        int code;
    } cases[] = {{-4095, CALIB_OK}, {4096, CALIB_OK}, {4097, CALIB_ERR_C}, {-4096, CALIB_ERR_C}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.shiftX);
        int64_t x[3] = {kX[0] + k.shiftX, kX[1] + k.shiftX, kX[2] + k.shiftX};
        uint16_t words[6] = {};
        Coefficients c;
        EXPECT_EQ(SolveTriangle(x, kY, kX, kY, 65536, 16, words, &c), k.code);
        EXPECT_EQ(c.C, -k.shiftX * 65536);
    }
    // The same for F with a raw grid shifted in y: F = -4096 passes, -4097 fails.
    struct CaseF {
        int64_t shiftY;
        int code;
    } casesF[] = {{4096, CALIB_OK}, {4097, CALIB_ERR_F}, {-4095, CALIB_OK}, {-4096, CALIB_ERR_F}};
    for (const CaseF& k : casesF) {
        SCOPED_TRACE(k.shiftY);
        int64_t y[3] = {kY[0] + k.shiftY, kY[1] + k.shiftY, kY[2] + k.shiftY};
        uint16_t words[6] = {};
        Coefficients c;
        EXPECT_EQ(SolveTriangle(kX, y, kX, kY, 65536, 16, words, &c), k.code);
        EXPECT_EQ(c.F, -k.shiftY);
    }
}

TEST(Solver, ScaleRangeExcludesTwo) {
    // Raw spacing half the target spacing gives A = 2u exactly: out of range.
    const int64_t x[3] = {50, 50, 1024};
    uint16_t words[6] = {};
    Coefficients c;
    EXPECT_EQ(SolveTriangle(x, kY, kX, kY, 65536, 16, words, &c), CALIB_ERR_A);
    EXPECT_EQ(c.A, 2 * 65536);
}

TEST(Solver, WordEncodingsAtTheirEdges) {
    EXPECT_EQ(EncodeScaleWord(65535, 16), 0xFFFE);
    EXPECT_EQ(EncodeScaleWord(65536 + 2, 16), 0x0003);
    EXPECT_EQ(EncodeScaleWord(16384, 14), 0x0001);  // 1.0 in the 20-point scale
    EXPECT_EQ(EncodeCrossWord(-1, 16), 0x0001);
    EXPECT_EQ(EncodeCrossWord(-65535, 16), 0xFFFF);
    EXPECT_EQ(EncodeCrossWord(-1, 14), 0x0005);
    EXPECT_EQ(EncodeOffsetCWord(4095LL * 65536, 16), 0x0FFF);
    EXPECT_EQ(EncodeOffsetCWord(-4096LL * 65536, 16), 0x1000);
    EXPECT_EQ(EncodeOffsetCWord(-1, 16), 0xFFFF);  // fraction 7/8, integer -1
    EXPECT_EQ(EncodeOffsetCWord(65536 / 2, 16), 0x8000);
    EXPECT_EQ(EncodeOffsetFWord(-4096), 0x1000);
    EXPECT_EQ(EncodeOffsetFWord(4095), 0x0FFF);
    EXPECT_EQ(ShiftRightArith(-31500, 16), -1);
    EXPECT_EQ(ShiftRightArith(-65536, 16), -1);
    EXPECT_EQ(ShiftRightArith(-65537, 16), -2);
}

TEST(Solver, CrossProductDoesNotWrapForLargeRawValues) {
    // 65535 x 65535 is past 32 bits; the determinant stays exact.
    EXPECT_EQ(CrossProduct3(0, 65535, 0, 0, 0, 65535), int64_t{65535} * 65535);
    const int64_t x[3] = {0, 0, 65535};
    const int64_t y[3] = {0, 65535, 65535};
    uint16_t words[6] = {};
    Coefficients c;
    // A raw range of 65535 over a target range of 1948 is a tiny scale, but the
    // solve reaches the range checks with the true determinant.
    SolveTriangle(x, y, kX, kY, 65536, 16, words, &c);
    EXPECT_EQ(c.det, -int64_t{65535} * 65535);
}

TEST(Record, IdentityGridsGiveWholeRecords) {
    for (int points : {9, 12, 20}) {
        SCOPED_TRACE(points);
        const RecordShape& shape = ShapeForPoints(points);
        std::vector<uint16_t> rx, ry;
        IdentityRaw(points, &rx, &ry);
        uint16_t body[kRecordWordsMax] = {};
        ASSERT_EQ(SolveCalibration(points, rx.data(), ry.data(), body), CALIB_OK);
        uint8_t record[kRecordBytes20];
        std::memset(record, 0xCC, sizeof(record));
        BuildCalibRecord(points, body, record);
        EXPECT_EQ(RecordWord(record, 0), 0);
        const uint16_t one = 0x0001;
        for (int w = shape.firstCoef; w <= shape.lastCoef; w += 6) {
            const uint16_t expected[6] = {one, 0, 0, 0, one, 0};
            for (int i = 0; i < 6; ++i) ASSERT_EQ(RecordWord(record, w + i), expected[i]) << "word " << w + i;
        }
        // Header: raw X of panel row 1, raw Y of the header column.
        for (int c = 0; c < shape.cols; ++c)
            EXPECT_EQ(RecordWord(record, shape.headerX + c), rx[shape.headerXRow * shape.cols + c]);
        for (int r = 0; r < shape.rows; ++r)
            EXPECT_EQ(RecordWord(record, shape.headerY + r), ry[r * shape.cols + shape.headerYColumn]);
        // Nothing past the record is touched; the 20-point tail stays zero.
        for (size_t b = shape.bytes; b < sizeof(record); ++b) ASSERT_EQ(record[b], 0xCC);
        for (int w = shape.lastCoef + 1; w < static_cast<int>(shape.bytes / 2); ++w) EXPECT_EQ(RecordWord(record, w), 0);
    }
}

TEST(Record, HeaderWordsAreThePinnedPoints) {
    // Distinct raw values per point show which point each header word takes.
    struct Case {
        int points;
        std::vector<int> xPoints, yPoints;
        int headerX, headerY;
    } cases[] = {
        {9, {3, 4, 5}, {1, 4, 7}, 1, 4},
        {12, {4, 5, 6, 7}, {1, 5, 9}, 1, 5},
        {20, {5, 6, 7, 8, 9}, {2, 7, 12, 17}, 1, 6},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.points);
        std::vector<uint16_t> rx, ry;
        PanelRaw(k.points, &rx, &ry);
        uint16_t body[kRecordWordsMax] = {};
        ASSERT_EQ(SolveCalibration(k.points, rx.data(), ry.data(), body), CALIB_OK);
        for (size_t i = 0; i < k.xPoints.size(); ++i) EXPECT_EQ(body[k.headerX + i], rx[k.xPoints[i]]);
        for (size_t i = 0; i < k.yPoints.size(); ++i) EXPECT_EQ(body[k.headerY + i], ry[k.yPoints[i]]);
    }
}

TEST(Record, WholeRecordsOfASkewedTurnedPanel) {
    // Every word of a 9-, 12- and 20-point record, worked out apart from this
    // solver. Every triangle differs from every other, so cells taken column by
    // column, triangles swapped or a triangle's points taken in another order
    // give another record.
    for (int points : {9, 12, 20}) {
        SCOPED_TRACE(points);
        const pinned::PinnedGrid& grid = pinned::PinnedFor(points);
        ASSERT_EQ(grid.words * 2, static_cast<int>(RecordBytes(points)));
        uint16_t body[kRecordWordsMax] = {};
        ASSERT_EQ(SolveCalibration(points, grid.rawX, grid.rawY, body), CALIB_OK);
        uint8_t record[kRecordBytes20];
        std::memset(record, 0xCC, sizeof(record));
        BuildCalibRecord(points, body, record);
        for (int w = 0; w < grid.words; ++w) EXPECT_EQ(RecordWord(record, w), grid.record[w]) << "word " << w;
    }
}

TEST(Record, LayoutsNameThePartsOfABuiltRecord) {
    // The record structures read a built record: header, cells and triangles by name.
    for (int points : {9, 12, 20}) {
        SCOPED_TRACE(points);
        const pinned::PinnedGrid& grid = pinned::PinnedFor(points);
        uint16_t body[kRecordWordsMax] = {};
        ASSERT_EQ(SolveCalibration(points, grid.rawX, grid.rawY, body), CALIB_OK);
        CalibRecord record;
        std::memset(&record, 0xCC, sizeof(record));
        BuildCalibRecord(points, body, reinterpret_cast<uint8_t*>(&record));
        const uint16_t* w = grid.record;
        if (points == 9) {
            EXPECT_EQ(record.r9.wMarker, 0);
            EXPECT_EQ(record.r9.wRawX[0], grid.rawX[3]);
            EXPECT_EQ(record.r9.wRawY[2], grid.rawY[7]);
            EXPECT_EQ(record.r9.cells[0].first.A, w[7]);
            EXPECT_EQ(record.r9.cells[1].second.C, w[7 + 12 + 6 + 2]);
            EXPECT_EQ(record.r9.cells[3].second.F, w[54]);
        } else if (points == 12) {
            EXPECT_EQ(record.r12.wRawX[3], grid.rawX[7]);
            EXPECT_EQ(record.r12.wRawY[1], grid.rawY[5]);
            EXPECT_EQ(record.r12.cells[0].first.A, w[8]);
            EXPECT_EQ(record.r12.cells[5].second.F, w[79]);
        } else {
            EXPECT_EQ(record.r20.wRawX[4], grid.rawX[9]);
            EXPECT_EQ(record.r20.wRawY[3], grid.rawY[17]);
            EXPECT_EQ(record.r20.cells[0].first.A, w[10]);
            EXPECT_EQ(record.r20.cells[6].first.E, w[10 + 12 * 6 + 4]);
            EXPECT_EQ(record.r20.cells[11].second.F, w[153]);
            for (uint16_t zero : record.r20.wZero) EXPECT_EQ(zero, 0);
        }
    }
}

TEST(Record, CellsAndTrianglesAreInRecordOrder) {
    // Identity raw values with three points of cell 0 moved: cell 0 and cell 1
    // solve, cell 2's first triangle (points 3, 6, 7) fails on E. The words
    // before the failure are those of their triangles in record order.
    std::vector<uint16_t> rx, ry;
    IdentityRaw(9, &rx, &ry);
    rx[0] = 300, ry[0] = 250;    // TL
    rx[3] = 290, ry[3] = 3800;   // BL
    rx[4] = 3700, ry[4] = 3810;  // BR
    uint16_t body[kRecordWordsMax] = {};
    ASSERT_EQ(SolveCalibration(9, rx.data(), ry.data(), body), CALIB_ERR_E);
    const uint16_t expected[28] = {
        0x923C, 0x0068, 0x3FB8, 0x0069, 0x8C78, 0x1FDC,  // cell 0, (TL, BL, BR)
        0x12CB, 0x7A5D, 0x7F99, 0x0B1C, 0x8178, 0x1FD9,  // cell 0, (TL, TR, BR)
        0xCD7F, 0xCD7F, 0x59E4, 0xDB2E, 0x24D0, 0x197D,  // cell 1, (TL, BL, BR)
        0x0001, 0x0000, 0x0000, 0x0000, 0x0001, 0x0000,  // cell 1, (TL, TR, BR): untouched points
        0x0001, 0xF828, 0x50DE, 0x0000,                  // cell 2: A to D, then E fails
    };
    for (int i = 0; i < 28; ++i) EXPECT_EQ(body[7 + i], expected[i]) << "word " << 7 + i;
    EXPECT_EQ(body[35], 0) << "no word of the failed coefficient";
}

TEST(Record, UntouchedGridFailsWithDeterminant) {
    for (int points : {9, 12, 20}) {
        std::vector<uint16_t> zero(points, 0);
        uint16_t body[kRecordWordsMax] = {};
        EXPECT_EQ(SolveCalibration(points, zero.data(), zero.data(), body), CALIB_ERR_DETERMINANT);
    }
}

TEST(Record, ShapesAndValueNames) {
    EXPECT_EQ(RecordBytes(9), 110u);
    EXPECT_EQ(RecordBytes(12), 160u);
    EXPECT_EQ(RecordBytes(20), 320u);
    EXPECT_STREQ(RecordValueName(9, 0x0500), "Caldata9");
    EXPECT_STREQ(RecordValueName(12, 0x0512), "Caldata12S");
    EXPECT_STREQ(RecordValueName(20, 0), "Caldata20");
    EXPECT_STREQ(RecordValueName(20, 0x0512), "Caldata20S");
    EXPECT_EQ(CALIB_MARKER_SAVED, 0x177C);
}
