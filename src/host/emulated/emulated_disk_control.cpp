// The emulated disks' disk-control requests: geometry, partition information,
// the drive layout and the raw write, as the platform answers them for a USB disk.
#include "host/emulated/emulated_host.h"

#include "host/emulated/disk_layout.h"
#include "host/platform_constants.h"

namespace ssdfwu {

// --- Disk control ---------------------------------------------------------------

bool EmulatedHost::QueryDeviceNumber(HostHandle handle, StorageDeviceNumber& number) {
  const auto found = handles_.find(handle);
  if (found == handles_.end() || found->second.kind == Kind::kInterfaceSet) {
    return Fail(kErrorInvalidHandle);
  }
  const OpenObject& object = found->second;
  if (object.kind == Kind::kDisk) {
    if (disk(object.disk).vanished()) return Fail(kErrorDeviceNotConnected);
    number = {kFileDeviceDisk, static_cast<uint32_t>(object.disk) + 1, 0};
    return Succeed();
  }
  const Volume* volume = VolumeAt(object.letter);
  if (volume == nullptr) return Fail(kErrorDeviceNotConnected);
  number = volume->number;
  return Succeed();
}

bool EmulatedHost::QueryGeometry(HostHandle handle, DiskGeometry& geometry) {
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  const EmulatedDiskConfig& c = d->config();
  const uint64_t perCylinder =
      static_cast<uint64_t>(c.bytesPerSector) * c.tracksPerCylinder * c.sectorsPerTrack;
  const uint64_t bytes = d->SectorCount() * kImageSectorSize;
  geometry.Cylinders = perCylinder == 0 ? 0 : static_cast<int64_t>(bytes / perCylinder);
  geometry.MediaType = c.removable ? kRemovableMedia : kFixedMedia;
  geometry.TracksPerCylinder = c.tracksPerCylinder;
  geometry.SectorsPerTrack = c.sectorsPerTrack;
  geometry.BytesPerSector = c.bytesPerSector;
  return Succeed();
}

bool EmulatedHost::QueryPartitionInfo(HostHandle handle, PartitionInformation& partition) {
  // On a disk handle the answer describes the whole disk (partition 0).
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  partition = PartitionInformation{};
  partition.PartitionLength = static_cast<int64_t>(d->SectorCount() * kImageSectorSize);
  return Succeed();
}

bool EmulatedHost::ReadSector0(int diskId, std::array<uint8_t, 512>& sector) {
  return disk(diskId).ReadSector(0, sector.data());
}

bool EmulatedHost::WriteSector0(int diskId, const std::array<uint8_t, 512>& sector) {
  return disk(diskId).WriteSector(0, sector.data());
}

namespace {
LayoutGeometry GeometryForLayout(const EmulatedDisk& d) {
  const EmulatedDiskConfig& c = d.config();
  return {c.bytesPerSector, c.tracksPerCylinder, c.sectorsPerTrack,
          d.SectorCount() * kImageSectorSize};
}
}  // namespace

bool EmulatedHost::ReadTable(HostHandle handle, const TableReader& read) {
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  SectorImage sector0{};
  if (!ReadSector0(Find(handle, Kind::kDisk)->disk, sector0)) return Fail(kErrorIoDevice);
  read(sector0, GeometryForLayout(*d));
  return Succeed();
}

bool EmulatedHost::RewriteTable(HostHandle handle, const TableWriter& apply) {
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  if (d->config().readOnly) return Fail(kErrorWriteProtect);
  const int id = Find(handle, Kind::kDisk)->disk;
  SectorImage sector0{};
  if (!ReadSector0(id, sector0)) return Fail(kErrorIoDevice);
  if (!apply(sector0, GeometryForLayout(*d))) return Fail(kErrorInvalidParameter);
  if (!WriteSector0(id, sector0)) return Fail(kErrorIoDevice);
  RefreshVolumes();
  return Succeed();
}

bool EmulatedHost::QueryDriveLayout(HostHandle handle, DriveLayoutInformation& layout) {
  return ReadTable(handle, [&](const SectorImage& sector0, const LayoutGeometry& g) {
    layout = LayoutOfSector(sector0, g);
  });
}

bool EmulatedHost::WriteDriveLayout(HostHandle handle, const DriveLayoutInformation& layout) {
  return RewriteTable(handle, [&](SectorImage& sector0, const LayoutGeometry& g) {
    return ApplyLayout(sector0, layout, g);
  });
}

bool EmulatedHost::InitializeDisk(HostHandle handle, const CreateDiskInformation& create) {
  return RewriteTable(handle, [&](SectorImage& sector0, const LayoutGeometry&) {
    if (create.PartitionStyle != kPartitionStyleMbr) return false;
    sector0 = EmptyMbr(create.Signature);
    return true;
  });
}

bool EmulatedHost::QueryDriveLayoutEx(HostHandle handle, DriveLayoutInformationEx& layout) {
  return ReadTable(handle, [&](const SectorImage& sector0, const LayoutGeometry& g) {
    layout = LayoutExOfSector(sector0, g);
  });
}

bool EmulatedHost::WriteDriveLayoutEx(HostHandle handle, const DriveLayoutInformationEx& layout) {
  return RewriteTable(handle, [&](SectorImage& sector0, const LayoutGeometry& g) {
    return ApplyLayoutEx(sector0, layout, g);
  });
}

bool EmulatedHost::UpdateDiskProperties(HostHandle handle) {
  if (DiskOf(handle) == nullptr) return false;
  RefreshVolumes();
  return Succeed();
}

bool EmulatedHost::WriteRaw(HostHandle handle, std::span<const uint8_t> data, uint32_t& written) {
  written = 0;
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  OpenObject& object = *Find(handle, Kind::kDisk);
  if ((object.access & kGenericWrite) == 0) return Fail(kErrorAccessDenied);
  // Raw disk writes go in whole sectors from a sector boundary.
  if (data.size() % kImageSectorSize != 0 || object.position % kImageSectorSize != 0) {
    return Fail(kErrorInvalidParameter);
  }
  if (d->config().readOnly) return Fail(kErrorWriteProtect);
  const uint64_t lba = object.position / kImageSectorSize;
  const uint32_t count = static_cast<uint32_t>(data.size() / kImageSectorSize);
  if (!d->image().Write(lba, count, data.data())) return Fail(kErrorIoDevice);
  object.position += data.size();
  written = static_cast<uint32_t>(data.size());
  return Succeed();
}

bool EmulatedHost::DismountVolume(HostHandle handle) {
  if (Find(handle, Kind::kVolume) == nullptr) return Fail(kErrorInvalidHandle);
  return Succeed();
}

bool EmulatedHost::UnlockVolume(HostHandle handle) {
  if (Find(handle, Kind::kVolume) == nullptr) return Fail(kErrorInvalidHandle);
  return Succeed();
}

}  // namespace ssdfwu
