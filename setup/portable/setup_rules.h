// Rules the installer and the uninstaller share: number text, the supported
// panels' hardware ids, the command tail and a few bounded string helpers.
// No Windows header here, so the rules build and are tested natively.
#pragma once
#include <cstddef>

namespace setup {

// Digits of a non-negative value in base 2..36 (0-9 then a-z), most significant
// first, no sign, no leading zeros ("0" for zero), NUL-terminated. The result
// needs at most 32 bytes. A negative value or a base outside 2..36 gives "".
char* IntToStr(int value, char* buffer, int base);

// "/S" as the whole command tail, in either case, selects silent mode.
bool IsSilentTail(const char* tail);

// The installer's ids: "USB\VID_1F3C&PID_05" + two decimal digits, 00 to 18.
constexpr int kInstallIdCount = 19;
constexpr size_t kHardwareIdLength = 21;
// Writes id number n (0..18) into buffer; false when n is out of range or the
// buffer is too small.
bool MakeInstallHardwareId(int n, char* buffer, size_t size);

// The removal list: the 18 USB ids (0500-0508, 0510-0518), then the same 18 as HID ids.
constexpr int kRemovalIdCount = 36;
extern const char* const kRemovalHardwareIds[kRemovalIdCount];

// Index of the first string of a NUL-separated list (as a device's hardware-id
// property holds it) that equals id byte for byte; -1 when none does. The walk
// ends at an empty string or at size bytes, whichever comes first; a string
// cut by the end of the buffer is compared only as far as it goes.
int FindInMultiSz(const char* list, size_t size, const char* id);

// The INF copy marker: any text other than "NO" (ASCII case ignored) marks a
// copy of the driver package's INF.
bool IsPackageMarker(const char* text);

// Joins up to four parts into buffer; false (buffer emptied) when the result
// does not fit.
bool JoinText(char* buffer, size_t size, const char* a, const char* b, const char* c = "",
              const char* d = "");

// Cuts a module path after its last backslash and appends file (which begins
// with a backslash): the path of a file beside the program. False when there is
// no backslash or the result does not fit.
bool PathBesideModule(char* buffer, size_t size, const char* modulePath, const char* file);

// "oem" + n (decimal) + extension.
bool MakeOemName(int n, const char* extension, char* buffer, size_t size);

}  // namespace setup
