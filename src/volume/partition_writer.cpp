#include "volume/partition_writer.h"

#include <array>
#include <string>

#include "host/current_host.h"
#include "host/platform_constants.h"
#include "host/scoped.h"
#include "storage/capacity.h"
#include "volume/boot_images.h"

namespace ssdfwu {

namespace {

HostHandle OpenDisk(Host& host, std::string_view path) {
  return host.Open(std::string(path), kGenericRead | kGenericWrite,
                   kFileShareRead | kFileShareWrite, kOpenExisting, kFileAttributeNormal);
}

}  // namespace

int64_t PartitionLengthOf(uint64_t cylinders, const DiskGeometry& g) {
  return static_cast<int64_t>(cylinders * g.TracksPerCylinder * g.SectorsPerTrack *
                              g.BytesPerSector) -
         kPartitionStartingOffset;
}

bool IsNtPlatform() {
  OsVersionInfo info{};
  info.dwOSVersionInfoSize = kOsVersionInfoSize;
  CurrentHost().QueryVersion(info);  // a failed query leaves the platform at 0
  return info.dwPlatformId == kVerPlatformWin32Nt;
}

int PartitionByMbrImage(std::string_view path) {
  std::array<uint8_t, 512> sector = MbrImage;
  Host& host = CurrentHost();
  ScopedHandle disk(host, OpenDisk(host, path));
  if (!disk.valid()) return 0;
  DiskGeometry geometry;
  if (!host.QueryGeometry(disk.get(), geometry)) return 0;
  uint32_t written = 0;
  if (!host.WriteRaw(disk.get(), sector, written) || written < sector.size()) return 0;
  DriveLayoutInformation layout;
  if (!host.QueryDriveLayout(disk.get(), layout)) return 0;

  PartitionInformation& entry = layout.PartitionEntry[0];
  entry.StartingOffset = kPartitionStartingOffset;
  entry.PartitionLength = PartitionLengthOf(static_cast<uint64_t>(geometry.Cylinders), geometry);
  entry.HiddenSectors = 0;
  entry.PartitionNumber = 1;
  entry.PartitionType = kPartitionTypeFat32;
  entry.BootIndicator = true;
  entry.RecognizedPartition = true;
  entry.RewritePartition = true;
  const bool set = host.WriteDriveLayout(disk.get(), layout);
  return disk.Reset() && set ? 1 : 0;
}

int PartitionByCreateDisk(std::string_view path, int8_t index) {
  const uint32_t capacity = GetCapacitySectors(index);
  Host& host = CurrentHost();
  ScopedHandle disk(host, OpenDisk(host, path));
  if (!disk.valid()) return 0;
  DiskGeometry geometry;
  if (!host.QueryGeometry(disk.get(), geometry)) return 0;
  const uint32_t perCylinder = geometry.TracksPerCylinder * geometry.SectorsPerTrack;
  if (perCylinder == 0) return 0;  // no cylinder to size the partition with
  if (!host.InitializeDisk(disk.get(), CreateDiskInformation{kPartitionStyleMbr, 0})) return 0;
  DriveLayoutInformationEx layout;
  if (!host.QueryDriveLayoutEx(disk.get(), layout)) return 0;

  layout.PartitionStyle = kPartitionStyleMbr;
  PartitionInformationEx& entry = layout.PartitionEntry[0];
  entry.PartitionStyle = kPartitionStyleMbr;
  entry.StartingOffset = kPartitionStartingOffset;
  entry.PartitionLength = PartitionLengthOf(capacity / perCylinder, geometry);
  entry.HiddenSectors = 0;
  entry.PartitionNumber = 1;
  entry.PartitionType = kPartitionTypeFat32;
  entry.BootIndicator = true;
  entry.RecognizedPartition = true;
  entry.RewritePartition = true;
  if (!host.WriteDriveLayoutEx(disk.get(), layout)) return 0;
  if (!host.UpdateDiskProperties(disk.get()) || !host.UpdateDiskProperties(disk.get())) return 0;
  return 1;
}

}  // namespace ssdfwu
