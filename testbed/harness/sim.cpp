// Talks to the simulated panel driver: the service through the service
// manager, everything else through the driver's private control codes.
#include "harness.h"

#include "../driver/simctl.h"
#include "harness_internal.h"
#include "winutil.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

namespace tb {
namespace sim {
namespace {

const char kServiceName[] = "WEXANT";
// A loaded machine can take seconds to bring up the device host.
const DWORD kServiceWaitMs = 30000;

bool DeviceOpens()
{
    HANDLE device = OpenDriverDevice();
    if (device == INVALID_HANDLE_VALUE) return false;
    CloseHandle(device);
    return true;
}

// One private request on a handle opened for it, as the programs make theirs.
bool Control(DWORD code, const void* in, DWORD inSize, void* out = nullptr, DWORD outSize = 0,
             DWORD* returned = nullptr)
{
    return DriverRequest(code, in, inSize, out, outSize, returned) != FALSE;
}

DWORD ServiceState(SC_HANDLE service)
{
    SERVICE_STATUS status;
    if (!QueryServiceStatus(service, &status)) return 0;
    return status.dwCurrentState;
}

// Which of the Wine programs behind a session's services are running, for the
// report of a start that failed (a session has come up without its service
// manager now and then on a loaded machine).
std::string SessionPrograms()
{
    std::string found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return "(no process list)";
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        for (const char* name : {"wineboot.exe", "services.exe", "winedevice.exe", "plugplay.exe", "explorer.exe"})
            if (_stricmp(entry.szExeFile, name) == 0) found += std::string(found.empty() ? "" : " ") + name;
    }
    CloseHandle(snapshot);
    return found.empty() ? "none of them" : found;
}

struct ServiceHandles {
    SC_HANDLE manager = nullptr;
    SC_HANDLE service = nullptr;
    ~ServiceHandles() { Close(); }
    void Close()
    {
        if (service) CloseServiceHandle(service);
        if (manager) CloseServiceHandle(manager);
        service = nullptr;
        manager = nullptr;
    }
    bool Open()
    {
        manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        if (!manager) return false;
        service = OpenServiceA(manager, kServiceName,
                               SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS);
        return service != nullptr;
    }
};

}  // namespace

bool StartDriver()
{
    // A start right after the prefix was made can be dropped without an
    // error, and on a loaded machine the service manager can refuse the
    // first handles or starts: ask again until the service runs and its
    // device opens, and say what stood in the way when it never did.
    DWORD start = GetTickCount();
    DWORD lastAsk = 0;
    DWORD state = 0, asks = 0, startError = 0, openError = 0, managerError = 0;
    ServiceHandles sc;
    while (GetTickCount() - start < kServiceWaitMs) {
        if (!sc.service) {
            sc.Close();
            if (!sc.Open()) {
                managerError = GetLastError();
                Sleep(50);
                continue;
            }
        }
        state = ServiceState(sc.service);
        if (state == SERVICE_RUNNING) {
            if (DeviceOpens()) return true;
            openError = GetLastError();
        } else if (state == SERVICE_STOPPED && (asks == 0 || GetTickCount() - lastAsk > 1000)) {
            ++asks;
            if (!StartServiceA(sc.service, 0, nullptr)) startError = GetLastError();
            lastAsk = GetTickCount();
        }
        Sleep(10);
    }
    fprintf(stderr,
            "tb: WEXANT service state %lu after %lu starts asked (last start error %lu, device open error %lu, "
            "service manager error %lu; running: %s)\n",
            state, asks, startError, openError, managerError, SessionPrograms().c_str());
    return false;
}

bool StopDriver()
{
    ServiceHandles sc;
    if (!sc.Open()) return false;
    SERVICE_STATUS status;
    if (ServiceState(sc.service) != SERVICE_STOPPED &&
        !ControlService(sc.service, SERVICE_CONTROL_STOP, &status) &&
        GetLastError() != ERROR_SERVICE_NOT_ACTIVE) {
        return false;
    }
    return Poll([&] { return ServiceState(sc.service) == SERVICE_STOPPED && !DeviceOpens(); },
                kServiceWaitMs);
}

bool Reset()
{
    return Control(WEXSIM_IOCTL_RESET, nullptr, 0);
}

bool InjectTouch(uint16_t rawX, uint16_t rawY, uint16_t device, uint16_t productId)
{
    WexsimTouch touch = {rawX, rawY, device, productId};
    return Control(WEXSIM_IOCTL_INJECT_TOUCH, &touch, sizeof(touch));
}

bool InjectTouchState(uint32_t state)
{
    return Control(WEXSIM_IOCTL_INJECT_STATE, &state, sizeof(state));
}

bool SignalWake()
{
    return Control(WEXSIM_IOCTL_SIGNAL_WAKE, nullptr, 0);
}

bool SetRotation(uint32_t quarterTurns)
{
    return Control(WEXSIM_IOCTL_SET_ROTATION, &quarterTurns, sizeof(quarterTurns));
}

bool FailCode(uint32_t code, bool fail)
{
    WexsimFail request = {code, fail ? 1u : 0u};
    return Control(WEXSIM_IOCTL_FAIL_CODE, &request, sizeof(request));
}

bool ReadLog(std::vector<Request>* log, uint32_t* lost)
{
    log->clear();
    if (lost) *lost = 0;
    std::vector<uint8_t> page(64 * 1024);
    uint32_t next = 0;
    for (;;) {
        DWORD bytes = 0;
        if (!Control(WEXSIM_IOCTL_READ_LOG, &next, sizeof(next), page.data(),
                     static_cast<DWORD>(page.size()), &bytes) ||
            bytes < sizeof(WexsimLogPage)) {
            return false;
        }
        WexsimLogPage header;
        memcpy(&header, page.data(), sizeof(header));
        if (lost) *lost = header.lost;
        size_t at = sizeof(header);
        for (uint32_t i = 0; i < header.count; ++i) {
            WexsimLogEntry entry;
            if (at + sizeof(entry) > bytes) return false;
            memcpy(&entry, page.data() + at, sizeof(entry));
            at += sizeof(entry);
            if (entry.inputSize > WEXSIM_LOG_INPUT_MAX || at + entry.inputSize > bytes) return false;
            Request request;
            request.code = entry.code;
            request.status = entry.status;
            request.timeUs = entry.timeUs;
            request.input.assign(page.data() + at, page.data() + at + entry.inputSize);
            log->push_back(std::move(request));
            at += (entry.inputSize + 7u) & ~7u;
        }
        if (header.next >= header.end) return true;
        if (header.next <= next && header.count == 0) return false;  // no progress
        next = header.next;
    }
}

std::vector<Request> Log()
{
    std::vector<Request> log;
    ReadLog(&log, nullptr);
    return log;
}

std::vector<Request> LogOf(uint32_t code)
{
    std::vector<Request> all = Log(), some;
    for (Request& request : all) {
        if (request.code == code) some.push_back(std::move(request));
    }
    return some;
}

bool WaitRequest(uint32_t code, size_t count, DWORD timeoutMs)
{
    return Poll([&] { return LogOf(code).size() >= count; }, timeoutMs, 20);
}

bool GetState(State* state)
{
    WexsimState raw;
    DWORD bytes = 0;
    if (!Control(WEXSIM_IOCTL_GET_STATE, nullptr, 0, &raw, sizeof(raw), &bytes) ||
        bytes != sizeof(raw)) {
        return false;
    }
    auto bytesOf = [](const uint8_t* data, uint32_t size, uint32_t max) {
        if (size > max) size = max;
        return std::vector<uint8_t>(data, data + size);
    };
    state->option = raw.option;
    state->secondaryButton = raw.secondaryButton;
    state->buttonsSwapped = raw.buttonsSwapped;
    state->calibMode = raw.calibMode;
    state->calib = static_cast<CalibHeld>(raw.calib);
    state->calibS = static_cast<CalibHeld>(raw.calibS);
    state->calibRecord = bytesOf(raw.calibRecord, raw.calibSize, WEXSIM_CALIB_MAX_SIZE);
    state->calibRecordS = bytesOf(raw.calibRecordS, raw.calibSizeS, WEXSIM_CALIB_MAX_SIZE);
    state->bundle = bytesOf(raw.bundle, raw.bundleSize, WEXSIM_BUNDLE_SIZE);
    state->touchEventRegistered = raw.touchEventRegistered;
    state->wakeEventRegistered = raw.wakeEventRegistered;
    state->rotation = raw.rotation;
    state->comm.assign(raw.comm, raw.comm + (raw.commCount ? 2 : 0));
    state->resolution.assign(raw.resolution, raw.resolution + (raw.resolutionCount ? 2 : 0));
    state->commCount = raw.commCount;
    state->resolutionCount = raw.resolutionCount;
    state->applyCount = raw.applyCount;
    state->touchesQueued = raw.touchesQueued;
    state->statesQueued = raw.statesQueued;
    state->touchSignals = raw.touchSignals;
    state->wakeSignals = raw.wakeSignals;
    state->nowUs = raw.nowUs;
    return true;
}

}  // namespace sim
}  // namespace tb

namespace tb {
namespace internal {

// The session's service manager, started here when the session's boot could
// not start it. Wine now and then fails a process start while the machine is
// loaded (the boot says "Couldn't start services.exe: error 1359"), and a
// session without its service manager would refuse every service request of
// every test; the boot has ended by the time a test program runs.
void EnsureServiceManager()
{
    if (sim::SessionPrograms().find("services.exe") != std::string::npos) return;
    fprintf(stderr, "tb: the session came up without its service manager: starting services.exe\n");
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, "__wine_SvcctlStarted");
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info;
    BOOL ok = FALSE;
    for (int attempt = 0; attempt < 3 && !ok; ++attempt) {
        if (attempt > 0) Sleep(200);
        ok = CreateProcessA("C:\\windows\\system32\\services.exe", nullptr, nullptr, nullptr, FALSE,
                            DETACHED_PROCESS, nullptr, nullptr, &startup, &info);
    }
    if (!ok) {
        fprintf(stderr, "tb: services.exe did not start either (error %lu)\n", GetLastError());
    } else {
        HANDLE waits[2] = {started, info.hProcess};
        if (WaitForMultipleObjects(2, waits, FALSE, 30000) != WAIT_OBJECT_0)
            fprintf(stderr, "tb: services.exe did not come up\n");
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    if (started) CloseHandle(started);
}

}  // namespace internal
}  // namespace tb
