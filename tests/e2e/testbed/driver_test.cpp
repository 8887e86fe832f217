// The simulated panel driver under Wine: the device the programs open, the
// answers they rely on, the events it signals in other processes, and the
// private interface the other tests drive it with. The harness starts and
// resets the driver before every test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../../testbed/driver/simctl.h"
#include "harness.h"
#include "wexant.h"
#include "winutil.h"

namespace {

using namespace wexant;

struct Reply {
    bool ok = false;
    DWORD bytes = 0;
    std::vector<uint8_t> out;
};

// One request the way the programs make it: open, one DeviceIoControl, close.
Reply Send(DWORD code, const std::vector<uint8_t>& in, DWORD outSize = 0)
{
    Reply reply;
    reply.out.assign(outSize, 0xEE);
    HANDLE device = OpenDriverDevice();
    if (device == INVALID_HANDLE_VALUE) return reply;
    reply.ok = DeviceIoControl(device, code, in.empty() ? nullptr : const_cast<uint8_t*>(in.data()),
                               static_cast<DWORD>(in.size()), outSize ? reply.out.data() : nullptr,
                               outSize, &reply.bytes, nullptr) != FALSE;
    CloseHandle(device);
    return reply;
}

uint16_t Word(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

uint32_t Dword(const std::vector<uint8_t>& bytes)
{
    uint32_t value = 0;
    memcpy(&value, bytes.data(), sizeof(value));
    return value;
}

std::vector<uint8_t> DwordBytes(uint32_t value)
{
    std::vector<uint8_t> bytes(4);
    memcpy(bytes.data(), &value, 4);
    return bytes;
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

// The 16-byte registration record with the handle at byte 8.
std::vector<uint8_t> EventRecord(HANDLE event)
{
    std::vector<uint8_t> record(16, 0);
    memcpy(record.data() + 8, &event, sizeof(event));
    return record;
}

tb::sim::Request LastLogEntry()
{
    std::vector<tb::sim::Request> log = tb::sim::Log();
    return log.empty() ? tb::sim::Request() : log.back();
}

tb::sim::State StateNow()
{
    tb::sim::State state;
    EXPECT_TRUE(tb::sim::GetState(&state));
    return state;
}

std::string HelperPath()
{
    return tb::TestDir() + "\\driver_event_helper.exe";
}

class Event {
public:
    Event() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() { CloseHandle(handle_); }
    HANDLE get() const { return handle_; }
    bool Signalled(DWORD ms = 0) const { return WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0; }

private:
    HANDLE handle_;
};

TEST(DriverDevice, ReadTouchAnswersInjectedTouchesInOrderThenRepeatsTheLast)
{
    // Before any touch there is nothing to report.
    Reply none = Send(IOCTL_WEXANT_READ_TOUCH, {}, 18);
    EXPECT_FALSE(none.ok);

    ASSERT_TRUE(tb::sim::InjectTouch(0x1234, 0x0FED, 3, 0x0512));
    ASSERT_TRUE(tb::sim::InjectTouch(40000, 7, 0, 0x0500));
    struct Expected {
        uint16_t x, y, device, product;
    } expected[] = {{0x1234, 0x0FED, 3, 0x0512}, {40000, 7, 0, 0x0500}, {40000, 7, 0, 0x0500}};
    for (const Expected& e : expected) {
        Reply reply = Send(IOCTL_WEXANT_READ_TOUCH, {}, 18);
        ASSERT_TRUE(reply.ok);
        ASSERT_EQ(reply.bytes, 18u);
        EXPECT_EQ(Word(reply.out, 2), e.x);
        EXPECT_EQ(Word(reply.out, 4), e.y);
        EXPECT_EQ(Word(reply.out, 14), e.device);
        EXPECT_EQ(Word(reply.out, 16), e.product);
        EXPECT_EQ(Word(reply.out, 0), 0);
        for (size_t i = 6; i < 14; ++i) EXPECT_EQ(reply.out[i], 0) << "byte " << i;
    }

    std::vector<tb::sim::Request> log = tb::sim::LogOf(IOCTL_WEXANT_READ_TOUCH);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].status, WEXSIM_STATUS_DEVICE_NOT_READY);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(log[i].status, 0u);
        EXPECT_TRUE(log[i].input.empty());
        EXPECT_GE(log[i].timeUs, log[i - 1].timeUs);
    }
}

TEST(DriverDevice, TouchStatesAreReportedOnceEach)
{
    for (uint32_t state : {0u, 1u, 2u}) ASSERT_TRUE(tb::sim::InjectTouchState(state));
    EXPECT_EQ(StateNow().statesQueued, 3u);
    for (uint32_t state : {0u, 1u, 2u}) {
        Reply reply = Send(IOCTL_WEXANT_GET_TOUCH_STATE, {}, 4);
        ASSERT_TRUE(reply.ok);
        ASSERT_EQ(reply.bytes, 4u);
        EXPECT_EQ(Dword(reply.out), state);
    }
    EXPECT_FALSE(Send(IOCTL_WEXANT_GET_TOUCH_STATE, {}, 4).ok);
    EXPECT_EQ(LastLogEntry().status, WEXSIM_STATUS_DEVICE_NOT_READY);
}

TEST(DriverService, StoppedServiceIsAnAbsentDriverAndStartsAgain)
{
    ASSERT_TRUE(tb::sim::InjectTouch(10, 20));
    ASSERT_TRUE(tb::sim::SetRotation(3));
    // A registration held across the stop must not trouble the unload.
    Event event;
    ASSERT_TRUE(Send(IOCTL_WEXANT_SET_TOUCH_EVENT, EventRecord(event.get())).ok);

    ASSERT_TRUE(tb::sim::StopDriver());
    HANDLE device = OpenDriverDevice();
    EXPECT_EQ(device, INVALID_HANDLE_VALUE);
    if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
    EXPECT_FALSE(DriverRequest(IOCTL_WEXANT_GET_ROTATION, nullptr, 0, nullptr, 0));

    ASSERT_TRUE(tb::sim::StartDriver());
    device = OpenDriverDevice();
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    CloseHandle(device);
    // A fresh start knows nothing of the earlier run.
    tb::sim::State state = StateNow();
    EXPECT_EQ(state.rotation, 0u);
    EXPECT_EQ(state.touchesQueued, 0u);
    EXPECT_EQ(state.touchEventRegistered, 0u);
    EXPECT_TRUE(tb::sim::Log().empty());
    ASSERT_TRUE(tb::sim::InjectTouch(11, 22));
    Reply reply = Send(IOCTL_WEXANT_READ_TOUCH, {}, 18);
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(Word(reply.out, 2), 11);
}

TEST(DriverEvents, EventOfAnotherProcessIsSignalled)
{
    struct Case {
        const char* kind;
        std::function<bool()> signal;
        uint32_t tb::sim::State::*registered;
    } cases[] = {
        {"touch", [] { return tb::sim::InjectTouch(5, 6); }, &tb::sim::State::touchEventRegistered},
        {"touch", [] { return tb::sim::InjectTouchState(1); }, &tb::sim::State::touchEventRegistered},
        {"wake", [] { return tb::sim::SignalWake(); }, &tb::sim::State::wakeEventRegistered},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_TRUE(tb::sim::Reset());
        tb::Process helper = tb::StartPath(HelperPath(), std::string(c.kind) + " wait 10000");
        ASSERT_TRUE(helper.Valid());
        ASSERT_TRUE(tb::Poll([&] {
            tb::sim::State state;
            return tb::sim::GetState(&state) && state.*(c.registered) == 1;
        }));
        EXPECT_TRUE(helper.Running());  // registered, now waiting
        ASSERT_TRUE(c.signal());
        DWORD exitCode = 99;
        ASSERT_TRUE(helper.WaitExit(5000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
}

TEST(DriverEvents, EventOfAnEndedProcessDoesNotHarmTheDriver)
{
    tb::Process helper = tb::StartPath(HelperPath(), "touch exit");
    ASSERT_TRUE(helper.Valid());
    DWORD exitCode = 99;
    ASSERT_TRUE(helper.WaitExit(5000, &exitCode));
    ASSERT_EQ(exitCode, 0u);
    tb::Process wakeHelper = tb::StartPath(HelperPath(), "wake exit");
    ASSERT_TRUE(wakeHelper.WaitExit(5000, &exitCode));
    ASSERT_EQ(exitCode, 0u);
    ASSERT_EQ(StateNow().touchEventRegistered, 1u);

    // Signalling the orphaned events, and everything after it, still works.
    EXPECT_TRUE(tb::sim::InjectTouch(300, 400, 1));
    EXPECT_TRUE(tb::sim::InjectTouchState(0));
    EXPECT_TRUE(tb::sim::SignalWake());
    Reply touch = Send(IOCTL_WEXANT_READ_TOUCH, {}, 18);
    ASSERT_TRUE(touch.ok);
    EXPECT_EQ(Word(touch.out, 2), 300);
    EXPECT_TRUE(Send(IOCTL_WEXANT_GET_TOUCH_STATE, {}, 4).ok);
    tb::sim::State state = StateNow();
    EXPECT_EQ(state.touchSignals, 2u);
    EXPECT_EQ(state.wakeSignals, 1u);

    // A new registration replaces the old one and is the one signalled.
    Event event;
    ASSERT_TRUE(Send(IOCTL_WEXANT_SET_TOUCH_EVENT, EventRecord(event.get())).ok);
    EXPECT_FALSE(event.Signalled());
    ASSERT_TRUE(tb::sim::InjectTouch(1, 2));
    EXPECT_TRUE(event.Signalled(2000));

    // A reset drops the references and the device goes on.
    ASSERT_TRUE(tb::sim::Reset());
    EXPECT_EQ(StateNow().touchEventRegistered, 0u);
    EXPECT_TRUE(tb::sim::InjectTouch(1, 2));
}

TEST(DriverEvents, RegistrationThatIsNoEventIsRefused)
{
    Event event;
    ASSERT_TRUE(Send(IOCTL_WEXANT_SET_TOUCH_EVENT, EventRecord(event.get())).ok);
    HANDLE notEvent = CreateMutexA(nullptr, FALSE, nullptr);
    const HANDLE bad[] = {nullptr, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFC)), notEvent};
    for (HANDLE handle : bad) {
        EXPECT_FALSE(Send(IOCTL_WEXANT_SET_TOUCH_EVENT, EventRecord(handle)).ok) << handle;
    }
    CloseHandle(notEvent);
    // The good registration stays in force.
    EXPECT_EQ(StateNow().touchEventRegistered, 1u);
    ASSERT_TRUE(tb::sim::InjectTouch(1, 2));
    EXPECT_TRUE(event.Signalled(2000));
}

struct SizeCase {
    const char* name;
    uint32_t code;
    size_t inSize;
    DWORD outSize;
    uint32_t status;
};

TEST(DriverDevice, RequestSizesAreChecked)
{
    ASSERT_TRUE(tb::sim::InjectTouch(1, 2));
    const uint32_t ok = WEXSIM_STATUS_SUCCESS, bad = WEXSIM_STATUS_INVALID_PARAMETER,
                   small = WEXSIM_STATUS_BUFFER_TOO_SMALL;
    const SizeCase cases[] = {
        {"calib 9", IOCTL_WEXANT_SET_CALIB, 110, 0, ok},
        {"calib 12", IOCTL_WEXANT_SET_CALIB, 160, 0, ok},
        {"calib 20", IOCTL_WEXANT_SET_CALIB, 320, 0, ok},
        {"calib short", IOCTL_WEXANT_SET_CALIB, 109, 0, bad},
        {"calib long", IOCTL_WEXANT_SET_CALIB, 321, 0, bad},
        {"calib none", IOCTL_WEXANT_SET_CALIB, 0, 0, bad},
        {"calib_s 12", IOCTL_WEXANT_SET_CALIB_S, 160, 0, ok},
        {"calib_s bundle size", IOCTL_WEXANT_SET_CALIB_S, 1184, 0, bad},
        {"bundle", IOCTL_WEXANT_LOAD_CALIB_BUNDLE, 1184, 0, ok},
        {"bundle short", IOCTL_WEXANT_LOAD_CALIB_BUNDLE, 1183, 0, bad},
        {"bundle long", IOCTL_WEXANT_LOAD_CALIB_BUNDLE, 1185, 0, bad},
        {"option", IOCTL_WEXANT_SET_OPTION, 4, 0, ok},
        {"option short", IOCTL_WEXANT_SET_OPTION, 3, 0, bad},
        {"calib mode long", IOCTL_WEXANT_SET_CALIB_MODE, 8, 0, bad},
        {"comm", IOCTL_WEXANT_SET_COMM, 2, 0, ok},
        {"comm as dword", IOCTL_WEXANT_SET_COMM, 4, 0, bad},
        {"resolution short", IOCTL_WEXANT_SET_RESOLUTION, 1, 0, bad},
        {"touch event short", IOCTL_WEXANT_SET_TOUCH_EVENT, 15, 0, bad},
        {"wake event none", IOCTL_WEXANT_SET_WAKE_EVENT, 0, 0, bad},
        {"commit with input", IOCTL_WEXANT_CALIB_COMMIT, 1, 0, bad},
        {"read touch small", IOCTL_WEXANT_READ_TOUCH, 0, 17, small},
        {"read touch no room", IOCTL_WEXANT_READ_TOUCH, 0, 0, small},
        {"read touch larger", IOCTL_WEXANT_READ_TOUCH, 0, 64, ok},
        {"rotation small", IOCTL_WEXANT_GET_ROTATION, 0, 2, small},
        {"touch state no room", IOCTL_WEXANT_GET_TOUCH_STATE, 0, 0, small},
        {"unused function 0x80B", WexantCtlCode(0x80B), 0, 0, WEXSIM_STATUS_INVALID_DEVICE_REQUEST},
        {"other device type", 0x80002004u, 0, 0, WEXSIM_STATUS_INVALID_DEVICE_REQUEST},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> input = Pattern(c.inSize, static_cast<uint8_t>(c.inSize));
        Reply reply = Send(c.code, input, c.outSize);
        EXPECT_EQ(reply.ok, c.status == ok);
        tb::sim::Request entry = LastLogEntry();
        EXPECT_EQ(entry.code, c.code);
        EXPECT_EQ(entry.status, c.status);
        // The log keeps the first 1184 bytes of an input, the longest the programs send.
        input.resize(std::min<size_t>(input.size(), 1184));
        EXPECT_EQ(entry.input, input);
    }
    // Refused requests left nothing behind.
    tb::sim::State state = StateNow();
    EXPECT_EQ(state.calibRecordS.size(), 160u);
    EXPECT_EQ(state.commCount, 1u);
    EXPECT_EQ(state.resolutionCount, 0u);
    EXPECT_EQ(state.wakeEventRegistered, 0u);
}

// A request each code answers with success, with what it needs beforehand.
struct ValidRequest {
    std::vector<uint8_t> input;
    DWORD outSize = 0;
};

ValidRequest PrepareValid(uint32_t code, HANDLE event)
{
    ValidRequest r;
    switch (code) {
    case IOCTL_WEXANT_READ_TOUCH:
        tb::sim::InjectTouch(1, 2);
        r.outSize = 18;
        break;
    case IOCTL_WEXANT_GET_TOUCH_STATE:
        tb::sim::InjectTouchState(1);
        r.outSize = 4;
        break;
    case IOCTL_WEXANT_GET_ROTATION:
        r.outSize = 4;
        break;
    case IOCTL_WEXANT_SET_CALIB:
    case IOCTL_WEXANT_SET_CALIB_S:
        r.input = Pattern(110, 1);
        break;
    case IOCTL_WEXANT_SET_TOUCH_EVENT:
    case IOCTL_WEXANT_SET_WAKE_EVENT:
        r.input = EventRecord(event);
        break;
    case IOCTL_WEXANT_SET_OPTION:
    case IOCTL_WEXANT_SET_CALIB_MODE:
        r.input = DwordBytes(2);
        break;
    case IOCTL_WEXANT_LOAD_CALIB_BUNDLE:
        r.input = Pattern(1184, 3);
        break;
    case IOCTL_WEXANT_SET_COMM:
    case IOCTL_WEXANT_SET_RESOLUTION:
        r.input = {1, 4};
        break;
    default:
        break;
    }
    return r;
}

TEST(DriverDevice, EveryCodeAnswersAndCanBeMadeToFail)
{
    Event event;
    for (const ControlCode& c : kControlCodes) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(tb::sim::Reset());
        ValidRequest request = PrepareValid(c.code, event.get());
        ASSERT_TRUE(tb::sim::FailCode(c.code));
        EXPECT_FALSE(Send(c.code, request.input, request.outSize).ok);
        EXPECT_EQ(LastLogEntry().status, WEXSIM_STATUS_UNSUCCESSFUL);
        // A failed request changes nothing: the queued input is still there.
        tb::sim::State failed = StateNow();
        EXPECT_EQ(failed.touchesQueued + failed.statesQueued,
                  (c.code == IOCTL_WEXANT_READ_TOUCH || c.code == IOCTL_WEXANT_GET_TOUCH_STATE) ? 1u : 0u);
        EXPECT_EQ(failed.option + failed.calibMode + failed.commCount + failed.touchEventRegistered +
                      failed.wakeEventRegistered + failed.bundle.size() + failed.calibRecord.size(),
                  0u);

        ASSERT_TRUE(tb::sim::FailCode(c.code, false));
        Reply reply = Send(c.code, request.input, request.outSize);
        EXPECT_TRUE(reply.ok);
        EXPECT_EQ(reply.bytes, request.outSize);
        EXPECT_EQ(LastLogEntry().status, 0u);
    }
    // Failing one code leaves the others alone; Reset clears the failures.
    ASSERT_TRUE(tb::sim::FailCode(IOCTL_WEXANT_SET_OPTION));
    EXPECT_TRUE(Send(IOCTL_WEXANT_APPLY_SETTINGS, {}).ok);
    ASSERT_TRUE(tb::sim::Reset());
    EXPECT_TRUE(Send(IOCTL_WEXANT_SET_OPTION, DwordBytes(1)).ok);
    // The private codes cannot be made to fail.
    EXPECT_FALSE(tb::sim::FailCode(WEXSIM_IOCTL_RESET));
}

TEST(DriverDevice, CalibrationRecordsAreHeldAsSentCommittedOrDiscarded)
{
    using tb::sim::CalibHeld;
    struct Case {
        const char* name;
        std::vector<uint32_t> codes;
        CalibHeld plain, s;
    } cases[] = {
        {"sent", {IOCTL_WEXANT_SET_CALIB}, CalibHeld::Sent, CalibHeld::None},
        {"committed", {IOCTL_WEXANT_SET_CALIB, IOCTL_WEXANT_CALIB_COMMIT}, CalibHeld::Committed, CalibHeld::None},
        {"discarded", {IOCTL_WEXANT_SET_CALIB, IOCTL_WEXANT_CALIB_DISCARD}, CalibHeld::Discarded, CalibHeld::None},
        {"discard after commit keeps it",
         {IOCTL_WEXANT_SET_CALIB, IOCTL_WEXANT_CALIB_COMMIT, IOCTL_WEXANT_CALIB_DISCARD},
         CalibHeld::Committed, CalibHeld::None},
        {"sent again after commit",
         {IOCTL_WEXANT_SET_CALIB, IOCTL_WEXANT_CALIB_COMMIT, IOCTL_WEXANT_SET_CALIB}, CalibHeld::Sent,
         CalibHeld::None},
        {"nothing sent", {IOCTL_WEXANT_CALIB_COMMIT, IOCTL_WEXANT_CALIB_DISCARD}, CalibHeld::None, CalibHeld::None},
        {"s form committed", {IOCTL_WEXANT_SET_CALIB_S, IOCTL_WEXANT_CALIB_COMMIT_S}, CalibHeld::None,
         CalibHeld::Committed},
        {"forms apart",
         {IOCTL_WEXANT_SET_CALIB, IOCTL_WEXANT_SET_CALIB_S, IOCTL_WEXANT_CALIB_DISCARD_S},
         CalibHeld::Sent, CalibHeld::Discarded},
        {"plain commit leaves s sent", {IOCTL_WEXANT_SET_CALIB_S, IOCTL_WEXANT_CALIB_COMMIT}, CalibHeld::None,
         CalibHeld::Sent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(tb::sim::Reset());
        std::vector<uint8_t> lastPlain, lastS;
        size_t sizes[] = {320, 160, 110};
        size_t n = 0;
        for (uint32_t code : c.codes) {
            std::vector<uint8_t> input;
            if (code == IOCTL_WEXANT_SET_CALIB || code == IOCTL_WEXANT_SET_CALIB_S) {
                input = Pattern(sizes[n % 3], static_cast<uint8_t>(n + 1));
                ++n;
                (code == IOCTL_WEXANT_SET_CALIB ? lastPlain : lastS) = input;
            }
            ASSERT_TRUE(Send(code, input).ok);
        }
        tb::sim::State state = StateNow();
        EXPECT_EQ(state.calib, c.plain);
        EXPECT_EQ(state.calibS, c.s);
        EXPECT_EQ(state.calibRecord, lastPlain);
        EXPECT_EQ(state.calibRecordS, lastS);
    }
}

TEST(DriverDevice, SettingsRequestsAreHeldAndRotationAnswered)
{
    std::vector<uint8_t> bundle = Pattern(1184, 9);
    bundle[0] = 0x21;  // mask
    struct Step {
        uint32_t code;
        std::vector<uint8_t> input;
    } steps[] = {
        {IOCTL_WEXANT_SET_OPTION, DwordBytes(0x0C4800A4)},
        {IOCTL_WEXANT_LOAD_CALIB_BUNDLE, bundle},
        {IOCTL_WEXANT_SECONDARY_BUTTON, {}},
        {IOCTL_WEXANT_BUTTONS_SWAPPED, {}},
        {IOCTL_WEXANT_SET_CALIB_MODE, DwordBytes(2)},
        {IOCTL_WEXANT_SET_COMM, {1, 4}},
        {IOCTL_WEXANT_SET_COMM, {3, 6}},
        {IOCTL_WEXANT_SET_RESOLUTION, {2, 1}},
        {IOCTL_WEXANT_APPLY_SETTINGS, {}},
    };
    for (const Step& step : steps) ASSERT_TRUE(Send(step.code, step.input).ok) << ControlCodeName(step.code);
    tb::sim::State state = StateNow();
    EXPECT_EQ(state.option, 0x0C4800A4u);
    EXPECT_EQ(state.bundle, bundle);
    EXPECT_EQ(state.secondaryButton, 1u);
    EXPECT_EQ(state.buttonsSwapped, 1u);
    EXPECT_EQ(state.calibMode, 2u);
    EXPECT_EQ(state.comm, (std::vector<uint8_t>{3, 6}));
    EXPECT_EQ(state.commCount, 2u);
    EXPECT_EQ(state.resolution, (std::vector<uint8_t>{2, 1}));
    EXPECT_EQ(state.applyCount, 1u);

    ASSERT_TRUE(Send(IOCTL_WEXANT_PRIMARY_BUTTON, {}).ok);
    ASSERT_TRUE(Send(IOCTL_WEXANT_BUTTONS_NORMAL, {}).ok);
    state = StateNow();
    EXPECT_EQ(state.secondaryButton, 0u);
    EXPECT_EQ(state.buttonsSwapped, 0u);

    for (uint32_t turns : {0u, 1u, 3u, 7u}) {
        ASSERT_TRUE(tb::sim::SetRotation(turns));
        Reply reply = Send(IOCTL_WEXANT_GET_ROTATION, {}, 4);
        ASSERT_TRUE(reply.ok);
        EXPECT_EQ(Dword(reply.out), turns);
    }
}

TEST(DriverLog, KeepsEveryRequestWithItsInputAcrossPagesUntilReset)
{
    // 120 bundles of 1184 bytes need several pages of the log.
    const int kBundles = 120;
    for (int i = 0; i < kBundles; ++i) {
        std::vector<uint8_t> bundle = Pattern(1184, static_cast<uint8_t>(i));
        ASSERT_TRUE(Send(IOCTL_WEXANT_LOAD_CALIB_BUNDLE, bundle).ok);
    }
    ASSERT_TRUE(Send(IOCTL_WEXANT_SET_OPTION, DwordBytes(0x12345678)).ok);
    std::vector<tb::sim::Request> log;
    uint32_t lost = 99;
    ASSERT_TRUE(tb::sim::ReadLog(&log, &lost));
    EXPECT_EQ(lost, 0u);
    ASSERT_EQ(log.size(), static_cast<size_t>(kBundles + 1));
    for (int i = 0; i < kBundles; ++i) {
        EXPECT_EQ(log[i].code, IOCTL_WEXANT_LOAD_CALIB_BUNDLE);
        EXPECT_EQ(log[i].input, Pattern(1184, static_cast<uint8_t>(i))) << "entry " << i;
        if (i > 0) {
            EXPECT_GE(log[i].timeUs, log[i - 1].timeUs);
        }
    }
    EXPECT_EQ(log.back().input, DwordBytes(0x12345678));
    EXPECT_LE(log.back().timeUs, StateNow().nowUs);
    // Private requests are not logged.
    ASSERT_TRUE(tb::sim::InjectTouch(1, 1));
    EXPECT_EQ(tb::sim::Log().size(), log.size());

    ASSERT_TRUE(tb::sim::Reset());
    EXPECT_TRUE(tb::sim::Log().empty());
    ASSERT_TRUE(Send(IOCTL_WEXANT_APPLY_SETTINGS, {}).ok);
    EXPECT_EQ(tb::sim::LogOf(IOCTL_WEXANT_APPLY_SETTINGS).size(), 1u);
}

TEST(DriverLog, FullLogDropsTheOldestEntries)
{
    // One handle for all requests keeps this quick; the driver does not care.
    HANDLE device = OpenDriverDevice();
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    const uint32_t kRequests = WEXSIM_LOG_CAPACITY + 5;
    for (uint32_t i = 0; i < kRequests; ++i) {
        DWORD bytes = 0;
        ASSERT_TRUE(DeviceIoControl(device, IOCTL_WEXANT_SET_OPTION, &i, sizeof(i), nullptr, 0, &bytes,
                                    nullptr));
    }
    CloseHandle(device);
    std::vector<tb::sim::Request> log;
    uint32_t lost = 0;
    ASSERT_TRUE(tb::sim::ReadLog(&log, &lost));
    EXPECT_EQ(lost, 5u);
    ASSERT_EQ(log.size(), static_cast<size_t>(WEXSIM_LOG_CAPACITY));
    EXPECT_EQ(Dword(log.front().input), 5u);
    EXPECT_EQ(Dword(log.back().input), kRequests - 1);
}

TEST(DriverDevice, RequestRoundTripTime)
{
    const int kRounds = 200;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kRounds; ++i) {
        DWORD rotation = 0;
        ASSERT_TRUE(DriverRequest(IOCTL_WEXANT_GET_ROTATION, nullptr, 0, &rotation, sizeof(rotation)));
    }
    QueryPerformanceCounter(&end);
    double us = static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart / kRounds;
    printf("open + request + close: %.0f us\n", us);
    RecordProperty("round_trip_us", static_cast<int>(us));
    // The programs open the device for every request: it must stay cheap.
    // About 0.5 ms on an idle machine; the bound leaves room for a loaded one.
    EXPECT_LT(us, 50000.0);
}

}  // namespace
