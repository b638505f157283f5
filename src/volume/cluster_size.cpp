#include "volume/cluster_size.h"

namespace ssdfwu {

uint32_t get_fat_size_sectors(uint32_t totalSectors, uint32_t reservedSectors,
                              uint32_t sectorsPerCluster, uint32_t fatCount,
                              uint32_t bytesPerSector) {
  const uint64_t numerator = 4ull * static_cast<uint32_t>(totalSectors - reservedSectors);
  const uint64_t denominator =
      static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector + 4ull * fatCount;
  return static_cast<uint32_t>(numerator / denominator + 1);
}

uint8_t choose_spc(uint64_t sizeBytes, uint32_t bytesPerSector) {
  const uint64_t mib = sizeBytes / (1024 * 1024);
  uint8_t spc = 1;
  if (mib > 512) spc = get_spc(4, bytesPerSector);
  if (mib > 8192) spc = get_spc(8, bytesPerSector);
  if (mib > 16384) spc = get_spc(16, bytesPerSector);
  if (mib > 32768) spc = get_spc(32, bytesPerSector);
  return spc;
}

uint8_t get_spc(uint32_t clusterKiB, uint32_t bytesPerSector) {
  if (bytesPerSector == 0) return 0;
  return static_cast<uint8_t>(clusterKiB * 1024 / bytesPerSector);
}

}  // namespace ssdfwu
