// The FAT32 structures the formatter writes, built field by field: the boot
// sector with its BPB, the FSInfo sector, the first sector of a FAT, and the
// volume-label directory entry.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace ssdfwu {

// Fixed layout of the volume.
inline constexpr uint32_t kReservedSectors = 32;
inline constexpr uint32_t kFatCount = 2;
inline constexpr uint32_t kFsInfoSector = 1;
inline constexpr uint32_t kBackupBootSector = 6;
inline constexpr uint32_t kRootCluster = 2;
inline constexpr uint32_t kHiddenSectors = 63;
inline constexpr uint32_t kPartitionStart = 63;
inline constexpr int kLabelLength = 11;

// Boot sector offsets.
inline constexpr int kBsJump = 0;
inline constexpr int kBsOemName = 3;
inline constexpr int kBpbBytesPerSector = 11;
inline constexpr int kBpbSectorsPerCluster = 13;
inline constexpr int kBpbReservedSectors = 14;
inline constexpr int kBpbFatCount = 16;
inline constexpr int kBpbRootEntries = 17;
inline constexpr int kBpbTotalSectors16 = 19;
inline constexpr int kBpbMedia = 21;
inline constexpr int kBpbFatSize16 = 22;
inline constexpr int kBpbSectorsPerTrack = 24;
inline constexpr int kBpbHeads = 26;
inline constexpr int kBpbHiddenSectors = 28;
inline constexpr int kBpbTotalSectors32 = 32;
inline constexpr int kBpbFatSize32 = 36;
inline constexpr int kBpbExtFlags = 40;
inline constexpr int kBpbFsVersion = 42;
inline constexpr int kBpbRootCluster = 44;
inline constexpr int kBpbFsInfo = 48;
inline constexpr int kBpbBackupBootSector = 50;
inline constexpr int kBpbDriveNumber = 64;
inline constexpr int kBpbBootSignature = 66;
inline constexpr int kBpbVolumeId = 67;
inline constexpr int kBpbVolumeLabel = 71;
inline constexpr int kBpbFileSystemType = 82;
inline constexpr int kBsSignature = 510;

inline constexpr uint8_t kMediaFixed = 0xF8;
inline constexpr uint8_t kDriveNumberFirstHardDisk = 0x80;
inline constexpr uint8_t kExtendedBootSignature = 0x29;

// FSInfo offsets and signatures.
inline constexpr int kFsiLeadSignature = 0;
inline constexpr int kFsiStructSignature = 484;
inline constexpr int kFsiFreeCount = 488;
inline constexpr int kFsiNextFree = 492;
inline constexpr int kFsiTrailSignature = 508;
inline constexpr uint32_t kFsiLeadSignatureValue = 0x41615252;    // "RRaA"
inline constexpr uint32_t kFsiStructSignatureValue = 0x61417272;  // "rrAa"
inline constexpr uint32_t kFsiTrailSignatureValue = 0xAA550000;
inline constexpr uint32_t kFsiUnknown = 0xFFFFFFFF;

// FAT entries of a new volume.
inline constexpr uint32_t kFatEntry0 = 0x0FFFFFF8;
inline constexpr uint32_t kFatEndOfChain = 0x0FFFFFFF;

// Directory entry.
inline constexpr uint8_t kAttrVolumeLabel = 0x08;
inline constexpr int kDirEntryAttributes = 11;

// The 12-byte label buffer: the label (cut to 11 characters), zero-filled.
using LabelBuffer = std::array<char, kLabelLength + 1>;
LabelBuffer MakeLabelBuffer(const char* label);

struct BootSectorFields {
  uint16_t bytesPerSector;
  uint8_t sectorsPerCluster;
  uint16_t sectorsPerTrack;
  uint16_t heads;
  uint32_t totalSectors;
  uint32_t fatSize;
  uint32_t volumeId;
  LabelBuffer label;
};

// Each fills a zero-filled sector buffer; bytes they do not name stay zero.
void FillBootSector(std::span<uint8_t> sector, const BootSectorFields& fields);
void FillFsInfoSector(std::span<uint8_t> sector, uint32_t freeCount, uint32_t nextFree);
void FillFirstFatSector(std::span<uint8_t> sector);
// The first 12 bytes of the label entry (and, without the attribute, the
// BPB's volume label): the label padded with blanks to 11
// bytes, then the volume-label attribute.
std::array<uint8_t, 12> LabelEntryHead(const LabelBuffer& label);

}  // namespace ssdfwu
