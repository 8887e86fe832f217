// The coefficient solver: from the raw panel coordinates of every grid point,
// two affine maps per grid cell (one per triangle), each coefficient checked
// against its range and packed into a 16-bit word of the calibration record.
// Portable: no Windows header.
#pragma once
#include <cstddef>
#include <cstdint>

#include "calib_record.h"

namespace calib {

// Error codes of a failed solve, as the error box names them.
enum CalibError : int {
    CALIB_OK = 0,
    CALIB_ERR_DETERMINANT = 100,  // the three raw points lie on one line
    CALIB_ERR_A = 101,
    CALIB_ERR_B = 102,
    CALIB_ERR_C = 103,
    CALIB_ERR_D = 104,
    CALIB_ERR_E = 105,
    CALIB_ERR_F = 106,
};

// Fixed targets of the solver (1/4096 of the screen), scale and shift per grid size.
struct SolverGrid {
    int points;
    int cols, rows;
    int targetX[5];
    int targetY[5];
    int64_t scale;  // u: 65536 (9, 12 points) or 16384 (20 points)
    int shift;      // 16 or 14
};
const SolverGrid& SolverGridFor(int points);

// (b - a)(f - d) - (c - a)(e - d), in 64-bit: raw values up to 65535 do not overflow.
int64_t CrossProduct3(int64_t a, int64_t b, int64_t c, int64_t d, int64_t e, int64_t f);

// Arithmetic right shift (rounds toward minus infinity) without relying on
// how the compiler shifts negative numbers.
int64_t ShiftRightArith(int64_t value, int shift);

// Word encodings of a coefficient held in the solver's scale u = 2^shift.
uint16_t EncodeScaleWord(int64_t value, int shift);   // A, E
uint16_t EncodeCrossWord(int64_t value, int shift);   // B, D
uint16_t EncodeOffsetCWord(int64_t value, int shift); // C
uint16_t EncodeOffsetFWord(int64_t value);            // F (a plain integer)

// One triangle's coefficients in the solver's scale (F a plain integer).
struct Coefficients {
    int64_t det, A, B, C, D, E, F;
};

// Solves raw (x[i], y[i]) -> target (X[i], Y[i]), i = 0..2, with scale u and
// shift; on success writes A, B, C, D, E, F words into words[0..5] and returns
// CALIB_OK. Else returns the code of the first failed check; words already
// written for the triangle are then of no use.
int SolveTriangle(const int64_t x[3], const int64_t y[3], const int64_t X[3], const int64_t Y[3],
                  int64_t scale, int shift, uint16_t words[6], Coefficients* out = nullptr);

// Solves every triangle of the grid of this point count from the raw values
// (indexed by panel point, row by row) and writes the header and coefficient
// words into body (kRecordWordsMax words; word 0 is not touched). Returns
// CALIB_OK or the first failure's code.
int SolveCalibration(int points, const uint16_t* rawX, const uint16_t* rawY, uint16_t* body);

// Record of the point count: zero, marker 0, then words 1..lastCoef of body,
// little-endian into bytes (RecordBytes(points) long). The 20-point record
// keeps its last six words zero.
void BuildCalibRecord(int points, const uint16_t* body, uint8_t* record);

// Little-endian word access to a record.
inline uint16_t RecordWord(const uint8_t* record, int word) {
    return static_cast<uint16_t>(record[2 * word] | (record[2 * word + 1] << 8));
}
inline void SetRecordWord(uint8_t* record, int word, uint16_t value) {
    record[2 * word] = static_cast<uint8_t>(value & 0xFF);
    record[2 * word + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace calib
