// Portable images of the platform records that travel through the host
// seam. Field names and widths are those of the platform's structures; the
// byte sizes the platform publishes are recorded beside them for the hosts
// that convert to the native structures.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ssdfwu {

// STORAGE_DEVICE_NUMBER: 12 bytes.
struct StorageDeviceNumber {
  uint32_t DeviceType = 0;
  uint32_t DeviceNumber = 0;
  uint32_t PartitionNumber = 0;
};
inline constexpr std::size_t kStorageDeviceNumberSize = 12;

// DISK_GEOMETRY: 24 bytes.
struct DiskGeometry {
  int64_t Cylinders = 0;
  uint32_t MediaType = 0;
  uint32_t TracksPerCylinder = 0;
  uint32_t SectorsPerTrack = 0;
  uint32_t BytesPerSector = 0;
};
inline constexpr std::size_t kDiskGeometrySize = 24;
inline constexpr uint32_t kFixedMedia = 12;
inline constexpr uint32_t kRemovableMedia = 11;

// PARTITION_INFORMATION: 32 bytes.
struct PartitionInformation {
  int64_t StartingOffset = 0;
  int64_t PartitionLength = 0;
  uint32_t HiddenSectors = 0;
  uint32_t PartitionNumber = 0;
  uint8_t PartitionType = 0;
  bool BootIndicator = false;
  bool RecognizedPartition = false;
  bool RewritePartition = false;
};
inline constexpr std::size_t kPartitionInformationSize = 32;

// DRIVE_LAYOUT_INFORMATION in the 168-byte buffer the partition writer
// hands over: the 8-byte header and room for five entries.
inline constexpr std::size_t kDriveLayoutHeaderSize = 8;
inline constexpr std::size_t kDriveLayoutBufferSize = 168;
inline constexpr std::size_t kDriveLayoutEntries =
    (kDriveLayoutBufferSize - kDriveLayoutHeaderSize) / kPartitionInformationSize;
struct DriveLayoutInformation {
  uint32_t PartitionCount = 0;
  uint32_t Signature = 0;
  std::array<PartitionInformation, kDriveLayoutEntries> PartitionEntry{};
};

inline constexpr uint32_t kPartitionStyleMbr = 0;
inline constexpr uint32_t kPartitionStyleGpt = 1;
inline constexpr uint32_t kPartitionStyleRaw = 2;

// CREATE_DISK: 24 bytes; only the MBR form is used.
struct CreateDiskInformation {
  uint32_t PartitionStyle = kPartitionStyleMbr;
  uint32_t Signature = 0;
};
inline constexpr std::size_t kCreateDiskSize = 24;

// PARTITION_INFORMATION_EX (MBR form): 144 bytes.
struct PartitionInformationEx {
  uint32_t PartitionStyle = kPartitionStyleMbr;
  int64_t StartingOffset = 0;
  int64_t PartitionLength = 0;
  uint32_t PartitionNumber = 0;
  bool RewritePartition = false;
  uint8_t PartitionType = 0;
  bool BootIndicator = false;
  bool RecognizedPartition = false;
  uint32_t HiddenSectors = 0;
};
inline constexpr std::size_t kPartitionInformationExSize = 144;

// DRIVE_LAYOUT_INFORMATION_EX in the 768-byte buffer of the create-disk
// writer: the 48-byte header and room for five entries.
inline constexpr std::size_t kDriveLayoutExHeaderSize = 48;
inline constexpr std::size_t kDriveLayoutExBufferSize = 768;
inline constexpr std::size_t kDriveLayoutExEntries =
    (kDriveLayoutExBufferSize - kDriveLayoutExHeaderSize) / kPartitionInformationExSize;
struct DriveLayoutInformationEx {
  uint32_t PartitionStyle = kPartitionStyleMbr;
  uint32_t PartitionCount = 0;
  uint32_t Signature = 0;  // Mbr.Signature
  std::array<PartitionInformationEx, kDriveLayoutExEntries> PartitionEntry{};
};

// OSVERSIONINFOA: 148 bytes.
inline constexpr uint32_t kOsVersionInfoSize = 148;
struct OsVersionInfo {
  uint32_t dwOSVersionInfoSize = 0;
  uint32_t dwMajorVersion = 0;
  uint32_t dwMinorVersion = 0;
  uint32_t dwBuildNumber = 0;
  uint32_t dwPlatformId = 0;
  std::array<char, 128> szCSDVersion{};
};
static_assert(sizeof(OsVersionInfo) == kOsVersionInfoSize);

// SYSTEMTIME.
struct SystemTime {
  uint16_t wYear = 0;
  uint16_t wMonth = 0;
  uint16_t wDayOfWeek = 0;
  uint16_t wDay = 0;
  uint16_t wHour = 0;
  uint16_t wMinute = 0;
  uint16_t wSecond = 0;
  uint16_t wMilliseconds = 0;
};

}  // namespace ssdfwu
