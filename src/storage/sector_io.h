// Sector reads and writes of 512-byte sectors.
//
// Read10 / Write10 always send READ(10) / WRITE(10) in a 10-byte block to a
// path (1 success, 0 failure). ReadSectors / WriteSectors take a device-table
// index and choose the command set by ScsiCommandSet: READ(10) / WRITE(10) in
// a 12-byte block, or ATA READ SECTORS / WRITE SECTORS in ATA
// PASS-THROUGH(12) (1 success, 2 failure with a SectorFailureRecord written
// over the start of the buffer).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace ssdfwu {

inline constexpr int kSectorIoOk = 1;
inline constexpr int kSectorIoFailed = 2;

// The 8 bytes a failed ReadSectors / WriteSectors leaves at the start of the
// caller's buffer, little-endian: the operation, then the LBA.
inline constexpr uint32_t kSectorFailureRead = 2;
inline constexpr uint32_t kSectorFailureWrite = 1;
inline constexpr int kSectorFailureRecordSize = 8;
struct SectorFailureRecord {
  uint32_t operation;
  uint32_t lba;
};
void WriteSectorFailureRecord(std::span<uint8_t> buffer, const SectorFailureRecord& record);

// data.size() is the byte count; it must be whole sectors, at most 65,535
// of them, or nothing is sent and the result is 0.
int Read10(std::string_view path, std::span<uint8_t> data, uint32_t lba);
int Write10(std::string_view path, std::span<const uint8_t> data, uint32_t lba);

// buffer must hold count × 512 bytes. On the ATA road an LBA of 2^28 or more
// or a count outside 1..255 fails without sending; so does a READ(10) /
// WRITE(10) count outside 1..65,535.
int ReadSectors(int8_t index, std::span<uint8_t> buffer, uint32_t count, uint32_t lba);
int WriteSectors(int8_t index, std::span<uint8_t> buffer, uint32_t count, uint32_t lba);

}  // namespace ssdfwu
