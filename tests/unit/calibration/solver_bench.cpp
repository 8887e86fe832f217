// Solve + build of a 20-point record, per call. Prints a figure; asserts nothing about time.
#include <chrono>
#include <cstdio>

#include "calib_record.h"
#include "calib_solver.h"

int main() {
    using namespace calib;
    const SolverGrid& g = SolverGridFor(20);
    uint16_t rx[20], ry[20];
    for (int p = 0; p < 20; ++p) {
        rx[p] = static_cast<uint16_t>(180 + g.targetX[p % 5] * 15 / 16 + (p * 7) % 11);
        ry[p] = static_cast<uint16_t>(140 + g.targetY[p / 5] * 15 / 16 + (p * 5) % 13);
    }
    uint16_t body[kRecordWordsMax];
    uint8_t record[kRecordBytes20];
    const int iterations = 200000;
    unsigned sink = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i) {
        rx[i % 20] ^= 1;  // keep the input moving so nothing is hoisted
        if (SolveCalibration(20, rx, ry, body) != CALIB_OK) return 1;
        BuildCalibRecord(20, body, record);
        sink += record[20];
    }
    auto ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    std::printf("solve + build of a 20-point record: %.0f ns per call (%d calls, check %u)\n",
                ns / iterations, iterations, sink & 1);
    return 0;
}
