// How large a disk is, from the ATA identify data or from READ CAPACITY(10)
// depending on ScsiCommandSet, in sectors, bytes and MB. Every conversion
// asks the device again.
#pragma once

#include <cstdint>
#include <span>

namespace ssdfwu {

inline constexpr int kReadCapacityOk = 1;
inline constexpr int kReadCapacityFailed = 2;

// IDENTIFY DEVICE capacity words (byte offsets).
inline constexpr int kIdentifyLba28Offset = 120;  // words 60-61
inline constexpr int kIdentifyLba48Offset = 200;  // words 100-103
inline constexpr uint32_t kIdentifyLba28Saturated = 0x0FFFFFFF;

// READ CAPACITY(10) for index into blockCount × 512 bytes: 1 or 2. Refused
// (2, nothing sent) while ScsiCommandSet is clear.
int ReadCapacity10(int8_t index, std::span<uint8_t> buffer, uint8_t blockCount);

// Sector counts from the raw answers. The identify form takes words 60-61
// unless they hold 0x0FFFFFFF, then the 48-bit count of words 100-103; the
// READ CAPACITY form is the returned last LBA + 1. Both saturate at
// 4,294,967,295, the most an MBR partition table can address.
uint32_t SectorsFromIdentifyData(std::span<const uint8_t> identify);
uint32_t SectorsFromReadCapacityData(std::span<const uint8_t> answer);

uint32_t CapacityFromIdentify(int8_t index);
uint32_t CapacityFromReadCapacity(int8_t index);
uint32_t GetCapacitySectors(int8_t index);
uint64_t GetCapacityBytes(int8_t index);
int32_t GetCapacityMB(int8_t index);

}  // namespace ssdfwu
