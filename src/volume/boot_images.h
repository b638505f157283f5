// The two constant sector images the disk receives: the master boot record
// (sector 0) and the FAT32 boot program (bytes 90..511 of the boot sector).
// Both are assembled from the NASM sources under volume/boot/.
#pragma once

#include <array>
#include <cstdint>

namespace ssdfwu {

extern const std::array<uint8_t, 512> MbrImage;
extern const std::array<uint8_t, 512> Fat32BootImage;

// MbrImage: the texts, the bytes that select them, the disk signature.
inline constexpr int kMbrInvalidTableText = 0x12C;
inline constexpr int kMbrErrorLoadingText = 0x144;
inline constexpr int kMbrMissingOsText = 0x163;
inline constexpr int kMbrTextSelectors = 0x1B5;
inline constexpr uint32_t kMbrDiskSignature = 0xB1732E49;

// Fat32BootImage: the boot program region and its fixed places.
inline constexpr int kBootProgramStart = 90;
inline constexpr int kBootProgramEntry = 92;
inline constexpr int kBootLoadPointer = 118;
inline constexpr int kBootRelocatedEntry = 122;
inline constexpr int kBootLoadingText = 449;
inline constexpr int kBootNoKernelText = 494;
inline constexpr int kBootKernelName = 497;
inline constexpr int kBootSignature = 510;

}  // namespace ssdfwu
