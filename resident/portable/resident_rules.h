// The resident program's rules that need no Windows header: the calibration
// bundle handed to the driver, the event registration record, the settings
// message, the touch beep decision and the button-mode switch table.
#pragma once
#include <cstddef>
#include <cstdint>

#include "calib_record.h"
#include "wexant.h"

namespace resident {

// ---- Calibration bundle ------------------------------------------------------
// A presence mask followed by the six saved calibration records back to back.
constexpr size_t kBundleSize = 1184;

struct BundleSlot {
    const char* valueName;  // REG_BINARY value in the per-user key
    size_t offset;          // byte offset in the bundle
    size_t size;            // the record's exact size
    uint32_t maskBit;
};

// Offsets: the mask, then the plain records, then the records of the 0x0512 devices.
constexpr size_t kOffset9 = 4;
constexpr size_t kOffset12 = kOffset9 + calib::kRecordBytes9;
constexpr size_t kOffset20 = kOffset12 + calib::kRecordBytes12;
constexpr size_t kOffset9S = kOffset20 + calib::kRecordBytes20;
constexpr size_t kOffset12S = kOffset9S + calib::kRecordBytes9;
constexpr size_t kOffset20S = kOffset12S + calib::kRecordBytes12;
static_assert(kOffset12 == 114 && kOffset20 == 274 && kOffset9S == 594 && kOffset12S == 704 && kOffset20S == 864,
              "bundle offsets");
static_assert(kOffset20S + calib::kRecordBytes20 == kBundleSize, "bundle size");

// In the order in which the loader reads the values.
constexpr BundleSlot kBundleSlots[6] = {
    {wexant::kValCaldata9, kOffset9, calib::kRecordBytes9, 0x01},
    {wexant::kValCaldata9S, kOffset9S, calib::kRecordBytes9, 0x10},
    {wexant::kValCaldata12, kOffset12, calib::kRecordBytes12, 0x02},
    {wexant::kValCaldata12S, kOffset12S, calib::kRecordBytes12, 0x20},
    {wexant::kValCaldata20, kOffset20, calib::kRecordBytes20, 0x04},
    {wexant::kValCaldata20S, kOffset20S, calib::kRecordBytes20, 0x40},
};
constexpr size_t kBundleSlotCount = sizeof(kBundleSlots) / sizeof(kBundleSlots[0]);
constexpr size_t kLargestRecord = calib::kRecordBytes20;
constexpr uint32_t kBundleMaskAll = 0x01 | 0x02 | 0x04 | 0x10 | 0x20 | 0x40;

struct CalibBundle {
    uint8_t bytes[kBundleSize];
};

// Mask 0 and every slot zero.
void ClearBundle(CalibBundle* bundle);
uint32_t BundleMask(const CalibBundle& bundle);
// Puts one value read from the registry into its slot. The record is taken only
// when the read succeeded (status 0) with exactly the slot's size: a shorter or
// longer value is not a record the driver can use, and it leaves the slot zero
// and its bit clear. Returns whether it was taken.
bool TakeBundleRecord(CalibBundle* bundle, const BundleSlot& slot, long status,
                      const uint8_t* data, size_t size);
// The bundle goes to the driver only when at least one record is present.
constexpr bool BundleWorthSending(uint32_t mask) { return (mask & kBundleMaskAll) != 0; }

// ---- Event registration record -------------------------------------------------
// The input of the touch-event and wake-event registrations: a 16-bit zero, six
// reserved zero bytes, then the handle of the event that the driver signals.
// Little-endian as the machine is.
struct EventRegRecord {
    uint16_t zero;        // always 0
    uint8_t reserved[6];  // zero
    uint64_t event;       // the event's handle bits
};
static_assert(sizeof(EventRegRecord) == 16, "event registration record is 16 bytes");
static_assert(offsetof(EventRegRecord, zero) == 0 && offsetof(EventRegRecord, reserved) == 2 &&
                  offsetof(EventRegRecord, event) == 8,
              "event registration record offsets");
// The handle field is also the variable through which the stop routine
// signals the record's thread, from another thread: it is read and written whole.
inline uint64_t RecordEvent(const EventRegRecord& record) { return __atomic_load_n(&record.event, __ATOMIC_ACQUIRE); }
inline void SetRecordEvent(EventRegRecord* record, uint64_t handle)
{
    __atomic_store_n(&record->event, handle, __ATOMIC_RELEASE);
}
// Zeroes the first word and the reserved bytes and puts a handle value into the record.
void MakeEventRegRecord(EventRegRecord* record, uint64_t handle);

// ---- Settings message -------------------------------------------------------------
// WM_COPYDATA payload: a reserved word, then Freq, Duration and Option.
using wexant::SettingsMessage;
constexpr size_t kSettingsMessageSize = sizeof(SettingsMessage);
// False (message untouched) for a null payload or one shorter than 16 bytes.
bool ParseSettingsMessage(const void* data, size_t size, SettingsMessage* message);

// ---- Touch beep ---------------------------------------------------------------------
// Touch states the driver reports.
constexpr uint32_t kTouchDown = 0;
constexpr uint32_t kTouchRelease = 1;
constexpr uint32_t kTouchReleaseSecondary = 2;

// Whether a touch-state report beeps under this Option.
bool TouchStateBeeps(uint32_t state, uint32_t option);
// A release after a secondary-button touch returns the mode to the primary button.
constexpr bool TouchStateReturnsPrimary(uint32_t state) { return state == kTouchReleaseSecondary; }

// What the beep thread plays for the sound kind of an Option.
enum class SoundCall { Tone, MessageBeep };
struct SoundChoice {
    SoundCall call;
    uint32_t beepType;  // MessageBeep's type when call is MessageBeep
};
SoundChoice SoundForOption(uint32_t option);

// The longest tone the sound page sets, in ms. Freq and Duration also come
// from the registry and the settings message unchecked; a tone, and every wait
// for one, is held to this length so that a stored Duration of days (or one
// that wraps to INFINITE) never blocks a thread.
constexpr uint32_t kLongestTone = 1000;
constexpr uint32_t ToneDuration(uint32_t duration) { return duration < kLongestTone ? duration : kLongestTone; }
// On suspend, after the threads were told to stop, a tone being played ends first.
constexpr uint32_t SuspendWait(uint32_t duration) { return ToneDuration(duration) + 10; }

// ---- Button-mode switch ---------------------------------------------------------------
// The mouse messages that the tray icon and the floating window hand on.
constexpr uint32_t kLeftButtonUp = 0x202;
constexpr uint32_t kRightButtonUp = 0x205;

// Icons: a mouse with its left or its right button marked.
constexpr int kIconLeftButton = 103;
constexpr int kIconRightButton = 104;
// Floating window messages that show one icon or the other.
constexpr uint32_t kFloatShowRight = 0x501;  // WM_FLOAT_SECONDARY
constexpr uint32_t kFloatShowLeft = 0x502;   // WM_FLOAT_PRIMARY

constexpr char kTipToSecondary[] = "Switch to Secondary Button";
constexpr char kTipToPrimary[] = "Switch to Primary Button";

struct ModeSwitch {
    bool secondary;       // touches act as the secondary button afterwards
    const char* tip;      // the tray tip after the switch
    int icon;             // the physical button a touch now produces
    uint32_t floatMessage;
};
// A left click switches to the secondary button, a right click to the primary
// one; the icon shows the physical button, so it follows the system swap.
// False for any other mouse message.
bool ModeSwitchFor(uint32_t mouseMessage, bool buttonsSwapped, ModeSwitch* result);

// ---- Floating window position ------------------------------------------------------
struct ScreenRect {
    int32_t left, top, right, bottom;
};
// The rectangle of a window of this size with its top-left corner at x, y; the
// right and bottom edges stop at the largest coordinate instead of wrapping.
ScreenRect WindowRectAt(int32_t x, int32_t y, int32_t width, int32_t height);
// Whether any part of the window lies on one of the monitors.
bool AnyPartOnMonitors(const ScreenRect& window, const ScreenRect* monitors, size_t count);

// ---- Command line ---------------------------------------------------------------------
// The whole command tail is the word "runonce", in any case.
bool IsRunOnceTail(const char* tail);

}  // namespace resident
