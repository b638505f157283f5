#include "host/mbr_codec.h"

#include <algorithm>

#include "common/bytes.h"

namespace ssdfwu {

namespace {
constexpr uint32_t kMaxChsCylinder = 1023;
}  // namespace

MbrEntry ReadMbrEntry(std::span<const uint8_t, 512> sector, int index) {
  const uint8_t* p = sector.data() + kMbrTableOffset + index * kMbrEntrySize;
  MbrEntry entry;
  entry.bootIndicator = p[kMbrEntryBootIndicator];
  std::copy_n(p + kMbrEntryChsFirst, 3, entry.chsFirst.begin());
  entry.type = p[kMbrEntryType];
  std::copy_n(p + kMbrEntryChsLast, 3, entry.chsLast.begin());
  entry.lbaFirst = GetLe32(p + kMbrEntryLbaFirst);
  entry.sectors = GetLe32(p + kMbrEntrySectors);
  return entry;
}

void WriteMbrEntry(std::span<uint8_t, 512> sector, int index, const MbrEntry& entry) {
  uint8_t* p = sector.data() + kMbrTableOffset + index * kMbrEntrySize;
  p[kMbrEntryBootIndicator] = entry.bootIndicator;
  std::copy(entry.chsFirst.begin(), entry.chsFirst.end(), p + kMbrEntryChsFirst);
  p[kMbrEntryType] = entry.type;
  std::copy(entry.chsLast.begin(), entry.chsLast.end(), p + kMbrEntryChsLast);
  PutLe32(p + kMbrEntryLbaFirst, entry.lbaFirst);
  PutLe32(p + kMbrEntrySectors, entry.sectors);
}

bool HasBootSignature(std::span<const uint8_t, 512> sector) {
  return sector[kMbrBootSignatureOffset] == 0x55 && sector[kMbrBootSignatureOffset + 1] == 0xAA;
}

void PutBootSignature(std::span<uint8_t, 512> sector) {
  sector[kMbrBootSignatureOffset] = 0x55;
  sector[kMbrBootSignatureOffset + 1] = 0xAA;
}

std::array<uint8_t, 3> EncodeChs(uint64_t lba, uint32_t heads, uint32_t sectorsPerTrack) {
  if (heads == 0 || sectorsPerTrack == 0) return {0, 0, 0};
  const uint64_t perCylinder = static_cast<uint64_t>(heads) * sectorsPerTrack;
  uint64_t cylinder = lba / perCylinder;
  uint64_t head = (lba / sectorsPerTrack) % heads;
  uint64_t sector = lba % sectorsPerTrack + 1;
  if (cylinder > kMaxChsCylinder) {
    cylinder = kMaxChsCylinder;
    head = heads - 1;
    sector = sectorsPerTrack;
  }
  return {static_cast<uint8_t>(head),
          static_cast<uint8_t>((sector & 0x3F) | ((cylinder >> 2) & 0xC0)),
          static_cast<uint8_t>(cylinder)};
}

bool IsRecognizedPartitionType(uint8_t type) {
  switch (type) {
    case 0x01:  // FAT12
    case 0x04:  // FAT16 below 32 MB
    case 0x06:  // FAT16
    case 0x07:  // NTFS / exFAT
    case 0x0B:  // FAT32
    case 0x0C:  // FAT32, LBA
    case 0x0E:  // FAT16, LBA
      return true;
    default:
      return false;
  }
}

}  // namespace ssdfwu
