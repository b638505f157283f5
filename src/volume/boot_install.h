// Installing the FAT32 boot program into the new volume's boot sectors.
#pragma once

#include <cstdint>
#include <span>

namespace ssdfwu {

inline constexpr uint32_t kBootSectorLba = 63;
inline constexpr uint32_t kBackupBootSectorLba = 69;

// Reads sector 63, puts bytes 90..511 of Fat32BootImage over bytes 90..511
// (bytes 0..89, the formatter's jump and BPB, stay), writes the result to
// sectors 63 and 69, and reads sector 63 again, which must equal what was
// written. buffer is the caller's 512-byte sector buffer. True on success.
bool InstallBootProgram(int8_t index, std::span<uint8_t, 512> buffer);

}  // namespace ssdfwu
