#include "volume/fat32_formatter.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>

#include "common/debug.h"
#include "host/current_host.h"
#include "host/platform_constants.h"
#include "host/scoped.h"
#include "storage/capacity.h"
#include "storage/sector_io.h"
#include "volume/cluster_size.h"
#include "volume/fat32_layout.h"
#include "volume/volume_id.h"

namespace ssdfwu {

namespace {

constexpr uint32_t kSupportedSectorSize = 512;
constexpr uint32_t kMinimumSectors = 65536;
constexpr uint32_t kMaxClusters = 0x0FFFFFFF;
constexpr uint32_t kFirstFreeCluster = 3;

// A report line on standard output (the printf lines of the formatter).
void Report(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Report(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  CurrentHost().StandardOutput(buffer);
}

// What the device tells before anything is written.
struct DeviceFacts {
  DiskGeometry geometry;
  uint64_t partitionSectors = 0;  // 0: no partition starts at the given sector
};

// Opens the device exclusively (five attempts, a second apart), reads the
// geometry, the partition information and the partition the writer made.
std::optional<DeviceFacts> QueryDevice(std::string_view path, uint32_t partitionStart) {
  Host& host = CurrentHost();
  HostHandle handle = kInvalidHandleValue;
  for (int attempt = 1; attempt <= kFormatOpenAttempts; ++attempt) {
    handle = host.Open(std::string(path), kGenericRead | kGenericWrite, 0, kOpenExisting,
                       kFileFlagNoBuffering);
    if (handle != kInvalidHandleValue) break;
    DebugPrintf("Failed to open device (attempt %d of %d), error %u\n", attempt,
                kFormatOpenAttempts, host.LastError());
    host.SleepMilliseconds(kFormatOpenPauseMs);
  }
  ScopedHandle device(host, handle);
  if (!device.valid()) return std::nullopt;

  DeviceFacts facts;
  if (!host.QueryGeometry(device.get(), facts.geometry)) {
    DebugLine("Failed to get device geometry");
    return std::nullopt;
  }
  PartitionInformation partition;
  if (!host.QueryPartitionInfo(device.get(), partition)) {
    DebugLine("Failed to get parition info");
    return std::nullopt;
  }
  // On a disk handle the partition information describes the whole disk;
  // the partition itself is the layout entry that starts at partitionStart.
  DriveLayoutInformation layout;
  if (!host.QueryDriveLayout(device.get(), layout)) {
    DebugLine("Failed to get drive layout");
    return std::nullopt;
  }
  const int64_t start = static_cast<int64_t>(partitionStart) * kSupportedSectorSize;
  for (std::size_t i = 0; i < layout.PartitionCount && i < layout.PartitionEntry.size(); ++i) {
    const PartitionInformation& entry = layout.PartitionEntry[i];
    if (entry.PartitionType != 0 && entry.StartingOffset == start && entry.PartitionLength > 0) {
      facts.partitionSectors = static_cast<uint64_t>(entry.PartitionLength) / kSupportedSectorSize;
      break;
    }
  }
  return facts;
}

bool AllZero(const uint8_t* data, std::size_t size) {
  return std::all_of(data, data + size, [](uint8_t b) { return b == 0; });
}

}  // namespace

int FormatFat32(std::string_view path, const char* label, int8_t index) {
  const FormatOptions options{.sectors_per_cluster = 0};
  return format_direct(path, options, label, kPartitionStart, index) != 0 ? 1 : 0;
}

int format_direct(std::string_view path, const FormatOptions& options, const char* label,
                  uint32_t partitionStart, int8_t index) {
  Host& host = CurrentHost();
  const uint32_t volumeId = make_volume_id();
  const LabelBuffer labelBuffer = MakeLabelBuffer(label);

  const std::optional<DeviceFacts> facts = QueryDevice(path, partitionStart);
  if (!facts) return 0;
  const DiskGeometry& geometry = facts->geometry;
  const uint32_t b = geometry.BytesPerSector;

  // 512-byte commands on another sector size would write the wrong sectors.
  if (b != kSupportedSectorSize) {
    DebugLine("This version of volforge only supports hard disks with 512 bytes per sector.\n");
    if (b == 0) host.OwnerlessMessageBox("Format_direct qTotalSectors", nullptr, kMbOk);
    return 0;
  }
  if (facts->partitionSectors == 0) {
    DebugLine("No partition starts at the formatter's partition start");
    return 0;
  }
  // The partition must lie on the device as the device measures itself.
  const uint64_t deviceSectors = GetCapacityBytes(index) / kSupportedSectorSize;
  if (partitionStart + facts->partitionSectors > deviceSectors) {
    DebugLine("The partition runs past the end of the device");
    return 0;
  }
  const uint64_t d = facts->partitionSectors * b;  // the partition's size in bytes
  const uint64_t t64 = facts->partitionSectors;
  if (t64 < kMinimumSectors) {
    DebugLine("This drive is too small for FAT32 - there must be at least 64K clusters\n");
  }
  if (t64 >= 0xFFFFFFFFull) DebugLine("This drive is too big for FAT32 - max 2TB supported\n");
  const uint32_t t = static_cast<uint32_t>(t64);

  HostMemory bootSector(host, b);
  HostMemory fsInfo(host, b);
  HostMemory fatSector(host, b);
  int result = 0;
  const auto finish = [&] {
    if (!bootSector.Release()) DebugLine("Virtual Free pFAT32BootSect fail!");
    if (!fsInfo.Release()) DebugLine("Virtual Free pFAT32FsInfo fail!");
    if (!fatSector.Release()) DebugLine("Virtual Free pFAT32FatSect fail!");
    Report("Done");
    return result;
  };
  if (!bootSector || !fsInfo || !fatSector) {
    DebugLine("Failed to allocate memory");
    return finish();
  }

  const uint32_t s =
      options.sectors_per_cluster != 0 ? options.sectors_per_cluster : choose_spc(d, b);
  if (s == 0 || s > 0xFF) {
    DebugLine("The cluster size is smaller than a sector");
    return finish();
  }
  const uint32_t f = get_fat_size_sectors(t, kReservedSectors, s, kFatCount, b);
  FillBootSector(bootSector.span(),
                 {.bytesPerSector = static_cast<uint16_t>(b),
                  .sectorsPerCluster = static_cast<uint8_t>(s),
                  .sectorsPerTrack = static_cast<uint16_t>(geometry.SectorsPerTrack),
                  .heads = static_cast<uint16_t>(geometry.TracksPerCylinder),
                  .totalSectors = t,
                  .fatSize = f,
                  .volumeId = volumeId,
                  .label = labelBuffer});
  FillFsInfoSector(fsInfo.span(), kFsiUnknown, kFsiUnknown);
  FillFirstFatSector(fatSector.span());

  const double gigabytes = static_cast<double>(d / 1000000000ull);
  const unsigned idHigh = volumeId >> 16;
  const unsigned idLow = volumeId & 0xFFFF;
  Report("Size : %gGB %u sectors\n", gigabytes, t);
  Report("%u Bytes Per Sector, Cluster size %u bytes\n", b, s * b);
  Report("Volume ID is %x:%x\n", idHigh, idLow);
  Report("%u Reserved Sectors, %u Sectors per FAT, %u fats\n", kReservedSectors, f, kFatCount);
  DebugPrintf("Size : %gGB %u sectors\n", gigabytes, t);
  DebugPrintf("%u Bytes Per Sector, Cluster size %u bytes\n", b, s * b);
  DebugPrintf("Volume ID is %x:%x\n", idHigh, idLow);
  DebugPrintf("%u Reserved Sectors, %u Sectors per FAT, %u fats\n", kReservedSectors, f, kFatCount);

  const uint32_t u = t - kReservedSectors - kFatCount * f;  // data-area sectors
  const uint32_t c = u / s;                                 // clusters
  Report("%u Total clusters\n", c);
  DebugPrintf("%u Total clusters\n", c);
  const uint32_t freeClusters = c - 1;  // the root directory takes cluster 2
  FillFsInfoSector(fsInfo.span(), freeClusters, kFirstFreeCluster);
  Report("%u Free Clusters\n", freeClusters);
  DebugPrintf("%u Free Clusters\n", freeClusters);
  if (c > kMaxClusters) {
    DebugLine("This drive has more than 2^28 clusters, try to specify a larger cluster size\n");
  }
  // The FAT must hold an entry for every cluster and the two reserved ones.
  const uint64_t needed = ((static_cast<uint64_t>(c) + 2) * 4 + b - 1) / b;
  if (f < needed) {
    DebugLine("This drive is too big for this version of volforge, check for an upgrade\n");
  }

  DebugPrintf("Formatting drive ...\n");
  const uint32_t p = partitionStart;
  const uint32_t z = kFatCount * f + kReservedSectors + s;
  Report("Clearing out %u sectors for Reserved sectors, fats and root cluster...\n", z);
  if (zero_sectors_LBA(path, p, b, z, geometry) == 0) return finish();

  Report("Initialising reserved sectors and FATs...\n");
  DebugPrintf("Initialising reserved sectors and FATs...\n");
  const struct {
    uint32_t lba;
    const HostMemory& sector;
  } writes[] = {
      {p, bootSector},
      {p + kFsInfoSector, fsInfo},
      {p + kBackupBootSector, bootSector},
      {p + kBackupBootSector + kFsInfoSector, fsInfo},
      {p + kReservedSectors, fatSector},
      {p + kReservedSectors + f, fatSector},
  };
  for (const auto& w : writes) {
    if (write_sect(path, w.lba, b, w.sector.data(), 1) == 0) return finish();
  }
  // Its failure leaves a volume without a label entry; the BPB has the label.
  write_label_entry(path, labelBuffer.data(), p + kReservedSectors + kFatCount * f);
  result = 1;
  return finish();
}

int zero_sectors_LBA(std::string_view path, uint32_t lba, uint32_t bytesPerSector,
                     uint32_t sectorCount, const DiskGeometry&) {
  Host& host = CurrentHost();
  const uint64_t total = static_cast<uint64_t>(sectorCount) * bytesPerSector;
  HostMemory zeros(host, static_cast<std::size_t>(kZeroBurstSectors) * bytesPerSector);
  if (!zeros) {
    DebugLine("Failed to allocate memory");
    return 0;
  }
  const int64_t frequency = host.CounterFrequency();
  const int64_t start = host.CounterValue();

  int result = 1;
  uint32_t remaining = sectorCount;
  while (remaining > 0) {
    const uint32_t k = std::min(remaining, kZeroBurstSectors);
    const std::span<uint8_t> burst =
        zeros.span().first(static_cast<std::size_t>(k) * bytesPerSector);
    if (Write10(path, burst, lba) == 0) {
      DebugLine("Failed to write");
      result = 0;
      break;
    }
    if (Read10(path, burst, lba) == 0) {
      DebugLine("Failed to read");
      result = 0;
      break;
    }
    if (!AllZero(burst.data(), burst.size())) {
      result = 0;
      break;
    }
    lba += k;
    remaining -= k;
  }

  const int64_t end = host.CounterValue();
  double seconds = 0;
  if (frequency != 0) {
    seconds = static_cast<double>(end - start) / static_cast<double>(frequency);
  } else {
    host.OwnerlessMessageBox("zero_sectors_LBA", nullptr, kMbOk);
  }
  const double rate = seconds > 0 ? static_cast<double>(total) / seconds : 0;
  Report("Wrote %" PRId64 " bytes in %g seconds, %f bytes/sec\n", static_cast<int64_t>(total),
         seconds, rate);
  if (!zeros.Release()) DebugLine("Virtual Free fail!");
  return result;
}

int write_sect(std::string_view path, uint32_t lba, uint32_t bytesPerSector, const uint8_t* buffer,
               uint32_t count) {
  const int result = Write10(path, {buffer, static_cast<std::size_t>(bytesPerSector) * count}, lba);
  if (result == 0) DebugLine("Failed to write");
  return result;
}

int write_label_entry(std::string_view path, const char* label, uint32_t lba) {
  const std::array<uint8_t, 12> head = LabelEntryHead(MakeLabelBuffer(label));
  std::array<uint8_t, kSupportedSectorSize> sector{};
  if (Read10(path, sector, lba) == 0) return 0;
  std::copy(head.begin(), head.end(), sector.begin());
  return Write10(path, sector, lba) != 0 ? 1 : 0;
}

}  // namespace ssdfwu
