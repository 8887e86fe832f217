#include "calib_solver.h"

#include <cstring>

namespace calib {

namespace {

const SolverGrid kSolver9 = {9, 3, 3, {100, 2048, 3996, 0, 0}, {100, 2048, 3996, 0, 0}, 65536, 16};
const SolverGrid kSolver12 = {12, 4, 3, {100, 1399, 2697, 3996, 0}, {100, 2048, 3996, 0, 0}, 65536, 16};
const SolverGrid kSolver20 = {20, 5, 4, {100, 1074, 2048, 3022, 3996}, {100, 1399, 2697, 3996, 0}, 16384, 14};

// The coefficient in 1/65536 units: value x 65536 / u, exact because u is a
// power of two no larger than 65536.
int64_t InSixteenths(int64_t value, int shift) {
    return value * (int64_t{1} << (16 - shift));
}

}  // namespace

const SolverGrid& SolverGridFor(int points) {
    return points == 20 ? kSolver20 : points == 12 ? kSolver12 : kSolver9;
}

int64_t CrossProduct3(int64_t a, int64_t b, int64_t c, int64_t d, int64_t e, int64_t f) {
    return (b - a) * (f - d) - (c - a) * (e - d);
}

int64_t ShiftRightArith(int64_t value, int shift) {
    if (value >= 0) return value >> shift;
    return -((-(value + 1)) >> shift) - 1;
}

uint16_t EncodeScaleWord(int64_t value, int shift) {
    // Bit 0 is the integer part (0 or 1), bits 1-15 the fraction.
    int64_t v = InSixteenths(value, shift);
    if (v >= 65536) return static_cast<uint16_t>((v % 65536) | 1);
    return static_cast<uint16_t>(v & 0xFFFE);
}

uint16_t EncodeCrossWord(int64_t value, int shift) {
    // Bit 0 is the sign, bits 1-15 the magnitude.
    int64_t v = InSixteenths(value, shift);
    if (value < 0) return static_cast<uint16_t>(((-v) % 65536) | 1);
    return static_cast<uint16_t>(v & 0xFFFE);
}

uint16_t EncodeOffsetCWord(int64_t value, int shift) {
    // Bits 13-15 the fraction in eighths, bits 0-12 the integer part rounded
    // down as a 13-bit two's-complement number.
    uint64_t v = static_cast<uint64_t>(InSixteenths(value, shift));
    return static_cast<uint16_t>((v & 0xE000) | ((v >> 16) & 0x1FFF));
}

uint16_t EncodeOffsetFWord(int64_t value) {
    return static_cast<uint16_t>(static_cast<uint64_t>(value) & 0x1FFF);
}

int SolveTriangle(const int64_t x[3], const int64_t y[3], const int64_t X[3], const int64_t Y[3],
                  int64_t u, int shift, uint16_t words[6], Coefficients* out) {
    Coefficients c = {};
    c.det = CrossProduct3(x[0], x[1], x[2], y[0], y[1], y[2]);
    if (out) *out = c;
    if (c.det == 0) return CALIB_ERR_DETERMINANT;

    c.A = u * CrossProduct3(X[0], X[1], X[2], y[0], y[1], y[2]) / c.det;
    if (out) *out = c;
    if (!(c.A > 0 && c.A < 2 * u)) return CALIB_ERR_A;
    words[0] = EncodeScaleWord(c.A, shift);

    c.B = u * CrossProduct3(x[0], x[1], x[2], X[0], X[1], X[2]) / c.det;
    if (out) *out = c;
    if (!(c.B > -u && c.B < u)) return CALIB_ERR_B;
    words[1] = EncodeCrossWord(c.B, shift);

    c.C = X[0] * u - y[0] * c.B - x[0] * c.A;
    if (out) *out = c;
    if (!(c.C >= -4096 * u && c.C <= 4095 * u)) return CALIB_ERR_C;
    words[2] = EncodeOffsetCWord(c.C, shift);

    c.D = u * CrossProduct3(Y[0], Y[1], Y[2], y[0], y[1], y[2]) / c.det;
    if (out) *out = c;
    if (!(c.D > -u && c.D < u)) return CALIB_ERR_D;
    words[3] = EncodeCrossWord(c.D, shift);

    c.E = u * CrossProduct3(x[0], x[1], x[2], Y[0], Y[1], Y[2]) / c.det;
    if (out) *out = c;
    if (!(c.E > 0 && c.E < 2 * u)) return CALIB_ERR_E;
    words[4] = EncodeScaleWord(c.E, shift);

    c.F = Y[0] - ShiftRightArith(x[0] * c.D, shift) - ShiftRightArith(y[0] * c.E, shift);
    if (out) *out = c;
    if (!(c.F >= -4096 && c.F <= 4095)) return CALIB_ERR_F;
    words[5] = EncodeOffsetFWord(c.F);
    return CALIB_OK;
}

int SolveCalibration(int points, const uint16_t* rawX, const uint16_t* rawY, uint16_t* body) {
    const SolverGrid& g = SolverGridFor(points);
    const RecordShape& shape = ShapeForPoints(points);
    const int C = g.cols;
    int word = shape.firstCoef;
    for (int i = 0; i + 1 < g.rows; ++i) {
        for (int j = 0; j + 1 < C; ++j, word += 12) {
            const int tl = i * C + j, tr = tl + 1, bl = tl + C, br = tl + C + 1;
            // First triangle (TL, BL, BR).
            int64_t x[3] = {rawX[tl], rawX[bl], rawX[br]};
            int64_t y[3] = {rawY[tl], rawY[bl], rawY[br]};
            int64_t X[3] = {g.targetX[j], g.targetX[j], g.targetX[j + 1]};
            int64_t Y[3] = {g.targetY[i], g.targetY[i + 1], g.targetY[i + 1]};
            int rc = SolveTriangle(x, y, X, Y, g.scale, g.shift, body + word);
            if (rc != CALIB_OK) return rc;
            // Second triangle (TL, TR, BR): point 2 becomes TR.
            x[1] = rawX[tr];
            y[1] = rawY[tr];
            X[1] = g.targetX[j + 1];
            Y[1] = g.targetY[i];
            rc = SolveTriangle(x, y, X, Y, g.scale, g.shift, body + word + 6);
            if (rc != CALIB_OK) return rc;
        }
    }
    for (int c = 0; c < C; ++c) body[shape.headerX + c] = rawX[shape.headerXRow * C + c];
    for (int r = 0; r < g.rows; ++r) body[shape.headerY + r] = rawY[r * C + shape.headerYColumn];
    return CALIB_OK;
}

void BuildCalibRecord(int points, const uint16_t* body, uint8_t* record) {
    const RecordShape& shape = ShapeForPoints(points);
    std::memset(record, 0, shape.bytes);
    for (int w = 1; w <= shape.lastCoef; ++w) SetRecordWord(record, w, body[w]);
}

}  // namespace calib
