// The partition table writer: one active FAT32 (0x0B) partition from byte
// 32,256 (sector 63) to the last whole cylinder. On the NT platform family
// the master boot record image goes to sector 0 and the layout request sets
// the table; otherwise the disk is re-initialised through create-disk and
// the extended layout requests.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/records.h"

namespace ssdfwu {

inline constexpr int64_t kPartitionStartingOffset = 32256;  // 63 sectors of 512 bytes
inline constexpr uint8_t kPartitionTypeFat32 = 0x0B;

bool IsNtPlatform();
// 1 when the new table is in place, else 0.
int PartitionByMbrImage(std::string_view path);
int PartitionByCreateDisk(std::string_view path, int8_t index);

// cylinders × tracks per cylinder × sectors per track × bytes per sector
// − 32,256, in 64 bits.
int64_t PartitionLengthOf(uint64_t cylinders, const DiskGeometry& geometry);

}  // namespace ssdfwu
