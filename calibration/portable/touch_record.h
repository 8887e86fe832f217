// The driver's answer to a touch read: where the finger was on the raw panel,
// which device instance it touched and that device's product id.
// Portable: no Windows header.
#pragma once
#include <cstddef>
#include <cstdint>

namespace calib {

// 18 bytes, little-endian, as the driver returns them.
struct TouchRecord {
    uint16_t wFirst;           // not read
    uint16_t wRawX;            // raw X of the touch
    uint16_t wRawY;            // raw Y of the touch
    uint8_t bDriverData[8];    // not read
    uint16_t wDeviceNumber;    // instance number: names the value under the driver's Enum key
    uint16_t wProductId;       // product id of the touched device
};
static_assert(sizeof(TouchRecord) == 18, "touch record size");
static_assert(offsetof(TouchRecord, wRawX) == 2, "raw X");
static_assert(offsetof(TouchRecord, wRawY) == 4, "raw Y");
static_assert(offsetof(TouchRecord, bDriverData) == 6, "driver data");
static_assert(offsetof(TouchRecord, wDeviceNumber) == 14, "device number");
static_assert(offsetof(TouchRecord, wProductId) == 16, "product id");

}  // namespace calib
