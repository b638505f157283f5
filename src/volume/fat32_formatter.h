// The FAT32 formatter: lays an empty FAT32 file system into the partition at
// sector 63 by writing every structure itself with READ(10) / WRITE(10):
// zeros over the reserved area, both FATs and the root cluster (each burst
// read back and checked), the boot and FSInfo sectors and their backups, the
// first sector of each FAT, and the volume-label entry.
//
// The volume is sized from the partition the partition writer made (its
// entry in the drive layout), not from the whole device, so the file system
// ends with its partition and agrees with its own BPB.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/records.h"

namespace ssdfwu {

struct FormatOptions {
  uint32_t sectors_per_cluster = 0;  // 0: choose_spc decides
};

inline constexpr uint32_t kZeroBurstSectors = 128;
inline constexpr int kFormatOpenAttempts = 5;
inline constexpr uint32_t kFormatOpenPauseMs = 1000;

// 1 when the volume was written, else 0.
int FormatFat32(std::string_view path, const char* label, int8_t index);
int format_direct(std::string_view path, const FormatOptions& options, const char* label,
                  uint32_t partitionStart, int8_t index);

// 1 when every sector was written and read back as zero, else 0.
int zero_sectors_LBA(std::string_view path, uint32_t lba, uint32_t bytesPerSector,
                     uint32_t sectorCount, const DiskGeometry& geometry);
// Write10 of bytesPerSector × count bytes; "Failed to write" on failure.
int write_sect(std::string_view path, uint32_t lba, uint32_t bytesPerSector, const uint8_t* buffer,
               uint32_t count);
// Puts the label entry into the first 12 bytes of the sector at lba.
int write_label_entry(std::string_view path, const char* label, uint32_t lba);

}  // namespace ssdfwu
