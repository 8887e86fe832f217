/*
 * Private control interface of the simulated panel driver, shared by the
 * driver (C, kernel mode) and the e2e harness (C++, user mode).
 *
 * The private codes sit outside the product's function range 0x801-0x81C:
 * CTL_CODE(FILE_DEVICE_UNKNOWN, 0xA00 + n, METHOD_BUFFERED, FILE_ANY_ACCESS).
 * They are never logged and never made to fail.
 *
 * What the simulated device answers to the product's codes:
 *  - READ_TOUCH takes the oldest queued touch and returns it as the 18-byte
 *    touch record (raw X at byte 2, raw Y at 4, device number at 14, product id
 *    at 16; the other bytes zero). With the queue empty it returns the last
 *    touch it returned again, the way a panel reports where the finger was
 *    lifted; before any touch since the last reset it fails with
 *    STATUS_DEVICE_NOT_READY.
 *  - GET_TOUCH_STATE takes the oldest queued touch state (4 bytes). A state is
 *    reported once: with none pending it fails with STATUS_DEVICE_NOT_READY.
 *  - GET_ROTATION answers the rotation set through WEXSIM_IOCTL_SET_ROTATION.
 *  - SET_CALIB / SET_CALIB_S hold the record as "sent"; COMMIT / COMMIT_S turn a
 *    sent record into "committed", DISCARD / DISCARD_S a sent record into
 *    "discarded"; with no sent record they succeed and change nothing.
 *  - The other codes store their input (see WexsimState).
 *  - A wrong input size fails with STATUS_INVALID_PARAMETER, an output buffer
 *    too small for the answer with STATUS_BUFFER_TOO_SMALL, an unknown code
 *    with STATUS_INVALID_DEVICE_REQUEST, a code made to fail with
 *    STATUS_UNSUCCESSFUL. A failed request changes nothing but the log.
 *  - SET_TOUCH_EVENT / SET_WAKE_EVENT take the caller's event handle at byte 8
 *    of the 16-byte record; the driver keeps its own reference to the event
 *    until the next registration of that kind or a reset, so an event whose
 *    process has ended is still safe to signal.
 */
#ifndef WEXANT_SIMCTL_H
#define WEXANT_SIMCTL_H

#include <stdint.h>

#define WEXSIM_CTL(n) ((0x22u << 16) | ((0xA00u + (n)) << 2))

/* in: WexsimTouch. Queues a touch for READ_TOUCH, then signals the touch event. */
#define WEXSIM_IOCTL_INJECT_TOUCH WEXSIM_CTL(0)
/* in: uint32_t state. Queues a state for GET_TOUCH_STATE, then signals the touch event. */
#define WEXSIM_IOCTL_INJECT_STATE WEXSIM_CTL(1)
/* no buffers. Signals the wake event; fails with STATUS_NOT_FOUND when none is registered. */
#define WEXSIM_IOCTL_SIGNAL_WAKE WEXSIM_CTL(2)
/* in: uint32_t quarter turns, answered by GET_ROTATION. */
#define WEXSIM_IOCTL_SET_ROTATION WEXSIM_CTL(3)
/* in: WexsimFail. Makes every later request with that code fail, or succeed again. */
#define WEXSIM_IOCTL_FAIL_CODE WEXSIM_CTL(4)
/* in: uint32_t sequence number of the first entry wanted; out: WexsimLogPage. */
#define WEXSIM_IOCTL_READ_LOG WEXSIM_CTL(5)
/* out: WexsimState. */
#define WEXSIM_IOCTL_GET_STATE WEXSIM_CTL(6)
/* no buffers. Empties the queues, the log, the held records and the failures,
   drops both events; rotation 0. */
#define WEXSIM_IOCTL_RESET WEXSIM_CTL(7)

#define WEXSIM_FIRST_PRIVATE_FUNCTION 0xA00u
#define WEXSIM_PRIVATE_COUNT 8u

/* Sizes of the product's records. */
#define WEXSIM_TOUCH_RECORD_SIZE 18u
#define WEXSIM_EVENT_RECORD_SIZE 16u
#define WEXSIM_CALIB_MAX_SIZE 320u
#define WEXSIM_BUNDLE_SIZE 1184u
/* Longest request input the log keeps in full (the bundle). */
#define WEXSIM_LOG_INPUT_MAX WEXSIM_BUNDLE_SIZE
/* Entries the log holds; beyond that the oldest are dropped (counted in lost). */
#define WEXSIM_LOG_CAPACITY 2048u
/* Touches and states that can wait in their queues. */
#define WEXSIM_QUEUE_CAPACITY 256u
/* Codes that can be made to fail at the same time. */
#define WEXSIM_FAIL_CAPACITY 64u

/* Status values of the simulated device (NTSTATUS). */
#define WEXSIM_STATUS_SUCCESS 0x00000000u
#define WEXSIM_STATUS_UNSUCCESSFUL 0xC0000001u
#define WEXSIM_STATUS_INVALID_PARAMETER 0xC000000Du
#define WEXSIM_STATUS_INVALID_DEVICE_REQUEST 0xC0000010u
#define WEXSIM_STATUS_BUFFER_TOO_SMALL 0xC0000023u
#define WEXSIM_STATUS_DEVICE_NOT_READY 0xC00000A3u
#define WEXSIM_STATUS_NOT_FOUND 0xC0000225u
#define WEXSIM_STATUS_QUOTA_EXCEEDED 0xC0000044u

/* Held calibration record (WexsimState.calib / calibS). */
#define WEXSIM_CALIB_NONE 0u
#define WEXSIM_CALIB_SENT 1u
#define WEXSIM_CALIB_COMMITTED 2u
#define WEXSIM_CALIB_DISCARDED 3u

#pragma pack(push, 1)

typedef struct WexsimTouch {
    uint16_t rawX;
    uint16_t rawY;
    uint16_t device;     /* instance number under the driver's Enum key */
    uint16_t productId;  /* 0x0512 selects the _S codes in the calibration program */
} WexsimTouch;

typedef struct WexsimFail {
    uint32_t code;
    uint32_t fail;  /* nonzero: fail from now on; 0: succeed again */
} WexsimFail;

/* One log entry in a page: this header, then inputSize bytes, then zero
   padding up to the next multiple of 8. */
typedef struct WexsimLogEntry {
    uint32_t code;
    uint32_t status;     /* NTSTATUS the request completed with */
    uint32_t inputSize;  /* bytes that follow (at most WEXSIM_LOG_INPUT_MAX) */
    uint32_t fullInputSize;  /* the request's input length */
    uint64_t timeUs;     /* driver clock, microseconds */
} WexsimLogEntry;

/* Answer of READ_LOG: the entries from sequence number first to next - 1
   that fit into the output buffer. next is where the following page starts;
   when next equals end the page holds the newest entry. Entries older than
   the log keeps are skipped: first is then above the number asked for. */
typedef struct WexsimLogPage {
    uint32_t first;
    uint32_t next;
    uint32_t end;    /* sequence number the next request will get */
    uint32_t count;  /* entries in this page */
    uint32_t lost;   /* entries dropped since the reset because the log was full */
    uint32_t reserved;
} WexsimLogPage;

typedef struct WexsimState {
    uint32_t option;
    uint32_t secondaryButton;
    uint32_t buttonsSwapped;
    uint32_t calibMode;
    uint32_t calib;             /* WEXSIM_CALIB_* of the plain form */
    uint32_t calibS;            /* WEXSIM_CALIB_* of the _S form */
    uint32_t calibSize;         /* bytes of calibRecord held (0: none sent) */
    uint32_t calibSizeS;
    uint8_t calibRecord[WEXSIM_CALIB_MAX_SIZE];
    uint8_t calibRecordS[WEXSIM_CALIB_MAX_SIZE];
    uint32_t bundleSize;        /* 0 or WEXSIM_BUNDLE_SIZE */
    uint8_t bundle[WEXSIM_BUNDLE_SIZE];
    uint32_t touchEventRegistered;
    uint32_t wakeEventRegistered;
    uint32_t rotation;
    uint8_t comm[2];            /* last SET_COMM input */
    uint8_t resolution[2];      /* last SET_RESOLUTION input */
    uint32_t commCount;         /* successful SET_COMM requests */
    uint32_t resolutionCount;   /* successful SET_RESOLUTION requests */
    uint32_t applyCount;        /* successful APPLY_SETTINGS requests */
    uint32_t touchesQueued;     /* touches waiting for READ_TOUCH */
    uint32_t statesQueued;      /* states waiting for GET_TOUCH_STATE */
    uint32_t touchSignals;      /* times the touch event was signalled */
    uint32_t wakeSignals;       /* times the wake event was signalled */
    uint32_t reserved;
    uint64_t nowUs;             /* driver clock when the state was taken */
} WexsimState;

#pragma pack(pop)

#endif
