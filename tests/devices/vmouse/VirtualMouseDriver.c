// The virtual mouse: a HID minidriver that the system's HID class driver serves
// like a USB mouse. Each of its two root device nodes is one interface of the
// mouse (MI_00 a plain mouse collection, MI_01 the vendor collection with the
// firmware's feature reports), so the program meets the real HID stack: device
// setup, the HID library, the class driver's length checks, overlapped reads and
// removal. A control device of the same driver (\Device\ZqVirtualMouse) lets
// tests inject input reports, set the firmware state, arm faults and read back
// every transfer; it lives as long as the driver, so its state survives
// unplugging and plugging the nodes.
//
// The class driver takes over our create, close, read, write and I/O-control
// dispatch when we register; the control device needs them too, so thin
// wrappers route the control device to our handlers and everything else to the
// class driver's.

#include "HidMinidriver.h"
#include "VirtualMouseControl.h"

#define VM_POOL_TAG 0x6D76715Au // "Zqvm"
#define VM_VENDOR_ID 0x7A51
#define VM_PRODUCT_ID 0x0C01
#define VM_VERSION 0x0100
#define VM_INTERFACE_COUNT 2
#define VM_MAX_INPUT_LENGTH 8 // report id included
#define VM_INPUT_QUEUE_LENGTH 64
#define VM_LOG_ARENA_BYTES (4u * 1024u * 1024u)
#define VM_MAX_REPORT_ID 255
#define VM_QUERY_CURRENT_PROFILE 0x0043
#define VM_QUERY_PROFILE_CPI_LOW 0x4F
#define VM_REPLY_HEADER_BYTES 8 // report id and the seven header bytes

// MI_00: a five-button mouse with X, Y and wheel, no report ids.
static const UCHAR MouseReportDescriptor[] = {
    0x05, 0x01, // usage page: generic desktop
    0x09, 0x02, // usage: mouse
    0xA1, 0x01, // collection: application
    0x09, 0x01, //   usage: pointer
    0xA1, 0x00, //   collection: physical
    0x05, 0x09, //     usage page: buttons
    0x19, 0x01, //     usage minimum 1
    0x29, 0x05, //     usage maximum 5
    0x15, 0x00, //     logical minimum 0
    0x25, 0x01, //     logical maximum 1
    0x95, 0x05, //     report count 5
    0x75, 0x01, //     report size 1
    0x81, 0x02, //     input: data, variable, absolute
    0x95, 0x01, //     report count 1
    0x75, 0x03, //     report size 3
    0x81, 0x01, //     input: constant (padding)
    0x05, 0x01, //     usage page: generic desktop
    0x09, 0x30, //     usage: X
    0x09, 0x31, //     usage: Y
    0x09, 0x38, //     usage: wheel
    0x15, 0x81, //     logical minimum -127
    0x25, 0x7F, //     logical maximum 127
    0x75, 0x08, //     report size 8
    0x95, 0x03, //     report count 3
    0x81, 0x06, //     input: data, variable, relative
    0xC0,       //   end collection
    0xC0,       // end collection
};

// MI_01: the vendor collection. Input reports 7 (buttons) and 8 (status) of 7
// data bytes; feature reports 2 to 6 of 16, 64, 1024, 2048 and 4096 bytes with
// the id, the carriers of the firmware's commands and queries.
static const UCHAR VendorReportDescriptor[] = {
    0x06, 0xA0, 0xFF, // usage page 0xFFA0
    0x09, 0x01,       // usage 1
    0xA1, 0x01,       // collection: application
    0x15, 0x00,       //   logical minimum 0
    0x26, 0xFF, 0x00, //   logical maximum 255
    0x75, 0x08,       //   report size 8
    0x85, 0x07,       //   report id 7
    0x95, 0x07,       //   report count 7
    0x09, 0x01,       //   usage 1
    0x81, 0x02,       //   input: data, variable, absolute
    0x85, 0x08,       //   report id 8
    0x95, 0x07,       //   report count 7
    0x09, 0x01,       //   usage 1
    0x81, 0x02,       //   input
    0x85, 0x02,       //   report id 2
    0x95, 0x0F,       //   report count 15
    0x09, 0x01,       //   usage 1
    0xB1, 0x02,       //   feature: data, variable, absolute
    0x85, 0x03,       //   report id 3
    0x95, 0x3F,       //   report count 63
    0x09, 0x01,       //   usage 1
    0xB1, 0x02,       //   feature
    0x85, 0x04,       //   report id 4
    0x96, 0xFF, 0x03, //   report count 1023
    0x09, 0x01,       //   usage 1
    0xB1, 0x02,       //   feature
    0x85, 0x05,       //   report id 5
    0x96, 0xFF, 0x07, //   report count 2047
    0x09, 0x01,       //   usage 1
    0xB1, 0x02,       //   feature
    0x85, 0x06,       //   report id 6
    0x96, 0xFF, 0x0F, //   report count 4095
    0x09, 0x01,       //   usage 1
    0xB1, 0x02,       //   feature
    0xC0,             // end collection
};

// What the class driver keeps for us in each of its device objects.
typedef struct VM_DEVICE {
    ULONG Interface;
} VM_DEVICE;

typedef struct VM_INPUT_REPORT {
    UCHAR Bytes[VM_MAX_INPUT_LENGTH];
} VM_INPUT_REPORT;

// One interface of the mouse, whichever device node currently carries it.
typedef struct VM_INTERFACE {
    BOOLEAN Started;
    BOOLEAN Removed;
    PIRP PendingRead; // the class driver keeps one read pending at a time
    ULONG QueueHead;
    ULONG QueueCount;
    VM_INPUT_REPORT Queue[VM_INPUT_QUEUE_LENGTH];
} VM_INTERFACE;

typedef struct VM_FAULT_SETTING {
    UCHAR Fault;
    ULONG StallMs;
} VM_FAULT_SETTING;

// A feature transfer held back by a stall fault, released by its own thread.
typedef struct VM_STALL {
    LIST_ENTRY Entry;
    KEVENT Release;
    PIRP Irp;
    ULONG Interface;
    UCHAR ReportId;
    ULONG StallMs;
} VM_STALL;

// The firmware: the state that the feature reports read and change.
typedef struct VM_FIRMWARE {
    UCHAR ActiveProfile;
    UCHAR CpiIndex[ZQVM_PROFILE_COUNT];
    UCHAR Mode;
    BOOLEAN QueryArmed;
    UCHAR QueryHeader[7]; // H0..H6 of the last query header set
} VM_FIRMWARE;

static struct {
    KSPIN_LOCK Lock;
    PDEVICE_OBJECT ControlDevice;
    BOOLEAN LinkCreated;
    VM_INTERFACE Interfaces[VM_INTERFACE_COUNT];
    VM_FIRMWARE Firmware;
    VM_FAULT_SETTING Faults[VM_MAX_REPORT_ID + 1]; // [0]: every report id
    LIST_ENTRY Stalls;
    LONG StallThreads;
    ULONG GarbageSeed;
    PUCHAR LogArena;
    ULONG LogUsed;
    ULONG LogCount;
    ULONG LogDropped;
} Vm;

static PDRIVER_DISPATCH ClassCreate, ClassClose, ClassCleanup, ClassDeviceControl, ClassRead,
    ClassWrite;

static ULONG FeatureReportLength(UCHAR reportId) {
    switch (reportId) {
    case 2:
        return 16;
    case 3:
        return 64;
    case 4:
        return 1024;
    case 5:
        return 2048;
    case 6:
        return 4096;
    default:
        return 0;
    }
}

static ULONG InputReportLength(ULONG iface) {
    return iface == ZQVM_INTERFACE_VENDOR ? 8 : 5;
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

// ---- transfer log -------------------------------------------------------------

static void LogTransfer(UCHAR kind, UCHAR reportId, ULONG iface, NTSTATUS status, ULONG length,
                        const UCHAR* request, ULONG requestBytes, const UCHAR* answer,
                        ULONG answerBytes) {
    ZQVM_LOG_RECORD record;
    ULONG size = sizeof(record) + requestBytes + answerBytes;
    KIRQL irql;

    record.Kind = kind;
    record.ReportId = reportId;
    record.Interface = (uint8_t)iface;
    record.Reserved = 0;
    record.Status = (uint32_t)status;
    record.Length = length;
    record.RequestBytes = requestBytes;
    record.AnswerBytes = answerBytes;

    KeAcquireSpinLock(&Vm.Lock, &irql);
    if (!Vm.LogArena || size > VM_LOG_ARENA_BYTES - Vm.LogUsed) {
        ++Vm.LogDropped;
    } else {
        PUCHAR at = Vm.LogArena + Vm.LogUsed;
        RtlCopyMemory(at, &record, sizeof(record));
        if (requestBytes)
            RtlCopyMemory(at + sizeof(record), request, requestBytes);
        if (answerBytes)
            RtlCopyMemory(at + sizeof(record) + requestBytes, answer, answerBytes);
        Vm.LogUsed += size;
        ++Vm.LogCount;
    }
    KeReleaseSpinLock(&Vm.Lock, irql);
}

// ---- firmware -------------------------------------------------------------------

// A set feature request on report 2 carries either a mode command (06 mode) or a
// query header (03 code-lo code-hi len-lo len-hi FA FA) that the next get answers.
static void FirmwareSet(const VM_HID_XFER_PACKET* packet) {
    const UCHAR* b = packet->reportBuffer;
    ULONG n = packet->reportBufferLen;
    KIRQL irql;

    if (packet->reportId != 2 || n < 2)
        return;
    KeAcquireSpinLock(&Vm.Lock, &irql);
    if (b[1] == 0x06 && n >= 3) {
        Vm.Firmware.Mode = b[2];
    } else if (b[1] == 0x03 && n >= 8 && b[6] == 0xFA && b[7] == 0xFA) {
        RtlCopyMemory(Vm.Firmware.QueryHeader, b + 1, sizeof(Vm.Firmware.QueryHeader));
        Vm.Firmware.QueryArmed = TRUE;
    }
    KeReleaseSpinLock(&Vm.Lock, irql);
}

// Fills the reply to a get feature request: the report id, then (after a query
// header) the header echoed and the reply payload from byte 8 on. Returns the
// number of bytes answered: the report's length, or less for a short fault.
static ULONG FirmwareGet(VM_HID_XFER_PACKET* packet, UCHAR fault) {
    PUCHAR b = packet->reportBuffer;
    ULONG length = FeatureReportLength(packet->reportId);
    KIRQL irql;
    ULONG i;

    if (length > packet->reportBufferLen)
        length = packet->reportBufferLen;
    if (length == 0)
        return 0;
    RtlZeroMemory(b, length);
    b[0] = packet->reportId;

    KeAcquireSpinLock(&Vm.Lock, &irql);
    if (fault == ZQVM_FAULT_GARBAGE) {
        for (i = 1; i < length; ++i) {
            Vm.GarbageSeed = Vm.GarbageSeed * 1103515245u + 12345u;
            b[i] = (UCHAR)(Vm.GarbageSeed >> 16);
        }
    } else if (Vm.Firmware.QueryArmed && length >= VM_REPLY_HEADER_BYTES) {
        USHORT code = (USHORT)(Vm.Firmware.QueryHeader[1] | (Vm.Firmware.QueryHeader[2] << 8));
        UCHAR profile = (UCHAR)(code >> 8);
        RtlCopyMemory(b + 1, Vm.Firmware.QueryHeader, sizeof(Vm.Firmware.QueryHeader));
        if (code == VM_QUERY_CURRENT_PROFILE && length > 8)
            b[8] = Vm.Firmware.ActiveProfile;
        else if ((code & 0xFF) == VM_QUERY_PROFILE_CPI_LOW && profile < ZQVM_PROFILE_COUNT &&
                 length > 9)
            b[9] = Vm.Firmware.CpiIndex[profile];
    }
    Vm.Firmware.QueryArmed = FALSE;
    KeReleaseSpinLock(&Vm.Lock, irql);

    if (fault == ZQVM_FAULT_SHORT && length > VM_REPLY_HEADER_BYTES)
        length = VM_REPLY_HEADER_BYTES;
    return length;
}

// ---- feature transfers ----------------------------------------------------------

static VM_FAULT_SETTING FaultFor(UCHAR reportId) {
    VM_FAULT_SETTING fault;
    KIRQL irql;
    KeAcquireSpinLock(&Vm.Lock, &irql);
    fault = Vm.Faults[reportId];
    if (fault.Fault == ZQVM_FAULT_NONE)
        fault = Vm.Faults[0];
    KeReleaseSpinLock(&Vm.Lock, irql);
    return fault;
}

// Carries out a set or get feature request with the given fault (never a stall)
// and completes it.
static NTSTATUS FinishFeature(PIRP irp, ULONG iface, UCHAR fault) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    VM_HID_XFER_PACKET* packet = (VM_HID_XFER_PACKET*)irp->UserBuffer;
    PUCHAR request = NULL;
    ULONG answered = 0;
    NTSTATUS status = STATUS_SUCCESS;

    if (!packet || !packet->reportBuffer)
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);

    if (code == VM_IOCTL_HID_SET_FEATURE) {
        if (fault == ZQVM_FAULT_FAIL)
            status = STATUS_UNSUCCESSFUL;
        else
            FirmwareSet(packet);
        LogTransfer(ZQVM_KIND_SET_FEATURE, packet->reportId, iface, status, packet->reportBufferLen,
                    packet->reportBuffer, packet->reportBufferLen, NULL, 0);
        return Complete(irp, status, NT_SUCCESS(status) ? packet->reportBufferLen : 0);
    }

    // A get: keep the request as it was handed before the reply overwrites it.
    if (packet->reportBufferLen) {
        request = ExAllocatePoolWithTag(NonPagedPool, packet->reportBufferLen, VM_POOL_TAG);
        if (request)
            RtlCopyMemory(request, packet->reportBuffer, packet->reportBufferLen);
    }
    if (fault == ZQVM_FAULT_FAIL)
        status = STATUS_UNSUCCESSFUL;
    else
        answered = FirmwareGet(packet, fault);
    LogTransfer(ZQVM_KIND_GET_FEATURE, packet->reportId, iface, status, packet->reportBufferLen,
                request, request ? packet->reportBufferLen : 0, packet->reportBuffer, answered);
    if (request)
        ExFreePoolWithTag(request, VM_POOL_TAG);
    return Complete(irp, status, answered);
}

static VOID NTAPI StallThread(PVOID context) {
    VM_STALL* stall = (VM_STALL*)context;
    LARGE_INTEGER timeout;
    BOOLEAN removed;
    KIRQL irql;

    timeout.QuadPart = -(LONGLONG)stall->StallMs * 10000;
    KeWaitForSingleObject(&stall->Release, Executive, KernelMode, FALSE,
                          stall->StallMs ? &timeout : NULL);

    KeAcquireSpinLock(&Vm.Lock, &irql);
    RemoveEntryList(&stall->Entry);
    removed = Vm.Interfaces[stall->Interface].Removed;
    KeReleaseSpinLock(&Vm.Lock, irql);

    if (removed)
        Complete(stall->Irp, STATUS_DELETE_PENDING, 0);
    else
        FinishFeature(stall->Irp, stall->Interface, ZQVM_FAULT_NONE);
    ExFreePoolWithTag(stall, VM_POOL_TAG);
    InterlockedDecrement(&Vm.StallThreads);
    PsTerminateSystemThread(STATUS_SUCCESS);
}

// Releases the stalled transfers of a report id (0: all of them).
static void ReleaseStalls(UCHAR reportId) {
    PLIST_ENTRY entry;
    KIRQL irql;
    KeAcquireSpinLock(&Vm.Lock, &irql);
    for (entry = Vm.Stalls.Flink; entry != &Vm.Stalls; entry = entry->Flink) {
        VM_STALL* stall = CONTAINING_RECORD(entry, VM_STALL, Entry);
        if (reportId == 0 || stall->ReportId == reportId)
            KeSetEvent(&stall->Release, IO_NO_INCREMENT, FALSE);
    }
    KeReleaseSpinLock(&Vm.Lock, irql);
}

static NTSTATUS StartStall(PIRP irp, ULONG iface, UCHAR reportId, ULONG stallMs) {
    VM_STALL* stall = ExAllocatePoolWithTag(NonPagedPool, sizeof(*stall), VM_POOL_TAG);
    HANDLE thread;
    KIRQL irql;

    if (!stall)
        return Complete(irp, STATUS_INSUFFICIENT_RESOURCES, 0);
    KeInitializeEvent(&stall->Release, NotificationEvent, FALSE);
    stall->Irp = irp;
    stall->Interface = iface;
    stall->ReportId = reportId;
    stall->StallMs = stallMs;

    IoMarkIrpPending(irp);
    KeAcquireSpinLock(&Vm.Lock, &irql);
    InsertTailList(&Vm.Stalls, &stall->Entry);
    KeReleaseSpinLock(&Vm.Lock, irql);
    InterlockedIncrement(&Vm.StallThreads);
    if (!NT_SUCCESS(PsCreateSystemThread(&thread, THREAD_ALL_ACCESS, NULL, NULL, NULL, StallThread,
                                         stall))) {
        KeAcquireSpinLock(&Vm.Lock, &irql);
        RemoveEntryList(&stall->Entry);
        KeReleaseSpinLock(&Vm.Lock, irql);
        InterlockedDecrement(&Vm.StallThreads);
        ExFreePoolWithTag(stall, VM_POOL_TAG);
        Complete(irp, STATUS_INSUFFICIENT_RESOURCES, 0);
        return STATUS_PENDING;
    }
    ZwClose(thread);
    return STATUS_PENDING;
}

static NTSTATUS FeatureRequest(PIRP irp, ULONG iface) {
    VM_HID_XFER_PACKET* packet = (VM_HID_XFER_PACKET*)irp->UserBuffer;
    VM_FAULT_SETTING fault;

    if (!packet)
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    fault = FaultFor(packet->reportId);
    if (fault.Fault == ZQVM_FAULT_STALL)
        return StartStall(irp, iface, packet->reportId, fault.StallMs);
    return FinishFeature(irp, iface, fault.Fault);
}

// ---- input reports -------------------------------------------------------------

// Hands one report to the class driver's pending read. The lock is held; the
// read is returned for completion outside it.
static PIRP DeliverInput(VM_INTERFACE* vmi, ULONG iface, const UCHAR* report) {
    PIRP irp = vmi->PendingRead;
    PIO_STACK_LOCATION stack;
    ULONG length = InputReportLength(iface);
    ULONG skip = iface == ZQVM_INTERFACE_MOUSE ? 1 : 0; // no report ids on MI_00

    if (!irp)
        return NULL;
    vmi->PendingRead = NULL;
    stack = IoGetCurrentIrpStackLocation(irp);
    length -= skip;
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < length) {
        irp->IoStatus.Status = STATUS_BUFFER_TOO_SMALL;
        irp->IoStatus.Information = 0;
    } else {
        RtlCopyMemory(irp->UserBuffer, report + skip, length);
        irp->IoStatus.Status = STATUS_SUCCESS;
        irp->IoStatus.Information = length;
    }
    return irp;
}

static NTSTATUS ReadReport(PIRP irp, ULONG iface) {
    VM_INTERFACE* vmi = &Vm.Interfaces[iface];
    PIRP done = NULL;
    NTSTATUS status = STATUS_PENDING;
    KIRQL irql;

    KeAcquireSpinLock(&Vm.Lock, &irql);
    if (vmi->Removed) {
        status = STATUS_DELETE_PENDING;
    } else if (vmi->PendingRead) {
        status = STATUS_DEVICE_BUSY;
    } else {
        IoMarkIrpPending(irp);
        vmi->PendingRead = irp;
        if (vmi->QueueCount) {
            done = DeliverInput(vmi, iface, vmi->Queue[vmi->QueueHead].Bytes);
            vmi->QueueHead = (vmi->QueueHead + 1) % VM_INPUT_QUEUE_LENGTH;
            --vmi->QueueCount;
        }
    }
    KeReleaseSpinLock(&Vm.Lock, irql);

    if (status != STATUS_PENDING)
        return Complete(irp, status, 0);
    if (done)
        IoCompleteRequest(done, IO_NO_INCREMENT);
    return STATUS_PENDING;
}

static NTSTATUS InjectInput(ULONG iface, const UCHAR* report, ULONG length) {
    VM_INTERFACE* vmi;
    UCHAR padded[VM_MAX_INPUT_LENGTH] = {0};
    PIRP done = NULL;
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql;

    if (iface >= VM_INTERFACE_COUNT || length == 0 || length > InputReportLength(iface))
        return STATUS_INVALID_PARAMETER;
    RtlCopyMemory(padded, report, length);
    vmi = &Vm.Interfaces[iface];

    KeAcquireSpinLock(&Vm.Lock, &irql);
    if (!vmi->Started || vmi->Removed) {
        status = STATUS_DEVICE_NOT_READY;
    } else if (vmi->PendingRead) {
        done = DeliverInput(vmi, iface, padded);
    } else if (vmi->QueueCount == VM_INPUT_QUEUE_LENGTH) {
        status = STATUS_DEVICE_BUSY;
    } else {
        ULONG tail = (vmi->QueueHead + vmi->QueueCount) % VM_INPUT_QUEUE_LENGTH;
        RtlCopyMemory(vmi->Queue[tail].Bytes, padded, sizeof(padded));
        ++vmi->QueueCount;
    }
    KeReleaseSpinLock(&Vm.Lock, irql);

    if (done)
        IoCompleteRequest(done, IO_NO_INCREMENT);
    return status;
}

// ---- requests of the class driver -----------------------------------------------

static NTSTATUS CopyOut(PIRP irp, const void* data, ULONG size) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < size || !irp->UserBuffer)
        return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
    RtlCopyMemory(irp->UserBuffer, data, size);
    return Complete(irp, STATUS_SUCCESS, size);
}

static NTSTATUS GetString(PIRP irp, ULONG iface) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG id = (ULONG)(ULONG_PTR)stack->Parameters.DeviceIoControl.Type3InputBuffer & 0xFFFF;
    const WCHAR* text;
    ULONG size;

    switch (id) {
    case 1:  // the class driver's own numbering
    case 14: // the system's HID_STRING_ID_IMANUFACTURER
        text = L"ZQ";
        break;
    case 2:
    case 15:
        text = iface == ZQVM_INTERFACE_VENDOR ? L"ZQ virtual mouse (vendor)" : L"ZQ virtual mouse";
        break;
    case 3:
    case 16:
        text = L"0000";
        break;
    default:
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    size = (ULONG)(wcslen(text) + 1) * sizeof(WCHAR);
    return CopyOut(irp, text, size);
}

static NTSTATUS NTAPI InternalDeviceControl(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    VM_HID_DEVICE_EXTENSION* ext = (VM_HID_DEVICE_EXTENSION*)device->DeviceExtension;
    ULONG iface = ((VM_DEVICE*)ext->MiniDeviceExtension)->Interface;
    const UCHAR* descriptor =
        iface == ZQVM_INTERFACE_VENDOR ? VendorReportDescriptor : MouseReportDescriptor;
    ULONG descriptorSize = iface == ZQVM_INTERFACE_VENDOR ? sizeof(VendorReportDescriptor)
                                                          : sizeof(MouseReportDescriptor);

    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case VM_IOCTL_HID_GET_DEVICE_DESCRIPTOR: {
        VM_HID_DESCRIPTOR desc = {
            sizeof(VM_HID_DESCRIPTOR),     VM_HID_HID_DESCRIPTOR_TYPE, 0x0111, 0, 1,
            VM_HID_REPORT_DESCRIPTOR_TYPE, (USHORT)descriptorSize};
        return CopyOut(irp, &desc, sizeof(desc));
    }
    case VM_IOCTL_HID_GET_REPORT_DESCRIPTOR:
        return CopyOut(irp, descriptor, descriptorSize);
    case VM_IOCTL_HID_GET_DEVICE_ATTRIBUTES: {
        VM_HID_DEVICE_ATTRIBUTES attributes;
        RtlZeroMemory(&attributes, sizeof(attributes));
        attributes.Size = sizeof(attributes);
        attributes.VendorID = VM_VENDOR_ID;
        attributes.ProductID = VM_PRODUCT_ID;
        attributes.VersionNumber = VM_VERSION;
        return CopyOut(irp, &attributes, sizeof(attributes));
    }
    case VM_IOCTL_HID_GET_STRING:
        return GetString(irp, iface);
    case VM_IOCTL_HID_READ_REPORT:
        return ReadReport(irp, iface);
    case VM_IOCTL_HID_GET_FEATURE:
    case VM_IOCTL_HID_SET_FEATURE:
        if (iface != ZQVM_INTERFACE_VENDOR)
            return Complete(irp, STATUS_INVALID_PARAMETER, 0);
        return FeatureRequest(irp, iface);
    case VM_IOCTL_HID_WRITE_REPORT:
    case VM_IOCTL_HID_SET_OUTPUT_REPORT: {
        // Neither collection has output reports; the class driver refuses writes
        // before they come here. Should one arrive, it is recorded and refused.
        VM_HID_XFER_PACKET* packet = (VM_HID_XFER_PACKET*)irp->UserBuffer;
        if (packet && packet->reportBuffer)
            LogTransfer(ZQVM_KIND_WRITE, packet->reportId, iface, STATUS_NOT_SUPPORTED,
                        packet->reportBufferLen, packet->reportBuffer, packet->reportBufferLen,
                        NULL, 0);
        return Complete(irp, STATUS_NOT_SUPPORTED, 0);
    }
    default:
        return Complete(irp, STATUS_NOT_SUPPORTED, 0);
    }
}

// Ends whatever the class driver still waits for on a node that goes away.
static void Unplugged(ULONG iface) {
    VM_INTERFACE* vmi = &Vm.Interfaces[iface];
    PIRP read;
    KIRQL irql;

    KeAcquireSpinLock(&Vm.Lock, &irql);
    vmi->Removed = TRUE;
    vmi->Started = FALSE;
    vmi->QueueCount = 0;
    read = vmi->PendingRead;
    vmi->PendingRead = NULL;
    KeReleaseSpinLock(&Vm.Lock, irql);
    if (read)
        Complete(read, STATUS_DELETE_PENDING, 0);
    ReleaseStalls(0);
}

static NTSTATUS NTAPI Pnp(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    VM_HID_DEVICE_EXTENSION* ext = (VM_HID_DEVICE_EXTENSION*)device->DeviceExtension;
    ULONG iface = ((VM_DEVICE*)ext->MiniDeviceExtension)->Interface;
    KIRQL irql;

    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
        KeAcquireSpinLock(&Vm.Lock, &irql);
        Vm.Interfaces[iface].Removed = FALSE;
        Vm.Interfaces[iface].Started = TRUE;
        Vm.Interfaces[iface].QueueCount = 0;
        KeReleaseSpinLock(&Vm.Lock, irql);
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_SURPRISE_REMOVAL:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_REMOVE_DEVICE:
        Unplugged(iface);
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_CANCEL_REMOVE_DEVICE:
        KeAcquireSpinLock(&Vm.Lock, &irql);
        Vm.Interfaces[iface].Removed = FALSE;
        Vm.Interfaces[iface].Started = TRUE;
        KeReleaseSpinLock(&Vm.Lock, irql);
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_STOP_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(ext->NextDeviceObject, irp);
}

static NTSTATUS NTAPI Power(PDEVICE_OBJECT device, PIRP irp) {
    VM_HID_DEVICE_EXTENSION* ext = (VM_HID_DEVICE_EXTENSION*)device->DeviceExtension;
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(ext->NextDeviceObject, irp);
}

// The root node's hardware identifier names the interface it carries.
static ULONG InterfaceOfNode(PDEVICE_OBJECT pdo) {
    WCHAR ids[512];
    ULONG size = 0;
    RtlZeroMemory(ids, sizeof(ids));
    if (NT_SUCCESS(IoGetDeviceProperty(pdo, DevicePropertyHardwareID, sizeof(ids) - sizeof(WCHAR),
                                       ids, &size)) &&
        wcsstr(ids, L"MI_00"))
        return ZQVM_INTERFACE_MOUSE;
    return ZQVM_INTERFACE_VENDOR;
}

static NTSTATUS NTAPI AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT fdo) {
    VM_HID_DEVICE_EXTENSION* ext = (VM_HID_DEVICE_EXTENSION*)fdo->DeviceExtension;
    VM_DEVICE* device = (VM_DEVICE*)ext->MiniDeviceExtension;
    (void)driver;
    device->Interface = InterfaceOfNode(ext->PhysicalDeviceObject);
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

// ---- the control device -----------------------------------------------------------

static NTSTATUS ReadLog(PIRP irp, ULONG outputLength) {
    ZQVM_LOG_HEADER header;
    PUCHAR out = (PUCHAR)irp->AssociatedIrp.SystemBuffer;
    ULONG_PTR information;
    KIRQL irql;

    if (outputLength < sizeof(header))
        return STATUS_BUFFER_TOO_SMALL;
    KeAcquireSpinLock(&Vm.Lock, &irql);
    header.Count = Vm.LogCount;
    header.Dropped = Vm.LogDropped;
    header.Bytes = sizeof(header) + Vm.LogUsed;
    if (outputLength >= header.Bytes) {
        RtlCopyMemory(out + sizeof(header), Vm.LogArena, Vm.LogUsed);
        information = header.Bytes;
    } else {
        information = sizeof(header);
    }
    KeReleaseSpinLock(&Vm.Lock, irql);
    RtlCopyMemory(out, &header, sizeof(header));
    irp->IoStatus.Information = information;
    return STATUS_SUCCESS;
}

static void ResetFirmware(void) {
    ULONG i;
    KIRQL irql;
    KeAcquireSpinLock(&Vm.Lock, &irql);
    RtlZeroMemory(&Vm.Firmware, sizeof(Vm.Firmware));
    RtlZeroMemory(Vm.Faults, sizeof(Vm.Faults));
    for (i = 0; i < VM_INTERFACE_COUNT; ++i)
        Vm.Interfaces[i].QueueCount = 0;
    KeReleaseSpinLock(&Vm.Lock, irql);
    ReleaseStalls(0);
}

static NTSTATUS ControlRequest(PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    PUCHAR buffer = (PUCHAR)irp->AssociatedIrp.SystemBuffer;
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql;

    irp->IoStatus.Information = 0;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case ZQVM_IOCTL_INPUT:
        if (inLength < sizeof(ZQVM_INPUT_HEADER) + 1)
            status = STATUS_INVALID_PARAMETER;
        else
            status = InjectInput(buffer[0], buffer + 1, inLength - 1);
        break;
    case ZQVM_IOCTL_SET_PROFILE:
        if (inLength < 1 || buffer[0] >= ZQVM_PROFILE_COUNT) {
            status = STATUS_INVALID_PARAMETER;
            break;
        }
        KeAcquireSpinLock(&Vm.Lock, &irql);
        Vm.Firmware.ActiveProfile = buffer[0];
        KeReleaseSpinLock(&Vm.Lock, irql);
        break;
    case ZQVM_IOCTL_SET_CPI:
        if (inLength < 2 || buffer[0] >= ZQVM_PROFILE_COUNT) {
            status = STATUS_INVALID_PARAMETER;
            break;
        }
        KeAcquireSpinLock(&Vm.Lock, &irql);
        Vm.Firmware.CpiIndex[buffer[0]] = buffer[1];
        KeReleaseSpinLock(&Vm.Lock, irql);
        break;
    case ZQVM_IOCTL_GET_STATE: {
        ZQVM_STATE state;
        PLIST_ENTRY entry;
        ULONG i;
        if (outLength < sizeof(state)) {
            status = STATUS_BUFFER_TOO_SMALL;
            break;
        }
        KeAcquireSpinLock(&Vm.Lock, &irql);
        state.ActiveProfile = Vm.Firmware.ActiveProfile;
        RtlCopyMemory(state.CpiIndex, Vm.Firmware.CpiIndex, sizeof(state.CpiIndex));
        state.Mode = Vm.Firmware.Mode;
        state.Started = 0;
        state.Stalled = 0;
        for (entry = Vm.Stalls.Flink; entry != &Vm.Stalls && state.Stalled < 255;
             entry = entry->Flink)
            ++state.Stalled;
        for (i = 0; i < VM_INTERFACE_COUNT; ++i)
            if (Vm.Interfaces[i].Started)
                state.Started |= (uint8_t)(1u << i);
        KeReleaseSpinLock(&Vm.Lock, irql);
        RtlCopyMemory(buffer, &state, sizeof(state));
        irp->IoStatus.Information = sizeof(state);
        break;
    }
    case ZQVM_IOCTL_SET_FAULT: {
        ZQVM_FAULT fault;
        if (inLength < sizeof(fault)) {
            status = STATUS_INVALID_PARAMETER;
            break;
        }
        RtlCopyMemory(&fault, buffer, sizeof(fault));
        if (fault.Fault > ZQVM_FAULT_GARBAGE) {
            status = STATUS_INVALID_PARAMETER;
            break;
        }
        KeAcquireSpinLock(&Vm.Lock, &irql);
        if (fault.ReportId == 0 && fault.Fault == ZQVM_FAULT_NONE)
            RtlZeroMemory(Vm.Faults, sizeof(Vm.Faults));
        Vm.Faults[fault.ReportId].Fault = fault.Fault;
        Vm.Faults[fault.ReportId].StallMs = fault.StallMs;
        KeReleaseSpinLock(&Vm.Lock, irql);
        if (fault.Fault == ZQVM_FAULT_NONE)
            ReleaseStalls(fault.ReportId);
        break;
    }
    case ZQVM_IOCTL_GET_LOG:
        status = ReadLog(irp, outLength);
        break;
    case ZQVM_IOCTL_CLEAR_LOG:
        KeAcquireSpinLock(&Vm.Lock, &irql);
        Vm.LogUsed = 0;
        Vm.LogCount = 0;
        Vm.LogDropped = 0;
        KeReleaseSpinLock(&Vm.Lock, irql);
        break;
    case ZQVM_IOCTL_RESET:
        ResetFirmware();
        break;
    default:
        status = STATUS_INVALID_DEVICE_REQUEST;
        break;
    }
    irp->IoStatus.Status = status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

// The dispatch wrappers: the control device is ours, every other device object
// belongs to the class driver.
static NTSTATUS NTAPI DispatchCreateClose(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (device == Vm.ControlDevice)
        return Complete(irp, STATUS_SUCCESS, 0);
    switch (stack->MajorFunction) {
    case IRP_MJ_CREATE:
        return ClassCreate(device, irp);
    case IRP_MJ_CLOSE:
        return ClassClose(device, irp);
    default:
        return ClassCleanup(device, irp);
    }
}

static NTSTATUS NTAPI DispatchDeviceControl(PDEVICE_OBJECT device, PIRP irp) {
    if (device == Vm.ControlDevice)
        return ControlRequest(irp);
    return ClassDeviceControl(device, irp);
}

static NTSTATUS NTAPI DispatchReadWrite(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (device == Vm.ControlDevice)
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    return stack->MajorFunction == IRP_MJ_READ ? ClassRead(device, irp) : ClassWrite(device, irp);
}

static VOID NTAPI Unload(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    int waits;
    (void)driver;

    ReleaseStalls(0);
    for (waits = 0; Vm.StallThreads > 0 && waits < 500; ++waits) {
        LARGE_INTEGER delay;
        delay.QuadPart = -10 * 1000 * 10; // 10 ms
        KeDelayExecutionThread(KernelMode, FALSE, &delay);
    }
    if (Vm.LinkCreated) {
        RtlInitUnicodeString(&link, ZQVM_CONTROL_LINK_NAME);
        IoDeleteSymbolicLink(&link);
    }
    if (Vm.ControlDevice)
        IoDeleteDevice(Vm.ControlDevice);
    if (Vm.LogArena)
        ExFreePoolWithTag(Vm.LogArena, VM_POOL_TAG);
    Vm.ControlDevice = NULL;
    Vm.LogArena = NULL;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    VM_HID_MINIDRIVER_REGISTRATION registration;
    UNICODE_STRING name, link;
    NTSTATUS status;

    KeInitializeSpinLock(&Vm.Lock);
    InitializeListHead(&Vm.Stalls);
    Vm.GarbageSeed = 0x5E71;
    Vm.LogArena = ExAllocatePoolWithTag(NonPagedPool, VM_LOG_ARENA_BYTES, VM_POOL_TAG);

    driver->MajorFunction[IRP_MJ_PNP] = Pnp;
    driver->MajorFunction[IRP_MJ_POWER] = Power;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = InternalDeviceControl;
    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = Unload;

    RtlZeroMemory(&registration, sizeof(registration));
    registration.Revision = VM_HID_REVISION;
    registration.DriverObject = driver;
    registration.RegistryPath = registryPath;
    registration.DeviceExtensionSize = sizeof(VM_DEVICE);
    registration.DevicesArePolled = FALSE;
    status = HidRegisterMinidriver(&registration);
    if (!NT_SUCCESS(status))
        return status;

    ClassCreate = driver->MajorFunction[IRP_MJ_CREATE];
    ClassClose = driver->MajorFunction[IRP_MJ_CLOSE];
    ClassCleanup = driver->MajorFunction[IRP_MJ_CLEANUP];
    ClassDeviceControl = driver->MajorFunction[IRP_MJ_DEVICE_CONTROL];
    ClassRead = driver->MajorFunction[IRP_MJ_READ];
    ClassWrite = driver->MajorFunction[IRP_MJ_WRITE];
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchDeviceControl;
    driver->MajorFunction[IRP_MJ_READ] = DispatchReadWrite;
    driver->MajorFunction[IRP_MJ_WRITE] = DispatchReadWrite;

    // Without the control device the mouse still works; the tests then say the
    // channel is missing.
    RtlInitUnicodeString(&name, ZQVM_CONTROL_DEVICE_NAME);
    if (NT_SUCCESS(
            IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &Vm.ControlDevice))) {
        RtlInitUnicodeString(&link, ZQVM_CONTROL_LINK_NAME);
        Vm.LinkCreated = NT_SUCCESS(IoCreateSymbolicLink(&link, &name));
        Vm.ControlDevice->Flags &= ~DO_DEVICE_INITIALIZING;
    }
    return STATUS_SUCCESS;
}
