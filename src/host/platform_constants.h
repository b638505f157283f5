// Values of the operating-system interface that the core passes through the
// host seam. They carry the platform's numbers so that a thin host can hand
// them on unchanged; hosts elsewhere interpret them.
#pragma once

#include <cstdint>

namespace ssdfwu {

// Open: desired access, share mode, creation disposition, flags.
inline constexpr uint32_t kGenericRead = 0x80000000u;
inline constexpr uint32_t kGenericWrite = 0x40000000u;
inline constexpr uint32_t kFileShareRead = 0x1;
inline constexpr uint32_t kFileShareWrite = 0x2;
inline constexpr uint32_t kOpenExisting = 3;
inline constexpr uint32_t kFileAttributeNormal = 0x80;
inline constexpr uint32_t kFileFlagNoBuffering = 0x20000000u;

// Last-error codes.
inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorNotEnoughMemory = 8;
inline constexpr uint32_t kErrorWriteProtect = 19;
inline constexpr uint32_t kErrorSharingViolation = 32;
inline constexpr uint32_t kErrorFileExists = 80;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorInsufficientBuffer = 122;
inline constexpr uint32_t kErrorNotSupported = 50;
inline constexpr uint32_t kErrorIoDevice = 1117;
inline constexpr uint32_t kErrorDeviceNotConnected = 1167;

// Device control codes, used by hosts and traces to name a request.
inline constexpr uint32_t kIoctlScsiPassThroughDirect = 0x4D014;
inline constexpr uint32_t kIoctlStorageGetDeviceNumber = 0x2D1080;
inline constexpr uint32_t kIoctlDiskGetDriveGeometry = 0x70000;
inline constexpr uint32_t kIoctlDiskGetPartitionInfo = 0x74004;
inline constexpr uint32_t kIoctlDiskGetDriveLayout = 0x7400C;
inline constexpr uint32_t kIoctlDiskSetDriveLayout = 0x7C010;
inline constexpr uint32_t kIoctlDiskCreateDisk = 0x7C058;
inline constexpr uint32_t kIoctlDiskGetDriveLayoutEx = 0x70050;
inline constexpr uint32_t kIoctlDiskSetDriveLayoutEx = 0x7C054;
inline constexpr uint32_t kIoctlDiskUpdateProperties = 0x70140;
inline constexpr uint32_t kFsctlDismountVolume = 0x90020;
inline constexpr uint32_t kFsctlUnlockVolume = 0x9001C;
inline constexpr uint32_t kFsctlLockVolume = 0x90018;

// Drive types of a root path.
inline constexpr uint32_t kDriveUnknown = 0;
inline constexpr uint32_t kDriveNoRootDir = 1;
inline constexpr uint32_t kDriveRemovable = 2;
inline constexpr uint32_t kDriveFixed = 3;
inline constexpr uint32_t kDriveRemote = 4;
inline constexpr uint32_t kDriveCdrom = 5;
inline constexpr uint32_t kDriveRamdisk = 6;

// Storage device types.
inline constexpr uint32_t kFileDeviceDisk = 7;

// Platform identifiers of the version query.
inline constexpr uint32_t kVerPlatformWin32Windows = 1;
inline constexpr uint32_t kVerPlatformWin32Nt = 2;

// Message boxes: styles and answers.
inline constexpr uint32_t kMbOk = 0x0;
inline constexpr uint32_t kMbYesNo = 0x4;
inline constexpr uint32_t kMbIconExclamation = 0x30;
inline constexpr uint32_t kMbDefButton2 = 0x100;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Device-change notifications.
inline constexpr uint32_t kWmDeviceChange = 0x0219;
inline constexpr uint32_t kDbtDeviceArrival = 0x8000;
inline constexpr uint32_t kDbtDeviceRemoveComplete = 0x8004;
inline constexpr uint32_t kDbtDevNodesChanged = 0x0007;

}  // namespace ssdfwu
