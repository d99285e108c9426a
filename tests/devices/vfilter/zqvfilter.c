/* The virtual filter driver of the Windows tests: a legacy kernel driver that
 * stands where the mouse's filter driver stands for the monitor. It creates the
 * filter device under the name of its service's "DeviceName" value, records
 * every I/O-control request sent to it and answers as the test asks through
 * its control device (see VirtualFilterProtocol.h): at once with success and
 * no reply bytes by default, later, with a failure, or, for the monitor's read
 * code, only when a block is fed. Pending requests honour cancellation unless
 * told not to, and end at the latest when their handle is closed.
 *
 * Every shared field is guarded by one spin lock; requests are completed only
 * after it is released. Delayed requests are counted down by a worker thread in
 * 10 ms steps: a delay is a lower bound, which is all the tests rely on. */
#include <ntddk.h>

#include "VirtualFilterProtocol.h"

/* Not declared by the driver kit headers of mingw-w64. */
NTSYSAPI NTSTATUS NTAPI ZwWaitForSingleObject(HANDLE handle, BOOLEAN alertable,
                                              PLARGE_INTEGER timeout);

#define ZQVF_TAG 0x6676715Au /* "Zqvf" in a pool dump */
#define TICK_MS 10

/* What a pending request waits for, kept in its DriverContext. */
#define PENDING_DELAYED ((PVOID)1)
#define PENDING_READ ((PVOID)2)

typedef struct FEED {
    ULONG Length;
    UCHAR Bytes[1];
} FEED;

typedef struct LOG_ENTRY {
    ZQVF_ENTRY Header;
    UCHAR Input[1];
} LOG_ENTRY;

static struct {
    KSPIN_LOCK Lock;
    PDEVICE_OBJECT Filter;
    PDEVICE_OBJECT Control;
    WCHAR FilterLinkName[ZQVF_MAX_NAME + 16];
    UNICODE_STRING FilterLink;
    BOOLEAN FilterLinked;
    BOOLEAN ControlLinked;

    LOG_ENTRY* Log[ZQVF_MAX_LOG];
    ULONG LogCount;
    ULONG Dropped;
    LIST_ENTRY Pending; /* oldest first */
    ULONG PendingCount;
    FEED* Feeds[ZQVF_MAX_FEEDS]; /* oldest first */
    ULONG FeedCount;

    ULONG DelayMs;
    NTSTATUS Failure;
    ULONG ReadCode;
    ULONG ReadMode;
    BOOLEAN IgnoreCancel;

    KEVENT Wake;
    HANDLE Worker;
    volatile LONG Stopping;
} g;

static UNICODE_STRING ControlLink = RTL_CONSTANT_STRING(L"\\DosDevices\\" ZQVF_CONTROL_NAME);

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static void CompleteList(PLIST_ENTRY list, NTSTATUS status) {
    while (!IsListEmpty(list)) {
        PIRP irp = CONTAINING_RECORD(RemoveHeadList(list), IRP, Tail.Overlay.ListEntry);
        Complete(irp, status, 0);
    }
}

/* Lock held. False when the cancel routine already owns the request: it takes
 * it out of the list itself. */
static BOOLEAN TakePending(PIRP irp) {
    if (irp->Tail.Overlay.DriverContext[3] && IoSetCancelRoutine(irp, NULL) == NULL)
        return FALSE;
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    g.PendingCount--;
    return TRUE;
}

static void NTAPI CancelPending(PDEVICE_OBJECT device, PIRP irp) {
    KIRQL irql;
    UNREFERENCED_PARAMETER(device);
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&g.Lock, &irql);
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    g.PendingCount--;
    KeReleaseSpinLock(&g.Lock, irql);
    Complete(irp, STATUS_CANCELLED, 0);
}

/* Lock held; the caller returns STATUS_PENDING. */
static void Pend(PIRP irp, PVOID kind, ULONG delayMs, NTSTATUS status) {
    IoMarkIrpPending(irp);
    irp->Tail.Overlay.DriverContext[0] = kind;
    irp->Tail.Overlay.DriverContext[1] = (PVOID)(ULONG_PTR)delayMs;
    irp->Tail.Overlay.DriverContext[2] = (PVOID)(LONG_PTR)status;
    irp->Tail.Overlay.DriverContext[3] = (PVOID)(ULONG_PTR)!g.IgnoreCancel;
    InsertTailList(&g.Pending, &irp->Tail.Overlay.ListEntry);
    g.PendingCount++;
    if (!g.IgnoreCancel)
        IoSetCancelRoutine(irp, CancelPending);
}

/* Lock held: the request was cancelled before its cancel routine was set. */
static BOOLEAN CancelledWhilePending(PIRP irp) {
    return irp->Tail.Overlay.DriverContext[3] && irp->Cancel && TakePending(irp);
}

/* Lock held: every pending request of the file (all of them for NULL) moves
 * to the list. */
static void TakeAll(PFILE_OBJECT file, PLIST_ENTRY taken) {
    PLIST_ENTRY entry = g.Pending.Flink;
    while (entry != &g.Pending) {
        PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        entry = entry->Flink;
        if ((file == NULL || irp->Tail.Overlay.OriginalFileObject == file) && TakePending(irp))
            InsertTailList(taken, &irp->Tail.Overlay.ListEntry);
    }
}

/* Lock held. */
static void ClearLog(void) {
    ULONG i;
    for (i = 0; i < g.LogCount; i++)
        ExFreePoolWithTag(g.Log[i], ZQVF_TAG);
    for (i = 0; i < g.FeedCount; i++)
        ExFreePoolWithTag(g.Feeds[i], ZQVF_TAG);
    g.LogCount = 0;
    g.Dropped = 0;
    g.FeedCount = 0;
}

static void NTAPI WorkerRun(PVOID context) {
    BOOLEAN counting = FALSE;
    UNREFERENCED_PARAMETER(context);
    while (!g.Stopping) {
        LARGE_INTEGER tick;
        LIST_ENTRY due;
        PLIST_ENTRY entry;
        KIRQL irql;
        ULONG elapsed;
        tick.QuadPart = -(LONGLONG)TICK_MS * 10000;
        elapsed = KeWaitForSingleObject(&g.Wake, Executive, KernelMode, FALSE,
                                        counting ? &tick : NULL) == STATUS_TIMEOUT
                      ? TICK_MS
                      : 0;
        InitializeListHead(&due);
        counting = FALSE;
        KeAcquireSpinLock(&g.Lock, &irql);
        entry = g.Pending.Flink;
        while (entry != &g.Pending) {
            PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
            ULONG left = (ULONG)(ULONG_PTR)irp->Tail.Overlay.DriverContext[1];
            entry = entry->Flink;
            if (irp->Tail.Overlay.DriverContext[0] != PENDING_DELAYED)
                continue;
            left = left > elapsed ? left - elapsed : 0;
            irp->Tail.Overlay.DriverContext[1] = (PVOID)(ULONG_PTR)left;
            if (left == 0 && TakePending(irp))
                InsertTailList(&due, &irp->Tail.Overlay.ListEntry);
            else
                counting = TRUE;
        }
        KeReleaseSpinLock(&g.Lock, irql);
        while (!IsListEmpty(&due)) {
            PIRP irp = CONTAINING_RECORD(RemoveHeadList(&due), IRP, Tail.Overlay.ListEntry);
            Complete(irp, (NTSTATUS)(LONG_PTR)irp->Tail.Overlay.DriverContext[2], 0);
        }
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

static LOG_ENTRY* NewLogEntry(ULONG code, const void* input, ULONG inputLength,
                              ULONG outputLength) {
    ULONG stored = inputLength < ZQVF_MAX_STORED_INPUT ? inputLength : ZQVF_MAX_STORED_INPUT;
    LOG_ENTRY* entry;
    if (input == NULL)
        stored = 0;
    entry = ExAllocatePoolWithTag(NonPagedPool, sizeof(LOG_ENTRY) + stored, ZQVF_TAG);
    if (entry == NULL)
        return NULL;
    entry->Header.Code = code;
    entry->Header.InputLength = inputLength;
    entry->Header.OutputLength = outputLength;
    entry->Header.StoredLength = stored;
    if (stored)
        RtlCopyMemory(entry->Input, input, stored);
    return entry;
}

/* A request of the program under test. */
static NTSTATUS FilterControl(PIRP irp, PIO_STACK_LOCATION stack) {
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    const ULONG inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outputLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR* buffer = irp->AssociatedIrp.SystemBuffer;
    LOG_ENTRY* entry = NewLogEntry(code, buffer, inputLength, outputLength);
    FEED* feed = NULL;
    NTSTATUS failure;
    KIRQL irql;

    KeAcquireSpinLock(&g.Lock, &irql);
    if (entry != NULL && g.LogCount < ZQVF_MAX_LOG)
        g.Log[g.LogCount++] = entry;
    else {
        g.Dropped++;
        if (entry != NULL)
            ExFreePoolWithTag(entry, ZQVF_TAG);
    }
    failure = g.Failure;

    if (g.ReadMode == ZQVF_READ_EMPTY && code == g.ReadCode) {
        KeReleaseSpinLock(&g.Lock, irql);
        return Complete(irp, STATUS_SUCCESS, 0);
    }
    if (g.ReadMode == ZQVF_READ_PEND && code == g.ReadCode) {
        if (g.FeedCount == 0) {
            Pend(irp, PENDING_READ, 0, STATUS_SUCCESS);
            if (CancelledWhilePending(irp)) {
                KeReleaseSpinLock(&g.Lock, irql);
                Complete(irp, STATUS_CANCELLED, 0);
                return STATUS_PENDING;
            }
            KeReleaseSpinLock(&g.Lock, irql);
            return STATUS_PENDING;
        }
        feed = g.Feeds[0];
        RtlMoveMemory(&g.Feeds[0], &g.Feeds[1], (g.FeedCount - 1) * sizeof(FEED*));
        g.FeedCount--;
        KeReleaseSpinLock(&g.Lock, irql);
        {
            ULONG length = feed->Length < outputLength ? feed->Length : outputLength;
            if (length)
                RtlCopyMemory(buffer, feed->Bytes, length);
            ExFreePoolWithTag(feed, ZQVF_TAG);
            return Complete(irp, STATUS_SUCCESS, length);
        }
    }
    if (g.DelayMs != 0) {
        Pend(irp, PENDING_DELAYED, g.DelayMs, failure);
        if (CancelledWhilePending(irp)) {
            KeReleaseSpinLock(&g.Lock, irql);
            Complete(irp, STATUS_CANCELLED, 0);
            return STATUS_PENDING;
        }
        KeReleaseSpinLock(&g.Lock, irql);
        KeSetEvent(&g.Wake, IO_NO_INCREMENT, FALSE);
        return STATUS_PENDING;
    }
    KeReleaseSpinLock(&g.Lock, irql);
    return Complete(irp, failure, 0);
}

/* Completes the oldest pending read with the block, or keeps the block. */
static NTSTATUS Feed(const UCHAR* bytes, ULONG length) {
    PIRP read = NULL;
    PLIST_ENTRY entry;
    FEED* feed;
    KIRQL irql;

    if (length > ZQVF_MAX_FEED || (length != 0 && bytes == NULL))
        return STATUS_INVALID_PARAMETER;
    feed = ExAllocatePoolWithTag(NonPagedPool, sizeof(FEED) + length, ZQVF_TAG);
    if (feed == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    feed->Length = length;
    if (length)
        RtlCopyMemory(feed->Bytes, bytes, length);

    KeAcquireSpinLock(&g.Lock, &irql);
    for (entry = g.Pending.Flink; entry != &g.Pending; entry = entry->Flink) {
        PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        if (irp->Tail.Overlay.DriverContext[0] == PENDING_READ && TakePending(irp)) {
            read = irp;
            break;
        }
    }
    if (read == NULL) {
        NTSTATUS status = STATUS_SUCCESS;
        if (g.FeedCount < ZQVF_MAX_FEEDS) {
            g.Feeds[g.FeedCount++] = feed;
            feed = NULL;
        } else
            status = STATUS_INSUFFICIENT_RESOURCES;
        KeReleaseSpinLock(&g.Lock, irql);
        if (feed != NULL)
            ExFreePoolWithTag(feed, ZQVF_TAG);
        return status;
    }
    KeReleaseSpinLock(&g.Lock, irql);
    {
        PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(read);
        ULONG room = stack->Parameters.DeviceIoControl.OutputBufferLength;
        ULONG copied = length < room ? length : room;
        if (copied)
            RtlCopyMemory(read->AssociatedIrp.SystemBuffer, feed->Bytes, copied);
        ExFreePoolWithTag(feed, ZQVF_TAG);
        Complete(read, STATUS_SUCCESS, copied);
    }
    return STATUS_SUCCESS;
}

static ULONG ReadInput(PIRP irp, PIO_STACK_LOCATION stack, ULONG* value) {
    if (stack->Parameters.DeviceIoControl.InputBufferLength < sizeof(ULONG))
        return FALSE;
    *value = *(const ULONG*)irp->AssociatedIrp.SystemBuffer;
    return TRUE;
}

/* A request of the test on the control device. */
static NTSTATUS ControlRequest(PIRP irp, PIO_STACK_LOCATION stack) {
    const ULONG inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outputLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    void* buffer = irp->AssociatedIrp.SystemBuffer;
    ULONG value = 0;
    KIRQL irql;

    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case ZQVF_IOCTL_GET_STATE: {
        ZQVF_STATE* state = buffer;
        if (outputLength < sizeof(ZQVF_STATE))
            return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        KeAcquireSpinLock(&g.Lock, &irql);
        state->LogCount = g.LogCount;
        state->PendingCount = g.PendingCount;
        state->DroppedCount = g.Dropped;
        state->QueuedFeeds = g.FeedCount;
        KeReleaseSpinLock(&g.Lock, irql);
        return Complete(irp, STATUS_SUCCESS, sizeof(ZQVF_STATE));
    }
    case ZQVF_IOCTL_GET_ENTRY: {
        ULONG size;
        if (!ReadInput(irp, stack, &value))
            return Complete(irp, STATUS_INVALID_PARAMETER, 0);
        KeAcquireSpinLock(&g.Lock, &irql);
        if (value >= g.LogCount) {
            KeReleaseSpinLock(&g.Lock, irql);
            return Complete(irp, STATUS_NO_MORE_ENTRIES, 0);
        }
        size = sizeof(ZQVF_ENTRY) + g.Log[value]->Header.StoredLength;
        if (outputLength < size) {
            KeReleaseSpinLock(&g.Lock, irql);
            return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        RtlCopyMemory(buffer, g.Log[value], size);
        KeReleaseSpinLock(&g.Lock, irql);
        return Complete(irp, STATUS_SUCCESS, size);
    }
    case ZQVF_IOCTL_RESET: {
        LIST_ENTRY taken;
        InitializeListHead(&taken);
        KeAcquireSpinLock(&g.Lock, &irql);
        ClearLog();
        g.DelayMs = 0;
        g.Failure = STATUS_SUCCESS;
        g.ReadCode = 0;
        g.ReadMode = ZQVF_READ_NONE;
        g.IgnoreCancel = FALSE;
        TakeAll(NULL, &taken);
        KeReleaseSpinLock(&g.Lock, irql);
        CompleteList(&taken, STATUS_CANCELLED);
        return Complete(irp, STATUS_SUCCESS, 0);
    }
    case ZQVF_IOCTL_SET_DELAY:
    case ZQVF_IOCTL_SET_FAILURE:
    case ZQVF_IOCTL_SET_IGNORE_CANCEL:
        if (!ReadInput(irp, stack, &value))
            return Complete(irp, STATUS_INVALID_PARAMETER, 0);
        KeAcquireSpinLock(&g.Lock, &irql);
        if (stack->Parameters.DeviceIoControl.IoControlCode == ZQVF_IOCTL_SET_DELAY)
            g.DelayMs = value;
        else if (stack->Parameters.DeviceIoControl.IoControlCode == ZQVF_IOCTL_SET_FAILURE)
            g.Failure = (NTSTATUS)value;
        else
            g.IgnoreCancel = value != 0;
        KeReleaseSpinLock(&g.Lock, irql);
        return Complete(irp, STATUS_SUCCESS, 0);
    case ZQVF_IOCTL_SET_READ: {
        const ZQVF_READ_MODE* mode = buffer;
        if (inputLength < sizeof(ZQVF_READ_MODE) || mode->Mode > ZQVF_READ_EMPTY)
            return Complete(irp, STATUS_INVALID_PARAMETER, 0);
        KeAcquireSpinLock(&g.Lock, &irql);
        g.ReadCode = mode->Code;
        g.ReadMode = mode->Mode;
        KeReleaseSpinLock(&g.Lock, irql);
        return Complete(irp, STATUS_SUCCESS, 0);
    }
    case ZQVF_IOCTL_FEED:
        return Complete(irp, Feed(buffer, inputLength), 0);
    default:
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

static NTSTATUS NTAPI Dispatch(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MajorFunction) {
    case IRP_MJ_DEVICE_CONTROL:
        if (device == g.Control)
            return ControlRequest(irp, stack);
        return FilterControl(irp, stack);
    case IRP_MJ_CLEANUP:
    case IRP_MJ_CLOSE:
        /* The handle is gone: nothing may stay pending on it. (Windows sends
         * the cleanup request when the last handle closes; wine only the close.) */
        if (device == g.Filter) {
            LIST_ENTRY taken;
            KIRQL irql;
            InitializeListHead(&taken);
            KeAcquireSpinLock(&g.Lock, &irql);
            TakeAll(stack->FileObject, &taken);
            KeReleaseSpinLock(&g.Lock, irql);
            CompleteList(&taken, STATUS_CANCELLED);
        }
        return Complete(irp, STATUS_SUCCESS, 0);
    case IRP_MJ_CREATE:
        return Complete(irp, STATUS_SUCCESS, 0);
    default:
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

/* The filter device's name: the service's "DeviceName" value when it is a
 * plain name, else the default. */
static void ReadDeviceName(PUNICODE_STRING registryPath, WCHAR* name) {
    static const WCHAR defaultName[] = ZQVF_DEFAULT_DEVICE_NAME;
    union {
        KEY_VALUE_PARTIAL_INFORMATION Info;
        UCHAR Bytes[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + (ZQVF_MAX_NAME + 1) * sizeof(WCHAR)];
    } value;
    OBJECT_ATTRIBUTES attributes;
    UNICODE_STRING valueName;
    HANDLE key;
    ULONG length = 0;

    RtlCopyMemory(name, defaultName, sizeof(defaultName));
    InitializeObjectAttributes(&attributes, registryPath, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               NULL, NULL);
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &attributes)))
        return;
    RtlInitUnicodeString(&valueName, ZQVF_DEVICE_NAME_VALUE);
    if (NT_SUCCESS(ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, &value,
                                   sizeof(value), &length)) &&
        value.Info.Type == REG_SZ) {
        const WCHAR* text = (const WCHAR*)value.Info.Data;
        ULONG count = value.Info.DataLength / sizeof(WCHAR);
        ULONG i;
        BOOLEAN plain = TRUE;
        while (count > 0 && text[count - 1] == 0)
            count--;
        for (i = 0; i < count; i++)
            if (text[i] == 0 || text[i] == L'\\' || text[i] == L'/')
                plain = FALSE;
        if (plain && count > 0 && count <= ZQVF_MAX_NAME) {
            RtlCopyMemory(name, text, count * sizeof(WCHAR));
            name[count] = 0;
        }
    }
    ZwClose(key);
}

static NTSTATUS CreateDevice(PDRIVER_OBJECT driver, const WCHAR* name, PDEVICE_OBJECT* device,
                             PUNICODE_STRING link, BOOLEAN* linked) {
    WCHAR path[ZQVF_MAX_NAME + 16] = L"\\Device\\";
    UNICODE_STRING deviceName;
    NTSTATUS status;
    ULONG used = (ULONG)wcslen(path);

    RtlCopyMemory(path + used, name, (wcslen(name) + 1) * sizeof(WCHAR));
    RtlInitUnicodeString(&deviceName, path);
    status = IoCreateDevice(driver, 0, &deviceName, FILE_DEVICE_UNKNOWN, 0, FALSE, device);
    if (!NT_SUCCESS(status))
        return status;
    status = IoCreateSymbolicLink(link, &deviceName);
    if (!NT_SUCCESS(status))
        return status;
    *linked = TRUE;
    (*device)->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static void NTAPI Unload(PDRIVER_OBJECT driver) {
    LIST_ENTRY taken;
    KIRQL irql;
    UNREFERENCED_PARAMETER(driver);

    if (g.Worker != NULL) {
        InterlockedExchange(&g.Stopping, 1);
        KeSetEvent(&g.Wake, IO_NO_INCREMENT, FALSE);
        ZwWaitForSingleObject(g.Worker, FALSE, NULL);
        ZwClose(g.Worker);
        g.Worker = NULL;
    }
    InitializeListHead(&taken);
    KeAcquireSpinLock(&g.Lock, &irql);
    TakeAll(NULL, &taken);
    ClearLog();
    KeReleaseSpinLock(&g.Lock, irql);
    CompleteList(&taken, STATUS_CANCELLED);

    if (g.FilterLinked)
        IoDeleteSymbolicLink(&g.FilterLink);
    if (g.ControlLinked)
        IoDeleteSymbolicLink(&ControlLink);
    if (g.Filter != NULL)
        IoDeleteDevice(g.Filter);
    if (g.Control != NULL)
        IoDeleteDevice(g.Control);
    g.Filter = g.Control = NULL;
    g.FilterLinked = g.ControlLinked = FALSE;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    static const WCHAR linkPrefix[] = L"\\DosDevices\\";
    WCHAR name[ZQVF_MAX_NAME + 1];
    OBJECT_ATTRIBUTES attributes;
    NTSTATUS status;
    ULONG i;

    KeInitializeSpinLock(&g.Lock);
    InitializeListHead(&g.Pending);
    KeInitializeEvent(&g.Wake, SynchronizationEvent, FALSE);
    for (i = 0; i <= IRP_MJ_MAXIMUM_FUNCTION; i++)
        driver->MajorFunction[i] = Dispatch;
    driver->DriverUnload = Unload;

    ReadDeviceName(registryPath, name);
    RtlCopyMemory(g.FilterLinkName, linkPrefix, sizeof(linkPrefix));
    RtlCopyMemory(g.FilterLinkName + wcslen(linkPrefix), name, (wcslen(name) + 1) * sizeof(WCHAR));
    RtlInitUnicodeString(&g.FilterLink, g.FilterLinkName);

    status = CreateDevice(driver, name, &g.Filter, &g.FilterLink, &g.FilterLinked);
    if (NT_SUCCESS(status))
        status =
            CreateDevice(driver, ZQVF_CONTROL_NAME, &g.Control, &ControlLink, &g.ControlLinked);
    if (NT_SUCCESS(status)) {
        InitializeObjectAttributes(&attributes, NULL, OBJ_KERNEL_HANDLE, NULL, NULL);
        status = PsCreateSystemThread(&g.Worker, THREAD_ALL_ACCESS, &attributes, NULL, NULL,
                                      WorkerRun, NULL);
        if (!NT_SUCCESS(status))
            g.Worker = NULL;
    }
    if (!NT_SUCCESS(status))
        Unload(driver);
    return status;
}
