#pragma once
// What a HID minidriver needs of the HID class driver: the registration call,
// the device extension the class driver gives each of our device objects, and
// the internal requests it sends us. The driver kit headers of the cross
// compiler lack these declarations and give wrong numbers for several requests,
// so the ones this driver uses are declared here with the system's values.

#include <ntddk.h>

#define VM_HID_CTL_CODE(id) CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_NEITHER, FILE_ANY_ACCESS)
#define VM_HID_IN_CTL_CODE(id)                                                                     \
    CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_IN_DIRECT, FILE_ANY_ACCESS)
#define VM_HID_OUT_CTL_CODE(id)                                                                    \
    CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_OUT_DIRECT, FILE_ANY_ACCESS)

#define VM_IOCTL_HID_GET_DEVICE_DESCRIPTOR VM_HID_CTL_CODE(0)
#define VM_IOCTL_HID_GET_REPORT_DESCRIPTOR VM_HID_CTL_CODE(1)
#define VM_IOCTL_HID_READ_REPORT VM_HID_CTL_CODE(2)
#define VM_IOCTL_HID_WRITE_REPORT VM_HID_CTL_CODE(3)
#define VM_IOCTL_HID_GET_STRING VM_HID_CTL_CODE(4)
#define VM_IOCTL_HID_GET_DEVICE_ATTRIBUTES VM_HID_CTL_CODE(9)
#define VM_IOCTL_HID_GET_FEATURE VM_HID_OUT_CTL_CODE(100)
#define VM_IOCTL_HID_SET_FEATURE VM_HID_IN_CTL_CODE(100)
#define VM_IOCTL_HID_SET_OUTPUT_REPORT VM_HID_IN_CTL_CODE(101)
#define VM_IOCTL_HID_GET_INPUT_REPORT VM_HID_OUT_CTL_CODE(104)

#define VM_HID_REVISION 0x00000001
#define VM_HID_HID_DESCRIPTOR_TYPE 0x21
#define VM_HID_REPORT_DESCRIPTOR_TYPE 0x22

typedef struct VM_HID_MINIDRIVER_REGISTRATION {
    ULONG Revision;
    PDRIVER_OBJECT DriverObject;
    PUNICODE_STRING RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} VM_HID_MINIDRIVER_REGISTRATION;

// The class driver's extension of each device object it creates for us.
typedef struct VM_HID_DEVICE_EXTENSION {
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT NextDeviceObject;
    PVOID MiniDeviceExtension;
} VM_HID_DEVICE_EXTENSION;

typedef struct VM_HID_DEVICE_ATTRIBUTES {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} VM_HID_DEVICE_ATTRIBUTES;

#pragma pack(push, 1)
typedef struct VM_HID_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    UCHAR bReportType;
    USHORT wReportLength;
} VM_HID_DESCRIPTOR;
#pragma pack(pop)
_Static_assert(sizeof(VM_HID_DESCRIPTOR) == 9, "the HID descriptor is 9 bytes on the wire");

// One report handed between the class driver and us.
typedef struct VM_HID_XFER_PACKET {
    PUCHAR reportBuffer;
    ULONG reportBufferLen;
    UCHAR reportId;
} VM_HID_XFER_PACKET;

NTSTATUS NTAPI HidRegisterMinidriver(VM_HID_MINIDRIVER_REGISTRATION* registration);
