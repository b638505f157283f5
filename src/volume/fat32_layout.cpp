#include "volume/fat32_layout.h"

#include <cstring>

#include "common/bytes.h"

namespace ssdfwu {

LabelBuffer MakeLabelBuffer(const char* label) {
  LabelBuffer buffer{};
  if (label != nullptr) std::strncpy(buffer.data(), label, kLabelLength);
  buffer[kLabelLength] = 0;
  return buffer;
}

void FillBootSector(std::span<uint8_t> sector, const BootSectorFields& f) {
  uint8_t* p = sector.data();
  p[kBsJump] = 0xEB;  // short jump to offset 92, then a NOP
  p[kBsJump + 1] = 0x5A;
  p[kBsJump + 2] = 0x90;
  std::memcpy(p + kBsOemName, "MSWIN4.1", 8);
  PutLe16(p + kBpbBytesPerSector, f.bytesPerSector);
  p[kBpbSectorsPerCluster] = f.sectorsPerCluster;
  PutLe16(p + kBpbReservedSectors, kReservedSectors);
  p[kBpbFatCount] = kFatCount;
  PutLe16(p + kBpbRootEntries, 0);
  PutLe16(p + kBpbTotalSectors16, 0);
  p[kBpbMedia] = kMediaFixed;
  PutLe16(p + kBpbFatSize16, 0);
  PutLe16(p + kBpbSectorsPerTrack, f.sectorsPerTrack);
  PutLe16(p + kBpbHeads, f.heads);
  PutLe32(p + kBpbHiddenSectors, kHiddenSectors);
  PutLe32(p + kBpbTotalSectors32, f.totalSectors);
  PutLe32(p + kBpbFatSize32, f.fatSize);
  PutLe16(p + kBpbExtFlags, 0);  // FAT mirroring
  PutLe16(p + kBpbFsVersion, 0);
  PutLe32(p + kBpbRootCluster, kRootCluster);
  PutLe16(p + kBpbFsInfo, kFsInfoSector);
  PutLe16(p + kBpbBackupBootSector, kBackupBootSector);
  p[kBpbDriveNumber] = kDriveNumberFirstHardDisk;
  p[kBpbBootSignature] = kExtendedBootSignature;
  PutLe32(p + kBpbVolumeId, f.volumeId);
  // Blank-padded, the same 11 bytes as the label entry's name: file-system
  // checkers compare the two and report a zero-padded copy as different.
  const std::array<uint8_t, 12> name = LabelEntryHead(f.label);
  std::memcpy(p + kBpbVolumeLabel, name.data(), kLabelLength);
  std::memcpy(p + kBpbFileSystemType, "FAT32   ", 8);
  p[kBsSignature] = 0x55;
  p[kBsSignature + 1] = 0xAA;
}

void FillFsInfoSector(std::span<uint8_t> sector, uint32_t freeCount, uint32_t nextFree) {
  uint8_t* p = sector.data();
  PutLe32(p + kFsiLeadSignature, kFsiLeadSignatureValue);
  PutLe32(p + kFsiStructSignature, kFsiStructSignatureValue);
  PutLe32(p + kFsiFreeCount, freeCount);
  PutLe32(p + kFsiNextFree, nextFree);
  PutLe32(p + kFsiTrailSignature, kFsiTrailSignatureValue);
}

void FillFirstFatSector(std::span<uint8_t> sector) {
  PutLe32(sector.data() + 0, kFatEntry0);
  PutLe32(sector.data() + 4, kFatEndOfChain);
  PutLe32(sector.data() + 8, kFatEndOfChain);  // the root directory's one cluster
}

std::array<uint8_t, 12> LabelEntryHead(const LabelBuffer& label) {
  std::array<uint8_t, 12> head{};
  const std::size_t n = strnlen(label.data(), kLabelLength);
  std::memcpy(head.data(), label.data(), n);
  std::memset(head.data() + n, ' ', kLabelLength - n);
  head[kDirEntryAttributes] = kAttrVolumeLabel;
  return head;
}

}  // namespace ssdfwu
