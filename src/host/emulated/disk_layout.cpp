#include "host/emulated/disk_layout.h"

#include "common/bytes.h"
#include "host/mbr_codec.h"

namespace ssdfwu {

namespace {

// One partition as both layout forms describe it.
struct Slot {
  bool used;
  int64_t startingOffset;
  int64_t length;
  uint8_t type;
  bool boot;
};

Slot SlotOfEntry(const MbrEntry& entry, const LayoutGeometry& g) {
  return {.used = entry.type != 0 && entry.sectors != 0,
          .startingOffset = static_cast<int64_t>(entry.lbaFirst) * g.bytesPerSector,
          .length = static_cast<int64_t>(entry.sectors) * g.bytesPerSector,
          .type = entry.type,
          .boot = (entry.bootIndicator & kMbrActive) != 0};
}

bool EncodeSlot(SectorImage& sector0, int index, const Slot& slot, const LayoutGeometry& g) {
  MbrEntry entry;
  if (!slot.used) {
    WriteMbrEntry(sector0, index, entry);
    return true;
  }
  const int64_t b = g.bytesPerSector;
  if (b == 0 || slot.startingOffset <= 0 || slot.length <= 0 || slot.startingOffset % b != 0 ||
      slot.length % b != 0 ||
      static_cast<uint64_t>(slot.startingOffset + slot.length) > g.diskBytes) {
    return false;
  }
  const uint64_t first = static_cast<uint64_t>(slot.startingOffset / b);
  const uint64_t count = static_cast<uint64_t>(slot.length / b);
  if (first + count > 0x100000000ull) return false;  // beyond what 32-bit LBAs address
  entry.bootIndicator = slot.boot ? kMbrActive : 0;
  entry.type = slot.type;
  entry.lbaFirst = static_cast<uint32_t>(first);
  entry.sectors = static_cast<uint32_t>(count);
  entry.chsFirst = EncodeChs(first, g.heads, g.sectorsPerTrack);
  entry.chsLast = EncodeChs(first + count - 1, g.heads, g.sectorsPerTrack);
  WriteMbrEntry(sector0, index, entry);
  return true;
}

}  // namespace

DriveLayoutInformation LayoutOfSector(const SectorImage& sector0, const LayoutGeometry& g) {
  // The plain form reports four entries also for a disk that was never
  // partitioned, with signature 0 and every entry unused.
  DriveLayoutInformation layout;
  layout.PartitionCount = kMbrEntryCount;
  if (!HasBootSignature(sector0)) return layout;
  layout.Signature = GetLe32(&sector0[kMbrDiskSignatureOffset]);
  uint32_t number = 0;
  for (int i = 0; i < kMbrEntryCount; ++i) {
    const Slot slot = SlotOfEntry(ReadMbrEntry(sector0, i), g);
    PartitionInformation& p = layout.PartitionEntry[static_cast<std::size_t>(i)];
    if (!slot.used) continue;
    p.StartingOffset = slot.startingOffset;
    p.PartitionLength = slot.length;
    p.HiddenSectors = static_cast<uint32_t>(slot.startingOffset / g.bytesPerSector);
    p.PartitionNumber = ++number;
    p.PartitionType = slot.type;
    p.BootIndicator = slot.boot;
    p.RecognizedPartition = IsRecognizedPartitionType(slot.type);
  }
  return layout;
}

DriveLayoutInformationEx LayoutExOfSector(const SectorImage& sector0, const LayoutGeometry& g) {
  const DriveLayoutInformation plain = LayoutOfSector(sector0, g);
  DriveLayoutInformationEx layout;
  const bool raw = !HasBootSignature(sector0);
  layout.PartitionStyle = raw ? kPartitionStyleRaw : kPartitionStyleMbr;
  layout.PartitionCount = raw ? 0 : plain.PartitionCount;
  layout.Signature = plain.Signature;
  for (std::size_t i = 0; i < kMbrEntryCount; ++i) {
    const PartitionInformation& p = plain.PartitionEntry[i];
    PartitionInformationEx& e = layout.PartitionEntry[i];
    e.PartitionStyle = kPartitionStyleMbr;
    e.StartingOffset = p.StartingOffset;
    e.PartitionLength = p.PartitionLength;
    e.PartitionNumber = p.PartitionNumber;
    e.PartitionType = p.PartitionType;
    e.BootIndicator = p.BootIndicator;
    e.RecognizedPartition = p.RecognizedPartition;
    e.HiddenSectors = p.HiddenSectors;
  }
  return layout;
}

bool ApplyLayout(SectorImage& sector0, const DriveLayoutInformation& layout,
                 const LayoutGeometry& g) {
  if (layout.PartitionCount > kDriveLayoutEntries) return false;
  SectorImage updated = sector0;
  for (std::size_t i = 0; i < layout.PartitionCount; ++i) {
    const PartitionInformation& p = layout.PartitionEntry[i];
    const Slot slot{p.PartitionType != 0, p.StartingOffset, p.PartitionLength, p.PartitionType,
                    p.BootIndicator};
    if (i >= kMbrEntryCount) {
      if (slot.used) return false;  // only four primary entries exist
      continue;
    }
    if (!EncodeSlot(updated, static_cast<int>(i), slot, g)) return false;
  }
  PutLe32(&updated[kMbrDiskSignatureOffset], layout.Signature);
  PutBootSignature(updated);
  sector0 = updated;
  return true;
}

bool ApplyLayoutEx(SectorImage& sector0, const DriveLayoutInformationEx& layout,
                   const LayoutGeometry& g) {
  if (layout.PartitionStyle != kPartitionStyleMbr) return false;
  DriveLayoutInformation plain;
  plain.PartitionCount = layout.PartitionCount;
  plain.Signature = layout.Signature;
  for (std::size_t i = 0; i < kDriveLayoutExEntries && i < kDriveLayoutEntries; ++i) {
    const PartitionInformationEx& e = layout.PartitionEntry[i];
    if (e.PartitionStyle != kPartitionStyleMbr) return false;
    PartitionInformation& p = plain.PartitionEntry[i];
    p.StartingOffset = e.StartingOffset;
    p.PartitionLength = e.PartitionLength;
    p.PartitionType = e.PartitionType;
    p.BootIndicator = e.BootIndicator;
  }
  return ApplyLayout(sector0, plain, g);
}

SectorImage EmptyMbr(uint32_t signature) {
  SectorImage sector{};
  PutLe32(&sector[kMbrDiskSignatureOffset], signature);
  PutBootSignature(sector);
  return sector;
}

}  // namespace ssdfwu
