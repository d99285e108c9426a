/* The control channel of the virtual filter driver (zqvfilter.sys), shared by
 * the driver and its test client. The driver answers the monitor's requests on
 * its filter device (\Device\<DeviceName>, DeviceName from the service key,
 * usbqfrt00001 by default) and is steered through a second device of its own,
 * \Device\ZqVirtualFilter, whose requests never reach the log.
 *
 * Every control request is METHOD_BUFFERED; sizes are checked by the driver. */
#ifndef ZQ_VIRTUAL_FILTER_PROTOCOL_H
#define ZQ_VIRTUAL_FILTER_PROTOCOL_H

#include <stdint.h>

#define ZQVF_SERVICE_NAME L"zqvfilter"
#define ZQVF_FILE_NAME L"zqvfilter.sys"
#define ZQVF_DEFAULT_DEVICE_NAME L"usbqfrt00001"
/* REG_SZ under the service key: the name of the filter device. */
#define ZQVF_DEVICE_NAME_VALUE L"DeviceName"
#define ZQVF_CONTROL_NAME L"ZqVirtualFilter"
#define ZQVF_CONTROL_PATH L"\\\\.\\ZqVirtualFilter"

/* Longest device name taken from the registry, in characters. */
#define ZQVF_MAX_NAME 64
/* Requests kept in the log; later ones are counted as dropped. */
#define ZQVF_MAX_LOG 256
/* Input bytes kept per logged request (InputLength tells the full size). */
#define ZQVF_MAX_STORED_INPUT 4096
/* Fed blocks kept while no read is waiting for them. */
#define ZQVF_MAX_FEEDS 16
#define ZQVF_MAX_FEED 10241

/* CTL_CODE(FILE_DEVICE_UNKNOWN, function, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define ZQVF_CONTROL_CODE(function) ((0x22u << 16) | ((uint32_t)(function) << 2))

/* out: ZQVF_STATE */
#define ZQVF_IOCTL_GET_STATE ZQVF_CONTROL_CODE(0x900)
/* in: uint32_t index; out: ZQVF_ENTRY followed by StoredLength input bytes */
#define ZQVF_IOCTL_GET_ENTRY ZQVF_CONTROL_CODE(0x901)
/* Log and fed blocks cleared, behaviours back to default, every pending
 * request completed with STATUS_CANCELLED. */
#define ZQVF_IOCTL_RESET ZQVF_CONTROL_CODE(0x902)
/* in: uint32_t milliseconds (0: answer at once) */
#define ZQVF_IOCTL_SET_DELAY ZQVF_CONTROL_CODE(0x903)
/* in: uint32_t NTSTATUS to complete requests with (0: success) */
#define ZQVF_IOCTL_SET_FAILURE ZQVF_CONTROL_CODE(0x904)
/* in: ZQVF_READ_MODE */
#define ZQVF_IOCTL_SET_READ ZQVF_CONTROL_CODE(0x905)
/* in: uint32_t, non-zero: pending requests ignore cancellation and end only
 * when their handle is closed */
#define ZQVF_IOCTL_SET_IGNORE_CANCEL ZQVF_CONTROL_CODE(0x906)
/* in: the block; completes the oldest pending read with it, or keeps it for
 * the next read */
#define ZQVF_IOCTL_FEED ZQVF_CONTROL_CODE(0x907)

#define ZQVF_READ_NONE 0u  /* the read code is answered like any request */
#define ZQVF_READ_PEND 1u  /* reads stay pending until a block is fed */
#define ZQVF_READ_EMPTY 2u /* reads complete at once with no data */

#pragma pack(push, 4)
typedef struct ZQVF_STATE {
    uint32_t LogCount;
    uint32_t PendingCount;
    uint32_t DroppedCount;
    uint32_t QueuedFeeds;
} ZQVF_STATE;

typedef struct ZQVF_ENTRY {
    uint32_t Code;
    uint32_t InputLength;
    uint32_t OutputLength;
    uint32_t StoredLength;
} ZQVF_ENTRY;

typedef struct ZQVF_READ_MODE {
    uint32_t Code;
    uint32_t Mode;
} ZQVF_READ_MODE;
#pragma pack(pop)

#endif
