// The SCSI_PASS_THROUGH_DIRECT header, the record that carries one command
// block to the operating system's direct SCSI pass-through. It is built and
// read here byte by byte, in the 32-bit layout (44 bytes) or the 64-bit
// layout (56 bytes), so the exact image a host hands on is known everywhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ssdfwu {

enum class HeaderLayout { k32Bit, k64Bit };

inline constexpr std::size_t kHeaderSize32 = 44;
inline constexpr std::size_t kHeaderSize64 = 56;
inline constexpr std::size_t kMaxCdbLength = 16;

constexpr std::size_t HeaderSize(HeaderLayout layout) {
  return layout == HeaderLayout::k32Bit ? kHeaderSize32 : kHeaderSize64;
}

// The layout of the program being built: a pointer is 4 or 8 bytes.
constexpr HeaderLayout NativeHeaderLayout() {
  return sizeof(void*) == 4 ? HeaderLayout::k32Bit : HeaderLayout::k64Bit;
}

inline constexpr uint8_t kScsiIoctlDataOut = 0;
inline constexpr uint8_t kScsiIoctlDataIn = 1;

// The header's fields. DataBuffer holds an address as the platform stores it.
struct ScsiPassThroughDirectHeader {
  uint16_t Length = 0;
  uint8_t ScsiStatus = 0;
  uint8_t PathId = 0;
  uint8_t TargetId = 0;
  uint8_t Lun = 0;
  uint8_t CdbLength = 0;
  uint8_t SenseInfoLength = 0;
  uint8_t DataIn = 0;
  uint32_t DataTransferLength = 0;
  uint32_t TimeOutValue = 0;
  uint64_t DataBuffer = 0;
  uint32_t SenseInfoOffset = 0;
  std::array<uint8_t, kMaxCdbLength> Cdb{};
};

// Field offsets of the two layouts.
struct HeaderOffsets {
  std::size_t length, scsiStatus, pathId, targetId, lun, cdbLength, senseInfoLength, dataIn;
  std::size_t dataTransferLength, timeOutValue, dataBuffer, dataBufferWidth, senseInfoOffset, cdb;
};
HeaderOffsets OffsetsOf(HeaderLayout layout);

// Writes every field into image (which must hold HeaderSize(layout) bytes);
// alignment bytes are left as they are. Cdb gets CdbLength bytes.
void EncodePassThroughHeader(const ScsiPassThroughDirectHeader& header, HeaderLayout layout,
                             std::span<uint8_t> image);

// Reads every field back from an image of HeaderSize(layout) bytes.
ScsiPassThroughDirectHeader DecodePassThroughHeader(std::span<const uint8_t> image,
                                                    HeaderLayout layout);

// The status byte that the request leaves in an encoded header.
uint8_t ScsiStatusOf(std::span<const uint8_t> image, HeaderLayout layout);

}  // namespace ssdfwu
