#pragma once
// The control channel of the virtual mouse driver: a control device beside the
// two HID device nodes, through which tests inject input reports, set the
// firmware state, arm faults and read back every transfer the mouse received.
// Shared by the driver (C) and its client (C++); plain fixed-layout records.
//
// All requests are buffered I/O-control requests on \\.\ZqVirtualMouse.

#include <stdint.h>

#define ZQVM_CONTROL_DEVICE_NAME L"\\Device\\ZqVirtualMouse"
#define ZQVM_CONTROL_LINK_NAME L"\\DosDevices\\ZqVirtualMouse"
#define ZQVM_CONTROL_PATH L"\\\\.\\ZqVirtualMouse"

// FILE_DEVICE_UNKNOWN, function 0x800 + n, METHOD_BUFFERED, FILE_ANY_ACCESS.
#define ZQVM_CONTROL_CODE(n) ((0x22u << 16) | ((0x800u + (n)) << 2))

// In: ZQVM_INPUT_HEADER followed by the report, report id first. The report is
// padded with zeros to the interface's input report length. Fails with a busy
// status when the interface is not started or its queue of unread reports is full.
#define ZQVM_IOCTL_INPUT ZQVM_CONTROL_CODE(1)
// In: one byte, the active profile (0 to 4).
#define ZQVM_IOCTL_SET_PROFILE ZQVM_CONTROL_CODE(2)
// In: two bytes, profile (0 to 4) and its CPI index.
#define ZQVM_IOCTL_SET_CPI ZQVM_CONTROL_CODE(3)
// Out: ZQVM_STATE.
#define ZQVM_IOCTL_GET_STATE ZQVM_CONTROL_CODE(4)
// In: ZQVM_FAULT. Setting ZQVM_FAULT_NONE releases the transfers stalled under that id
// (id 0: every id and every stalled transfer).
#define ZQVM_IOCTL_SET_FAULT ZQVM_CONTROL_CODE(5)
// Out: ZQVM_LOG_HEADER and the records. When the buffer is too small only the header
// is returned; its Bytes tells the size needed.
#define ZQVM_IOCTL_GET_LOG ZQVM_CONTROL_CODE(6)
// Empties the transfer log.
#define ZQVM_IOCTL_CLEAR_LOG ZQVM_CONTROL_CODE(7)
// Back to the power-on state: no faults (stalled transfers released), profile 0,
// every CPI index 0, mode 0, no query armed, unread input reports dropped.
#define ZQVM_IOCTL_RESET ZQVM_CONTROL_CODE(8)

#define ZQVM_INTERFACE_MOUSE 0  // MI_00: the plain mouse collection
#define ZQVM_INTERFACE_VENDOR 1 // MI_01: the vendor collection
#define ZQVM_PROFILE_COUNT 5

enum {
    ZQVM_FAULT_NONE = 0,
    ZQVM_FAULT_FAIL = 1,    // the transfer completes with an error status
    ZQVM_FAULT_STALL = 2,   // held StallMs milliseconds (0: until the fault is cleared)
    ZQVM_FAULT_SHORT = 3,   // get feature answers only 8 bytes: report id and header
    ZQVM_FAULT_GARBAGE = 4, // get feature answers the report id and pseudo-random bytes
};

enum {
    ZQVM_KIND_SET_FEATURE = 0,
    ZQVM_KIND_GET_FEATURE = 1,
    ZQVM_KIND_WRITE = 2,
};

#pragma pack(push, 1)
typedef struct ZQVM_INPUT_HEADER {
    uint8_t Interface; // ZQVM_INTERFACE_*
} ZQVM_INPUT_HEADER;

typedef struct ZQVM_STATE {
    uint8_t ActiveProfile;
    uint8_t CpiIndex[ZQVM_PROFILE_COUNT];
    uint8_t Mode;    // the last mode command received
    uint8_t Started; // bit n: interface n is started
    uint8_t Stalled; // feature transfers held by a stall fault now
} ZQVM_STATE;

typedef struct ZQVM_FAULT {
    uint8_t ReportId; // 0: every report id
    uint8_t Fault;    // ZQVM_FAULT_*
    uint8_t Reserved[2];
    uint32_t StallMs;
} ZQVM_FAULT;

typedef struct ZQVM_LOG_HEADER {
    uint32_t Count;   // records that follow
    uint32_t Dropped; // transfers not recorded because the log was full
    uint32_t Bytes;   // the whole log, this header included
} ZQVM_LOG_HEADER;

// Followed by RequestBytes bytes (what was set or written; for a get, the buffer
// as handed to the mouse) and AnswerBytes bytes (for a get, what it answered).
typedef struct ZQVM_LOG_RECORD {
    uint8_t Kind; // ZQVM_KIND_*
    uint8_t ReportId;
    uint8_t Interface;
    uint8_t Reserved;
    uint32_t Status; // the status the transfer completed with
    uint32_t Length; // the report length the class driver handed the mouse
    uint32_t RequestBytes;
    uint32_t AnswerBytes;
} ZQVM_LOG_RECORD;
#pragma pack(pop)
