// Sector and capacity units shared by every layer: 512-byte sectors,
// 32-bit sector counts and addresses, 64-bit byte counts, MB of 2^20 bytes.
#pragma once

#include <cstdint>

namespace ssdfwu {

inline constexpr uint32_t kSectorSize = 512;
inline constexpr int kSectorShift = 9;
// Sectors shifted right by this many bits are whole MB (2048 sectors each).
inline constexpr int kSectorsPerMbShift = 11;
// The most sectors an unsigned 32-bit count (and an MBR entry) can hold.
inline constexpr uint32_t kMaxSectorCount = 0xFFFFFFFFu;

inline constexpr uint64_t SectorsToBytes(uint32_t sectors) {
  return static_cast<uint64_t>(sectors) * kSectorSize;
}

inline constexpr int32_t SectorsToMB(uint32_t sectors) {
  return static_cast<int32_t>(sectors >> kSectorsPerMbShift);
}

}  // namespace ssdfwu
