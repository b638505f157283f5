// How the emulated disk-control requests read and write the partition table
// in sector 0, as the platform's disk driver does for an MBR disk.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "host/records.h"

namespace ssdfwu {

struct LayoutGeometry {
  uint32_t bytesPerSector;
  uint32_t heads;
  uint32_t sectorsPerTrack;
  uint64_t diskBytes;
};

using SectorImage = std::array<uint8_t, 512>;

DriveLayoutInformation LayoutOfSector(const SectorImage& sector0, const LayoutGeometry& g);
DriveLayoutInformationEx LayoutExOfSector(const SectorImage& sector0, const LayoutGeometry& g);

// Rewrites the table (and the signature) in sector0, keeping the boot code.
// False when an entry does not fit the disk or its sectors.
bool ApplyLayout(SectorImage& sector0, const DriveLayoutInformation& layout,
                 const LayoutGeometry& g);
bool ApplyLayoutEx(SectorImage& sector0, const DriveLayoutInformationEx& layout,
                   const LayoutGeometry& g);

// A fresh MBR: zero boot code, the signature, an empty table, 55 AA.
SectorImage EmptyMbr(uint32_t signature);

}  // namespace ssdfwu
