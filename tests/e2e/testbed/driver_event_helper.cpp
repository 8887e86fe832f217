// Registers an event of its own with the panel driver, the way the resident
// program does, and reports through its exit code:
//   driver_event_helper <touch|wake> wait <ms>   0 signalled within the time, 1 not
//   driver_event_helper <touch|wake> exit        0 registered (then ends at once)
// 2: bad arguments or no event, 3: the device does not open, 4: the request failed.
#include <stdlib.h>
#include <string.h>

#include "winutil.h"

int main(int argc, char** argv)
{
    if (argc < 3) return 2;
    DWORD code;
    if (strcmp(argv[1], "touch") == 0)
        code = wexant::IOCTL_WEXANT_SET_TOUCH_EVENT;
    else if (strcmp(argv[1], "wake") == 0)
        code = wexant::IOCTL_WEXANT_SET_WAKE_EVENT;
    else
        return 2;
    bool wait = strcmp(argv[2], "wait") == 0;
    if (!wait && strcmp(argv[2], "exit") != 0) return 2;
    DWORD timeoutMs = argc > 3 ? static_cast<DWORD>(strtoul(argv[3], nullptr, 10)) : 5000;

    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event) return 2;
    // 16 bytes: a zero word, reserved bytes, the handle at byte 8.
    unsigned char record[16] = {0};
    memcpy(record + 8, &event, sizeof(event));

    HANDLE device = OpenDriverDevice();
    if (device == INVALID_HANDLE_VALUE) return 3;
    DWORD bytes = 0;
    BOOL ok = DeviceIoControl(device, code, record, sizeof(record), nullptr, 0, &bytes, nullptr);
    CloseHandle(device);
    if (!ok) return 4;
    if (!wait) return 0;
    return WaitForSingleObject(event, timeoutMs) == WAIT_OBJECT_0 ? 0 : 1;
}
