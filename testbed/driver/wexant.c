/*
 * Simulated touch panel driver. It creates the device that "\\.\WEXANT"
 * opens and answers the panel's control codes from state that the e2e tests
 * set through the private codes of simctl.h: queued touches and touch states,
 * the rotation, codes made to fail. Every product request is logged with its
 * input, its result and the time.
 *
 * All state sits behind one kernel mutex; every dispatch takes it for the
 * whole request, so the device behaves the same whichever thread of the
 * device host delivers the request.
 */
#include <ntifs.h>

#include "simctl.h"

#define WEXANT_CTL(function) ((0x22u << 16) | ((function) << 2))

#define CODE_READ_TOUCH WEXANT_CTL(0x801)
#define CODE_CALIB_COMMIT WEXANT_CTL(0x802)
#define CODE_CALIB_DISCARD WEXANT_CTL(0x803)
#define CODE_SET_CALIB WEXANT_CTL(0x804)
#define CODE_SET_TOUCH_EVENT WEXANT_CTL(0x805)
#define CODE_GET_TOUCH_STATE WEXANT_CTL(0x806)
#define CODE_SECONDARY_BUTTON WEXANT_CTL(0x807)
#define CODE_PRIMARY_BUTTON WEXANT_CTL(0x808)
#define CODE_BUTTONS_SWAPPED WEXANT_CTL(0x809)
#define CODE_BUTTONS_NORMAL WEXANT_CTL(0x80A)
#define CODE_GET_ROTATION WEXANT_CTL(0x80C)
#define CODE_SET_OPTION WEXANT_CTL(0x80D)
#define CODE_LOAD_CALIB_BUNDLE WEXANT_CTL(0x80E)
#define CODE_CALIB_COMMIT_S WEXANT_CTL(0x80F)
#define CODE_CALIB_DISCARD_S WEXANT_CTL(0x810)
#define CODE_SET_CALIB_S WEXANT_CTL(0x811)
#define CODE_SET_CALIB_MODE WEXANT_CTL(0x812)
#define CODE_APPLY_SETTINGS WEXANT_CTL(0x819)
#define CODE_SET_WAKE_EVENT WEXANT_CTL(0x81A)
#define CODE_SET_COMM WEXANT_CTL(0x81B)
#define CODE_SET_RESOLUTION WEXANT_CTL(0x81C)

#define POOL_TAG 0x6D697357u /* 'Wsim' */

typedef struct LogSlot {
    WexsimLogEntry entry;
    UCHAR input[WEXSIM_LOG_INPUT_MAX];
} LogSlot;

/* A calibration record slot: the plain form and the _S form have one each. */
typedef struct CalibSlot {
    ULONG held; /* WEXSIM_CALIB_* */
    ULONG size;
    UCHAR record[WEXSIM_CALIB_MAX_SIZE];
} CalibSlot;

/* Everything a reset returns to zero. */
typedef struct SimState {
    WexsimTouch touches[WEXSIM_QUEUE_CAPACITY];
    ULONG touchHead, touchCount;
    WexsimTouch lastTouch;
    BOOLEAN haveLastTouch;
    ULONG states[WEXSIM_QUEUE_CAPACITY];
    ULONG stateHead, stateCount;

    PKEVENT touchEvent;
    PKEVENT wakeEvent;
    ULONG touchSignals, wakeSignals;

    ULONG failing[WEXSIM_FAIL_CAPACITY];
    ULONG failCount;

    ULONG rotation;
    ULONG option;
    ULONG secondaryButton;
    ULONG buttonsSwapped;
    ULONG calibMode;
    CalibSlot calib, calibS;
    ULONG bundleSize;
    UCHAR bundle[WEXSIM_BUNDLE_SIZE];
    UCHAR comm[2], resolution[2];
    ULONG commCount, resolutionCount, applyCount;

    ULONG logEnd; /* sequence number of the next log entry */
} SimState;

typedef struct SimDevice {
    KMUTEX lock;
    PDEVICE_OBJECT device;
    LARGE_INTEGER frequency;
    LogSlot* log; /* WEXSIM_LOG_CAPACITY slots, a ring indexed by sequence number */
} SimDevice;

static SimDevice* g_dev;
static SimState* g_sim;

static UNICODE_STRING g_deviceName = {sizeof(L"\\Device\\WEXANT") - sizeof(WCHAR),
                                      sizeof(L"\\Device\\WEXANT"), L"\\Device\\WEXANT"};
static UNICODE_STRING g_linkName = {sizeof(L"\\??\\WEXANT") - sizeof(WCHAR), sizeof(L"\\??\\WEXANT"),
                                    L"\\??\\WEXANT"};

static void CopyBytes(void* to, const void* from, ULONG size)
{
    UCHAR* d = (UCHAR*)to;
    const UCHAR* s = (const UCHAR*)from;
    while (size--) *d++ = *s++;
}

static void ZeroBytes(void* to, SIZE_T size)
{
    UCHAR* d = (UCHAR*)to;
    while (size--) *d++ = 0;
}

static ULONG64 NowUs(void)
{
    LARGE_INTEGER now = KeQueryPerformanceCounter(NULL);
    ULONG64 ticks = (ULONG64)now.QuadPart;
    ULONG64 frequency = (ULONG64)g_dev->frequency.QuadPart;
    if (frequency == 0) return 0;
    return ticks / frequency * 1000000u + ticks % frequency * 1000000u / frequency;
}

/* ---- Events ------------------------------------------------------------- */

/* The caller's handle lives in the caller's process, and the device host
   cannot reference such a handle directly: duplicate it into this process
   first, then reference the event and drop the copy. The reference keeps the
   event alive after the caller has gone. */
static NTSTATUS ReferenceCallerEvent(HANDLE callerHandle, PKEVENT* event)
{
    OBJECT_ATTRIBUTES attributes;
    CLIENT_ID client;
    HANDLE process = NULL, local = NULL;
    NTSTATUS status;

    *event = NULL;
    if (callerHandle == NULL) return STATUS_INVALID_HANDLE;
    InitializeObjectAttributes(&attributes, NULL, OBJ_KERNEL_HANDLE, NULL, NULL);
    client.UniqueProcess = PsGetCurrentProcessId();
    client.UniqueThread = NULL;
    status = ZwOpenProcess(&process, PROCESS_DUP_HANDLE, &attributes, &client);
    if (!NT_SUCCESS(status)) return status;
    status = ZwDuplicateObject(process, callerHandle, NtCurrentProcess(), &local, 0, 0,
                               DUPLICATE_SAME_ACCESS);
    ZwClose(process);
    if (!NT_SUCCESS(status)) return status;
    status = ObReferenceObjectByHandle(local, EVENT_MODIFY_STATE, (POBJECT_TYPE)ExEventObjectType,
                                       KernelMode, (PVOID*)event, NULL);
    ZwClose(local);
    if (!NT_SUCCESS(status)) *event = NULL;
    return status;
}

static void DropEvent(PKEVENT* event)
{
    if (*event) {
        ObDereferenceObject(*event);
        *event = NULL;
    }
}

static NTSTATUS RegisterEvent(const UCHAR* record, PKEVENT* slot)
{
    ULONG64 value;
    PKEVENT event;
    NTSTATUS status;

    CopyBytes(&value, record + 8, sizeof(value));
    status = ReferenceCallerEvent((HANDLE)(ULONG_PTR)value, &event);
    if (!NT_SUCCESS(status)) {
        DbgPrint("wexant: event handle %p not taken (0x%08lx)\n", (void*)(ULONG_PTR)value, status);
        return status;
    }
    DropEvent(slot);
    *slot = event;
    return STATUS_SUCCESS;
}

static BOOLEAN SignalEvent(PKEVENT event, ULONG* counter)
{
    if (!event) return FALSE;
    KeSetEvent(event, IO_NO_INCREMENT, FALSE);
    ++*counter;
    return TRUE;
}

/* ---- Log ------------------------------------------------------------------ */

static LogSlot* LogBegin(ULONG code, const UCHAR* input, ULONG inputSize)
{
    LogSlot* slot = &g_dev->log[g_sim->logEnd % WEXSIM_LOG_CAPACITY];
    ULONG kept = inputSize < WEXSIM_LOG_INPUT_MAX ? inputSize : WEXSIM_LOG_INPUT_MAX;
    slot->entry.code = code;
    slot->entry.status = (ULONG)STATUS_PENDING;
    slot->entry.inputSize = kept;
    slot->entry.fullInputSize = inputSize;
    slot->entry.timeUs = NowUs();
    if (kept) CopyBytes(slot->input, input, kept);
    ++g_sim->logEnd;
    return slot;
}

static ULONG LogOldest(void)
{
    return g_sim->logEnd > WEXSIM_LOG_CAPACITY ? g_sim->logEnd - WEXSIM_LOG_CAPACITY : 0;
}

static NTSTATUS ReadLog(UCHAR* buffer, ULONG inLen, ULONG outLen, ULONG_PTR* info)
{
    WexsimLogPage page;
    ULONG first, at, seq;

    if (inLen != sizeof(ULONG)) return STATUS_INVALID_PARAMETER;
    if (outLen < sizeof(page)) return STATUS_BUFFER_TOO_SMALL;
    CopyBytes(&first, buffer, sizeof(first));
    if (first < LogOldest()) first = LogOldest();
    if (first > g_sim->logEnd) first = g_sim->logEnd;

    at = sizeof(page);
    for (seq = first; seq < g_sim->logEnd; ++seq) {
        const LogSlot* slot = &g_dev->log[seq % WEXSIM_LOG_CAPACITY];
        ULONG padded = (slot->entry.inputSize + 7u) & ~7u;
        ULONG need = sizeof(WexsimLogEntry) + padded;
        if (outLen - at < need) break;
        CopyBytes(buffer + at, &slot->entry, sizeof(WexsimLogEntry));
        at += sizeof(WexsimLogEntry);
        CopyBytes(buffer + at, slot->input, slot->entry.inputSize);
        ZeroBytes(buffer + at + slot->entry.inputSize, padded - slot->entry.inputSize);
        at += padded;
    }
    page.first = first;
    page.next = seq;
    page.end = g_sim->logEnd;
    page.count = seq - first;
    page.lost = LogOldest();
    page.reserved = 0;
    CopyBytes(buffer, &page, sizeof(page));
    *info = at;
    return STATUS_SUCCESS;
}

/* ---- Product requests ------------------------------------------------------- */

static BOOLEAN IsFailing(ULONG code)
{
    ULONG i;
    for (i = 0; i < g_sim->failCount; ++i) {
        if (g_sim->failing[i] == code) return TRUE;
    }
    return FALSE;
}

static NTSTATUS ReadTouch(UCHAR* buffer, ULONG outLen, ULONG_PTR* info)
{
    WexsimTouch touch;
    USHORT words[WEXSIM_TOUCH_RECORD_SIZE / 2];

    if (outLen < WEXSIM_TOUCH_RECORD_SIZE) return STATUS_BUFFER_TOO_SMALL;
    if (g_sim->touchCount) {
        touch = g_sim->touches[g_sim->touchHead];
        g_sim->touchHead = (g_sim->touchHead + 1) % WEXSIM_QUEUE_CAPACITY;
        --g_sim->touchCount;
        g_sim->lastTouch = touch;
        g_sim->haveLastTouch = TRUE;
    } else if (g_sim->haveLastTouch) {
        touch = g_sim->lastTouch;
    } else {
        return STATUS_DEVICE_NOT_READY;
    }
    ZeroBytes(words, sizeof(words));
    words[1] = touch.rawX;
    words[2] = touch.rawY;
    words[7] = touch.device;
    words[8] = touch.productId;
    CopyBytes(buffer, words, sizeof(words));
    *info = WEXSIM_TOUCH_RECORD_SIZE;
    return STATUS_SUCCESS;
}

static NTSTATUS GetTouchState(UCHAR* buffer, ULONG outLen, ULONG_PTR* info)
{
    if (outLen < sizeof(ULONG)) return STATUS_BUFFER_TOO_SMALL;
    if (!g_sim->stateCount) return STATUS_DEVICE_NOT_READY;
    CopyBytes(buffer, &g_sim->states[g_sim->stateHead], sizeof(ULONG));
    g_sim->stateHead = (g_sim->stateHead + 1) % WEXSIM_QUEUE_CAPACITY;
    --g_sim->stateCount;
    *info = sizeof(ULONG);
    return STATUS_SUCCESS;
}

static NTSTATUS SetCalib(CalibSlot* slot, const UCHAR* buffer, ULONG inLen)
{
    if (inLen != 110 && inLen != 160 && inLen != 320) return STATUS_INVALID_PARAMETER;
    CopyBytes(slot->record, buffer, inLen);
    slot->size = inLen;
    slot->held = WEXSIM_CALIB_SENT;
    return STATUS_SUCCESS;
}

/* Commit keeps and discard drops a record that was sent; with none sent there
   is nothing to change. */
static void SettleCalib(CalibSlot* slot, ULONG settled)
{
    if (slot->held == WEXSIM_CALIB_SENT) slot->held = settled;
}

static NTSTATUS StoreUlong(ULONG* value, const UCHAR* buffer, ULONG inLen)
{
    if (inLen != sizeof(ULONG)) return STATUS_INVALID_PARAMETER;
    CopyBytes(value, buffer, sizeof(ULONG));
    return STATUS_SUCCESS;
}

static NTSTATUS StorePair(UCHAR* pair, ULONG* counter, const UCHAR* buffer, ULONG inLen)
{
    if (inLen != 2) return STATUS_INVALID_PARAMETER;
    pair[0] = buffer[0];
    pair[1] = buffer[1];
    ++*counter;
    return STATUS_SUCCESS;
}

/* Codes without input take none; a caller that sends some has the wrong code. */
static BOOLEAN NoInput(ULONG code)
{
    switch (code) {
    case CODE_READ_TOUCH:
    case CODE_CALIB_COMMIT:
    case CODE_CALIB_DISCARD:
    case CODE_GET_TOUCH_STATE:
    case CODE_SECONDARY_BUTTON:
    case CODE_PRIMARY_BUTTON:
    case CODE_BUTTONS_SWAPPED:
    case CODE_BUTTONS_NORMAL:
    case CODE_GET_ROTATION:
    case CODE_CALIB_COMMIT_S:
    case CODE_CALIB_DISCARD_S:
    case CODE_APPLY_SETTINGS:
        return TRUE;
    default:
        return FALSE;
    }
}

static NTSTATUS Answer(ULONG code, UCHAR* buffer, ULONG inLen, ULONG outLen, ULONG_PTR* info)
{
    if (NoInput(code) && inLen != 0) return STATUS_INVALID_PARAMETER;
    switch (code) {
    case CODE_READ_TOUCH:
        return ReadTouch(buffer, outLen, info);
    case CODE_CALIB_COMMIT:
        SettleCalib(&g_sim->calib, WEXSIM_CALIB_COMMITTED);
        return STATUS_SUCCESS;
    case CODE_CALIB_DISCARD:
        SettleCalib(&g_sim->calib, WEXSIM_CALIB_DISCARDED);
        return STATUS_SUCCESS;
    case CODE_SET_CALIB:
        return SetCalib(&g_sim->calib, buffer, inLen);
    case CODE_CALIB_COMMIT_S:
        SettleCalib(&g_sim->calibS, WEXSIM_CALIB_COMMITTED);
        return STATUS_SUCCESS;
    case CODE_CALIB_DISCARD_S:
        SettleCalib(&g_sim->calibS, WEXSIM_CALIB_DISCARDED);
        return STATUS_SUCCESS;
    case CODE_SET_CALIB_S:
        return SetCalib(&g_sim->calibS, buffer, inLen);
    case CODE_SET_TOUCH_EVENT:
        if (inLen != WEXSIM_EVENT_RECORD_SIZE) return STATUS_INVALID_PARAMETER;
        return RegisterEvent(buffer, &g_sim->touchEvent);
    case CODE_SET_WAKE_EVENT:
        if (inLen != WEXSIM_EVENT_RECORD_SIZE) return STATUS_INVALID_PARAMETER;
        return RegisterEvent(buffer, &g_sim->wakeEvent);
    case CODE_GET_TOUCH_STATE:
        return GetTouchState(buffer, outLen, info);
    case CODE_SECONDARY_BUTTON:
        g_sim->secondaryButton = 1;
        return STATUS_SUCCESS;
    case CODE_PRIMARY_BUTTON:
        g_sim->secondaryButton = 0;
        return STATUS_SUCCESS;
    case CODE_BUTTONS_SWAPPED:
        g_sim->buttonsSwapped = 1;
        return STATUS_SUCCESS;
    case CODE_BUTTONS_NORMAL:
        g_sim->buttonsSwapped = 0;
        return STATUS_SUCCESS;
    case CODE_GET_ROTATION:
        if (outLen < sizeof(ULONG)) return STATUS_BUFFER_TOO_SMALL;
        CopyBytes(buffer, &g_sim->rotation, sizeof(ULONG));
        *info = sizeof(ULONG);
        return STATUS_SUCCESS;
    case CODE_SET_OPTION:
        return StoreUlong(&g_sim->option, buffer, inLen);
    case CODE_LOAD_CALIB_BUNDLE:
        if (inLen != WEXSIM_BUNDLE_SIZE) return STATUS_INVALID_PARAMETER;
        CopyBytes(g_sim->bundle, buffer, WEXSIM_BUNDLE_SIZE);
        g_sim->bundleSize = WEXSIM_BUNDLE_SIZE;
        return STATUS_SUCCESS;
    case CODE_SET_CALIB_MODE:
        return StoreUlong(&g_sim->calibMode, buffer, inLen);
    case CODE_APPLY_SETTINGS:
        ++g_sim->applyCount;
        return STATUS_SUCCESS;
    case CODE_SET_COMM:
        return StorePair(g_sim->comm, &g_sim->commCount, buffer, inLen);
    case CODE_SET_RESOLUTION:
        return StorePair(g_sim->resolution, &g_sim->resolutionCount, buffer, inLen);
    default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
}

static NTSTATUS ProductRequest(ULONG code, UCHAR* buffer, ULONG inLen, ULONG outLen,
                               ULONG_PTR* info)
{
    /* The input is logged before the answer overwrites the shared buffer. */
    LogSlot* slot = LogBegin(code, buffer, inLen);
    NTSTATUS status = IsFailing(code) ? STATUS_UNSUCCESSFUL : Answer(code, buffer, inLen, outLen, info);
    if (!NT_SUCCESS(status)) *info = 0;
    if (status == STATUS_INVALID_PARAMETER)
        DbgPrint("wexant: code 0x%06lx with %lu input bytes refused\n", code, inLen);
    slot->entry.status = (ULONG)status;
    return status;
}

/* ---- Private requests -------------------------------------------------------- */

static BOOLEAN IsPrivate(ULONG code)
{
    ULONG function = (code >> 2) & 0xFFFu;
    return (code & ~(0xFFFu << 2)) == (0x22u << 16) && function >= WEXSIM_FIRST_PRIVATE_FUNCTION &&
           function < WEXSIM_FIRST_PRIVATE_FUNCTION + WEXSIM_PRIVATE_COUNT;
}

static NTSTATUS FailCode(const UCHAR* buffer, ULONG inLen)
{
    WexsimFail request;
    ULONG i;

    if (inLen != sizeof(request)) return STATUS_INVALID_PARAMETER;
    CopyBytes(&request, buffer, sizeof(request));
    if (IsPrivate(request.code)) return STATUS_INVALID_PARAMETER;
    for (i = 0; i < g_sim->failCount; ++i) {
        if (g_sim->failing[i] == request.code) break;
    }
    if (request.fail) {
        if (i < g_sim->failCount) return STATUS_SUCCESS;
        if (g_sim->failCount == WEXSIM_FAIL_CAPACITY) return STATUS_QUOTA_EXCEEDED;
        g_sim->failing[g_sim->failCount++] = request.code;
    } else if (i < g_sim->failCount) {
        g_sim->failing[i] = g_sim->failing[--g_sim->failCount];
    }
    return STATUS_SUCCESS;
}

static NTSTATUS GetState(UCHAR* buffer, ULONG outLen, ULONG_PTR* info)
{
    WexsimState* state = (WexsimState*)ExAllocatePoolWithTag(NonPagedPool, sizeof(WexsimState), POOL_TAG);
    if (outLen < sizeof(WexsimState)) {
        if (state) ExFreePoolWithTag(state, POOL_TAG);
        return STATUS_BUFFER_TOO_SMALL;
    }
    if (!state) return STATUS_INSUFFICIENT_RESOURCES;
    ZeroBytes(state, sizeof(*state));
    state->option = g_sim->option;
    state->secondaryButton = g_sim->secondaryButton;
    state->buttonsSwapped = g_sim->buttonsSwapped;
    state->calibMode = g_sim->calibMode;
    state->calib = g_sim->calib.held;
    state->calibS = g_sim->calibS.held;
    state->calibSize = g_sim->calib.size;
    state->calibSizeS = g_sim->calibS.size;
    CopyBytes(state->calibRecord, g_sim->calib.record, WEXSIM_CALIB_MAX_SIZE);
    CopyBytes(state->calibRecordS, g_sim->calibS.record, WEXSIM_CALIB_MAX_SIZE);
    state->bundleSize = g_sim->bundleSize;
    CopyBytes(state->bundle, g_sim->bundle, WEXSIM_BUNDLE_SIZE);
    state->touchEventRegistered = g_sim->touchEvent != NULL;
    state->wakeEventRegistered = g_sim->wakeEvent != NULL;
    state->rotation = g_sim->rotation;
    CopyBytes(state->comm, g_sim->comm, 2);
    CopyBytes(state->resolution, g_sim->resolution, 2);
    state->commCount = g_sim->commCount;
    state->resolutionCount = g_sim->resolutionCount;
    state->applyCount = g_sim->applyCount;
    state->touchesQueued = g_sim->touchCount;
    state->statesQueued = g_sim->stateCount;
    state->touchSignals = g_sim->touchSignals;
    state->wakeSignals = g_sim->wakeSignals;
    state->nowUs = NowUs();
    CopyBytes(buffer, state, sizeof(*state));
    ExFreePoolWithTag(state, POOL_TAG);
    *info = sizeof(WexsimState);
    return STATUS_SUCCESS;
}

static void ResetState(void)
{
    DropEvent(&g_sim->touchEvent);
    DropEvent(&g_sim->wakeEvent);
    ZeroBytes(g_sim, sizeof(*g_sim));
}

static NTSTATUS PrivateRequest(ULONG code, UCHAR* buffer, ULONG inLen, ULONG outLen,
                               ULONG_PTR* info)
{
    WexsimTouch touch;
    ULONG state;

    switch (code) {
    case WEXSIM_IOCTL_INJECT_TOUCH:
        if (inLen != sizeof(touch)) return STATUS_INVALID_PARAMETER;
        if (g_sim->touchCount == WEXSIM_QUEUE_CAPACITY) return STATUS_QUOTA_EXCEEDED;
        CopyBytes(&touch, buffer, sizeof(touch));
        g_sim->touches[(g_sim->touchHead + g_sim->touchCount++) % WEXSIM_QUEUE_CAPACITY] = touch;
        SignalEvent(g_sim->touchEvent, &g_sim->touchSignals);
        return STATUS_SUCCESS;
    case WEXSIM_IOCTL_INJECT_STATE:
        if (inLen != sizeof(state)) return STATUS_INVALID_PARAMETER;
        if (g_sim->stateCount == WEXSIM_QUEUE_CAPACITY) return STATUS_QUOTA_EXCEEDED;
        CopyBytes(&state, buffer, sizeof(state));
        g_sim->states[(g_sim->stateHead + g_sim->stateCount++) % WEXSIM_QUEUE_CAPACITY] = state;
        SignalEvent(g_sim->touchEvent, &g_sim->touchSignals);
        return STATUS_SUCCESS;
    case WEXSIM_IOCTL_SIGNAL_WAKE:
        return SignalEvent(g_sim->wakeEvent, &g_sim->wakeSignals) ? STATUS_SUCCESS : STATUS_NOT_FOUND;
    case WEXSIM_IOCTL_SET_ROTATION:
        return StoreUlong(&g_sim->rotation, buffer, inLen);
    case WEXSIM_IOCTL_FAIL_CODE:
        return FailCode(buffer, inLen);
    case WEXSIM_IOCTL_READ_LOG:
        return ReadLog(buffer, inLen, outLen, info);
    case WEXSIM_IOCTL_GET_STATE:
        return GetState(buffer, outLen, info);
    case WEXSIM_IOCTL_RESET:
        ResetState();
        return STATUS_SUCCESS;
    default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
}

/* ---- Dispatch -------------------------------------------------------------- */

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR info)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = info;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS DispatchOpenClose(PDEVICE_OBJECT device, PIRP irp)
{
    (void)device;
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS DispatchControl(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLen = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLen = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR* buffer = (UCHAR*)irp->AssociatedIrp.SystemBuffer;
    ULONG_PTR info = 0;
    NTSTATUS status;

    (void)device;
    if (!buffer) {
        /* Nothing to read or write: every request that needs a buffer fails
           on its length check. */
        inLen = 0;
        outLen = 0;
    }
    KeWaitForSingleObject(&g_dev->lock, Executive, KernelMode, FALSE, NULL);
    if (IsPrivate(code))
        status = PrivateRequest(code, buffer, inLen, outLen, &info);
    else
        status = ProductRequest(code, buffer, inLen, outLen, &info);
    KeReleaseMutex(&g_dev->lock, FALSE);
    if (!NT_SUCCESS(status)) info = 0;
    return Complete(irp, status, info);
}

static void DriverUnload(PDRIVER_OBJECT driver)
{
    (void)driver;
    if (g_sim) {
        DropEvent(&g_sim->touchEvent);
        DropEvent(&g_sim->wakeEvent);
        ExFreePoolWithTag(g_sim, POOL_TAG);
        g_sim = NULL;
    }
    if (g_dev) {
        if (g_dev->device) {
            IoDeleteSymbolicLink(&g_linkName);
            IoDeleteDevice(g_dev->device);
        }
        if (g_dev->log) ExFreePoolWithTag(g_dev->log, POOL_TAG);
        ExFreePoolWithTag(g_dev, POOL_TAG);
        g_dev = NULL;
    }
}

NTSTATUS DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    PDEVICE_OBJECT device = NULL;
    NTSTATUS status;

    (void)registryPath;
    g_dev = (SimDevice*)ExAllocatePoolWithTag(NonPagedPool, sizeof(SimDevice), POOL_TAG);
    g_sim = (SimState*)ExAllocatePoolWithTag(NonPagedPool, sizeof(SimState), POOL_TAG);
    if (g_dev) ZeroBytes(g_dev, sizeof(*g_dev));
    if (g_sim) ZeroBytes(g_sim, sizeof(*g_sim));
    if (g_dev)
        g_dev->log = (LogSlot*)ExAllocatePoolWithTag(NonPagedPool,
                                                     sizeof(LogSlot) * WEXSIM_LOG_CAPACITY, POOL_TAG);
    if (!g_dev || !g_sim || !g_dev->log) {
        DriverUnload(driver);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    KeInitializeMutex(&g_dev->lock, 0);
    KeQueryPerformanceCounter(&g_dev->frequency);

    status = IoCreateDevice(driver, 0, &g_deviceName, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        DriverUnload(driver);
        return status;
    }
    status = IoCreateSymbolicLink(&g_linkName, &g_deviceName);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        DriverUnload(driver);
        return status;
    }
    g_dev->device = device;
    device->Flags |= DO_BUFFERED_IO;
    device->Flags &= ~DO_DEVICE_INITIALIZING;

    driver->MajorFunction[IRP_MJ_CREATE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->DriverUnload = DriverUnload;
    return STATUS_SUCCESS;
}
