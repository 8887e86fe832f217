#include "resident_rules.h"

#include <algorithm>
#include <cstring>

#include "wexant.h"

namespace resident {

namespace {
void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t GetLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
}  // namespace

void ClearBundle(CalibBundle* bundle)
{
    std::memset(bundle->bytes, 0, sizeof(bundle->bytes));
}

uint32_t BundleMask(const CalibBundle& bundle)
{
    return GetLe32(bundle.bytes);
}

bool TakeBundleRecord(CalibBundle* bundle, const BundleSlot& slot, long status,
                      const uint8_t* data, size_t size)
{
    if (status != 0 || data == nullptr || size != slot.size) return false;
    if (slot.offset + slot.size > kBundleSize) return false;
    std::memcpy(bundle->bytes + slot.offset, data, slot.size);
    PutLe32(bundle->bytes, BundleMask(*bundle) | slot.maskBit);
    return true;
}

void MakeEventRegRecord(EventRegRecord* record, uint64_t handle)
{
    record->zero = 0;
    std::memset(record->reserved, 0, sizeof(record->reserved));
    SetRecordEvent(record, handle);
}

bool ParseSettingsMessage(const void* data, size_t size, SettingsMessage* message)
{
    if (data == nullptr || size < kSettingsMessageSize) return false;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    message->dwReserved = GetLe32(p);
    message->dwFreq = GetLe32(p + 4);
    message->dwDuration = GetLe32(p + 8);
    message->dwOption = GetLe32(p + 12);
    return true;
}

bool TouchStateBeeps(uint32_t state, uint32_t option)
{
    const bool sound = (option & wexant::OPT_SOUND) != 0;
    if (option & wexant::OPT_POINT_MODE) return sound;
    const bool atTouchDown = (option & wexant::OPT_SOUND_ON_TOUCH) != 0;
    switch (state) {
    case kTouchDown: return sound && atTouchDown;
    case kTouchRelease:
    case kTouchReleaseSecondary: return sound && !atTouchDown;
    default: return false;
    }
}

SoundChoice SoundForOption(uint32_t option)
{
    switch (option & wexant::OPT_SOUND_KIND_MASK) {
    case 0x1000: return {SoundCall::MessageBeep, 0x40};        // MB_ICONASTERISK
    case 0x2000: return {SoundCall::MessageBeep, 0x30};        // MB_ICONEXCLAMATION
    case 0x3000: return {SoundCall::MessageBeep, 0x20};        // MB_ICONQUESTION
    case 0x4000: return {SoundCall::MessageBeep, 0x10};        // MB_ICONHAND
    case 0x5000: return {SoundCall::MessageBeep, 0x00};        // MB_OK
    case 0x6000: return {SoundCall::MessageBeep, 0xFFFFFFFFu};  // the simple beep
    default: return {SoundCall::Tone, 0};
    }
}

bool ModeSwitchFor(uint32_t mouseMessage, bool buttonsSwapped, ModeSwitch* result)
{
    bool secondary;
    if (mouseMessage == kLeftButtonUp) secondary = true;
    else if (mouseMessage == kRightButtonUp) secondary = false;
    else return false;
    // Secondary on normal buttons and primary on swapped ones both produce the right button.
    const bool rightButton = secondary != buttonsSwapped;
    result->secondary = secondary;
    result->tip = secondary ? kTipToPrimary : kTipToSecondary;
    result->icon = rightButton ? kIconRightButton : kIconLeftButton;
    result->floatMessage = rightButton ? kFloatShowRight : kFloatShowLeft;
    return true;
}

ScreenRect WindowRectAt(int32_t x, int32_t y, int32_t width, int32_t height)
{
    const int64_t largest = INT32_MAX;
    const int64_t right = std::min<int64_t>(int64_t(x) + (width > 0 ? width : 0), largest);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + (height > 0 ? height : 0), largest);
    return ScreenRect{x, y, static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
}

bool AnyPartOnMonitors(const ScreenRect& window, const ScreenRect* monitors, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const ScreenRect& m = monitors[i];
        if (std::max(window.left, m.left) < std::min(window.right, m.right) &&
            std::max(window.top, m.top) < std::min(window.bottom, m.bottom))
            return true;
    }
    return false;
}

bool IsRunOnceTail(const char* tail)
{
    static const char word[] = "runonce";
    if (tail == nullptr) return false;
    for (size_t i = 0; i < sizeof(word); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;  // also compares the terminating zero
    }
    return true;
}

}  // namespace resident
