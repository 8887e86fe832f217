// Worker threads: the beep, the touch state, the driver wake event and the
// session watch. Run flags and handles are atomic; a thread slot is claimed
// before its thread is created, so two start routines running at once (the
// window thread and the session watch) never create the same thread twice.
#include "resident.h"

std::atomic<DWORD> ConsoleActive{1};

static std::atomic<DWORD> BeepRun{0}, TouchRun{0}, WakeRun{0}, WatchRun{0};
static std::atomic<DWORD> BeepPending{0};
static std::atomic<DWORD> StateReadEnabled{1};

// Thread handles; kStarting marks a slot whose thread is being created.
static HANDLE const kStarting = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-2));
static std::atomic<HANDLE> BeepThreadHandle{nullptr}, TouchThreadHandle{nullptr},
    WakeThreadHandle{nullptr}, WatchThreadHandle{nullptr};
// The records that hand the touch and wake events to the driver, one per
// thread; the stop routine signals a thread through its record's handle.
static resident::EventRegRecord TouchEventRecord = {}, WakeEventRecord = {};

static HANDLE EventOf(const resident::EventRegRecord& record)
{
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(resident::RecordEvent(record)));
}

static void PutEventIntoRecord(resident::EventRegRecord* record, HANDLE event)
{
    resident::MakeEventRegRecord(record, static_cast<uint64_t>(reinterpret_cast<UINT_PTR>(event)));
}

static DWORD WINAPI BeepThread(LPVOID);
static DWORD WINAPI TouchStateThread(LPVOID);
static DWORD WINAPI DriverWakeThread(LPVOID);
static DWORD WINAPI SessionWatchThread(LPVOID);

// Starts a thread into an empty slot. The thread is created suspended and
// only runs once its handle is stored, so that its own last step (closing and
// clearing the handle) always finds it.
static void StartInSlot(std::atomic<HANDLE>* slot, std::atomic<DWORD>* run,
                        LPTHREAD_START_ROUTINE function, HWND window)
{
    HANDLE expected = nullptr;
    if (!slot->compare_exchange_strong(expected, kStarting)) return;
    *run = 1;
    HANDLE thread = CreateThread(nullptr, 0, function, window, CREATE_SUSPENDED, nullptr);
    *slot = thread;  // nullptr when creation failed: the next start tries again
    if (thread) ResumeThread(thread);
}

// The last step of every worker thread.
static DWORD EndThread(std::atomic<HANDLE>* slot)
{
    HANDLE own = slot->exchange(nullptr);
    if (own) CloseHandle(own);
    ExitThread(1);
}

void StartWorkerThreads(HWND window)
{
    StartInSlot(&BeepThreadHandle, &BeepRun, BeepThread, window);
    StartInSlot(&TouchThreadHandle, &TouchRun, TouchStateThread, window);
    if (g_bWinVista && RunOnce) StartInSlot(&WakeThreadHandle, &WakeRun, DriverWakeThread, window);
}

void StopWorkerThreads()
{
    if (BeepRun) {
        BeepPending = 0;
        BeepRun = 0;
    }
    if (TouchRun) {
        TouchRun = 0;
        StateReadEnabled = 0;
        HANDLE event = EventOf(TouchEventRecord);
        if (event) SetEvent(event);
    }
    if (WakeRun && g_bWinVista) {
        WakeRun = 0;
        HANDLE event = EventOf(WakeEventRecord);
        if (event) SetEvent(event);
    }
}

void StartSessionWatch(HWND window)
{
    if (g_bWinXP || g_bWinVista) StartInSlot(&WatchThreadHandle, &WatchRun, SessionWatchThread, window);
}

void StopSessionWatch()
{
    WatchRun = 0;
}

static void PlayTouchSound()
{
    resident::SoundChoice choice = resident::SoundForOption(Option);
    if (choice.call == resident::SoundCall::MessageBeep)
        MessageBeep(choice.beepType);
    else
        Beep(Freq, resident::ToneDuration(Duration));  // returns when the tone has ended
}

static DWORD WINAPI BeepThread(LPVOID)
{
    while (BeepRun) {
        if (BeepPending) {
            PlayTouchSound();
            BeepPending = 0;  // a touch during the sound is absorbed by it
        }
        Sleep(5);
    }
    return EndThread(&BeepThreadHandle);
}

// Opens the device and hands it the record's event with one of the two
// registration requests; the device is closed again either way.
// *absent tells whether the device did not open.
static BOOL RegisterWithDriver(DWORD code, resident::EventRegRecord* record, BOOL* absent)
{
    HANDLE device = OpenDriverDevice();
    *absent = device == INVALID_HANDLE_VALUE;
    if (*absent) return FALSE;
    DWORD bytes = 0;
    BOOL ok = DeviceIoControl(device, code, record, sizeof(*record), nullptr, 0, &bytes, nullptr);
    CloseHandle(device);
    return ok;
}

// Reads the touch state after a signal; FALSE when the device or the request failed.
static BOOL ReadTouchState(DWORD* state, BOOL* absent)
{
    HANDLE device = OpenDriverDevice();
    *absent = device == INVALID_HANDLE_VALUE;
    if (*absent) return FALSE;
    DWORD bytes = 0;
    BOOL ok = DeviceIoControl(device, wexant::IOCTL_WEXANT_GET_TOUCH_STATE, nullptr, 0, state,
                              sizeof(*state), &bytes, nullptr) &&
              bytes == sizeof(*state);
    CloseHandle(device);
    return ok;
}

static void OnTouchState(HWND window, DWORD state)
{
    if (resident::TouchStateBeeps(state, Option)) BeepPending = 1;
    if (resident::TouchStateReturnsPrimary(state)) PostMessageA(window, WM_TRAYNOTIFY, 0, WM_RBUTTONUP);
}

static DWORD WINAPI TouchStateThread(LPVOID parameter)
{
    HWND window = static_cast<HWND>(parameter);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PutEventIntoRecord(&TouchEventRecord, event);
    // A stop that came while the previous thread was not waiting left this clear.
    StateReadEnabled = 1;
    BOOL reopen = FALSE;
    while (event && TouchRun) {
        BOOL absent = FALSE;
        if (!RegisterWithDriver(wexant::IOCTL_WEXANT_SET_TOUCH_EVENT, &TouchEventRecord, &absent)) {
            if (absent) reopen = TRUE;
            Sleep(500);
            continue;
        }
        if (reopen) {
            // The driver came back: its settings and calibration are sent again.
            LoadSettings();
            SyncButtonSwap();
            reopen = FALSE;
        }
        WaitForSingleObject(event, INFINITE);
        ResetEvent(event);
        Sleep(10);
        if (!StateReadEnabled) {
            StateReadEnabled = 1;  // a stop signalled the event; the loop test ends the thread
            continue;
        }
        DWORD state = 0;
        if (!ReadTouchState(&state, &absent)) {
            if (absent) reopen = TRUE;
            Sleep(500);
            StateReadEnabled = 1;
            continue;
        }
        OnTouchState(window, state);
        StateReadEnabled = 1;
    }
    PutEventIntoRecord(&TouchEventRecord, nullptr);
    if (event) CloseHandle(event);
    return EndThread(&TouchThreadHandle);
}

static DWORD WINAPI DriverWakeThread(LPVOID parameter)
{
    HWND window = static_cast<HWND>(parameter);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PutEventIntoRecord(&WakeEventRecord, event);
    while (event && WakeRun) {
        BOOL absent = FALSE;
        if (!RegisterWithDriver(wexant::IOCTL_WEXANT_SET_WAKE_EVENT, &WakeEventRecord, &absent)) {
            Sleep(500);
            continue;
        }
        WaitForSingleObject(event, INFINITE);
        ResetEvent(event);
        if (!WakeRun) break;
        SendMessageA(window, WM_RESIDENT_INIT, 0, 0);
    }
    PutEventIntoRecord(&WakeEventRecord, nullptr);
    if (event) CloseHandle(event);
    return EndThread(&WakeThreadHandle);
}

static DWORD WINAPI SessionWatchThread(LPVOID parameter)
{
    HWND window = static_cast<HWND>(parameter);
    while (WatchRun) {
        Sleep(25);
        ConsoleSessionFn console = ConsoleSessionFunction;
        if (!console) continue;
        if (console() == OwnSessionId) {
            if (!ConsoleActive) {
                // Back on the console: fresh settings, then the threads again.
                Sleep(25);
                LoadSettings();
                ApplyCursorOption();
                SyncButtonSwap();
                StartWorkerThreads(window);
            }
            ConsoleActive = 1;
        } else {
            if (ConsoleActive) StopWorkerThreads();
            ConsoleActive = 0;
        }
    }
    return EndThread(&WatchThreadHandle);
}
