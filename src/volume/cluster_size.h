// How the formatter sizes the FAT and chooses the cluster size.
#pragma once

#include <cstdint>

namespace ssdfwu {

// F = 4 × (T − R) ÷ (S × B + 4 × N) + 1, the +1 always applied.
uint32_t get_fat_size_sectors(uint32_t totalSectors, uint32_t reservedSectors,
                              uint32_t sectorsPerCluster, uint32_t fatCount,
                              uint32_t bytesPerSector);

// Sectors per cluster for a volume of sizeBytes: 512-byte clusters up to
// 512 MiB, then 4, 8, 16 and 32 KiB above 512 MiB, 8, 16 and 32 GiB.
uint8_t choose_spc(uint64_t sizeBytes, uint32_t bytesPerSector);

// KiB × 1024 ÷ bytes per sector, low 8 bits; 0 for a sector size of 0.
uint8_t get_spc(uint32_t clusterKiB, uint32_t bytesPerSector);

}  // namespace ssdfwu
