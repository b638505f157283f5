// The master boot record's partition table, field by field: the 32-bit disk
// signature at 0x1B8, four 16-byte entries from 0x1BE, 55 AA at 0x1FE.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace ssdfwu {

inline constexpr int kMbrDiskSignatureOffset = 0x1B8;
inline constexpr int kMbrTableOffset = 0x1BE;
inline constexpr int kMbrEntrySize = 16;
inline constexpr int kMbrEntryCount = 4;
inline constexpr int kMbrBootSignatureOffset = 0x1FE;

// Entry fields.
inline constexpr int kMbrEntryBootIndicator = 0;
inline constexpr int kMbrEntryChsFirst = 1;
inline constexpr int kMbrEntryType = 4;
inline constexpr int kMbrEntryChsLast = 5;
inline constexpr int kMbrEntryLbaFirst = 8;
inline constexpr int kMbrEntrySectors = 12;

inline constexpr uint8_t kMbrActive = 0x80;

struct MbrEntry {
  uint8_t bootIndicator = 0;
  std::array<uint8_t, 3> chsFirst{};
  uint8_t type = 0;
  std::array<uint8_t, 3> chsLast{};
  uint32_t lbaFirst = 0;
  uint32_t sectors = 0;
};

MbrEntry ReadMbrEntry(std::span<const uint8_t, 512> sector, int index);
void WriteMbrEntry(std::span<uint8_t, 512> sector, int index, const MbrEntry& entry);
bool HasBootSignature(std::span<const uint8_t, 512> sector);
void PutBootSignature(std::span<uint8_t, 512> sector);

// The three CHS bytes of an LBA (head, sector with cylinder bits 8-9,
// cylinder bits 0-7) for a geometry, capped at cylinder 1023, the last head
// and the last sector past what CHS can reach.
std::array<uint8_t, 3> EncodeChs(uint64_t lba, uint32_t heads, uint32_t sectorsPerTrack);

// Partition types a system mounts as a volume (FAT and NTFS families).
bool IsRecognizedPartitionType(uint8_t type);

}  // namespace ssdfwu
