#include "host/pass_through_header.h"

#include <algorithm>
#include <cassert>

#include "common/bytes.h"

namespace ssdfwu {

HeaderOffsets OffsetsOf(HeaderLayout layout) {
  if (layout == HeaderLayout::k32Bit) {
    return {.length = 0,
            .scsiStatus = 2,
            .pathId = 3,
            .targetId = 4,
            .lun = 5,
            .cdbLength = 6,
            .senseInfoLength = 7,
            .dataIn = 8,
            .dataTransferLength = 12,
            .timeOutValue = 16,
            .dataBuffer = 20,
            .dataBufferWidth = 4,
            .senseInfoOffset = 24,
            .cdb = 28};
  }
  // The 64-bit layout aligns the pointer to 8 bytes: four bytes of padding
  // after TimeOutValue, then the pointer, and the record ends padded to 56.
  return {.length = 0,
          .scsiStatus = 2,
          .pathId = 3,
          .targetId = 4,
          .lun = 5,
          .cdbLength = 6,
          .senseInfoLength = 7,
          .dataIn = 8,
          .dataTransferLength = 12,
          .timeOutValue = 16,
          .dataBuffer = 24,
          .dataBufferWidth = 8,
          .senseInfoOffset = 32,
          .cdb = 36};
}

void EncodePassThroughHeader(const ScsiPassThroughDirectHeader& header, HeaderLayout layout,
                             std::span<uint8_t> image) {
  assert(image.size() >= HeaderSize(layout));
  const HeaderOffsets at = OffsetsOf(layout);
  uint8_t* p = image.data();
  PutLe16(p + at.length, header.Length);
  p[at.scsiStatus] = header.ScsiStatus;
  p[at.pathId] = header.PathId;
  p[at.targetId] = header.TargetId;
  p[at.lun] = header.Lun;
  p[at.cdbLength] = header.CdbLength;
  p[at.senseInfoLength] = header.SenseInfoLength;
  p[at.dataIn] = header.DataIn;
  PutLe32(p + at.dataTransferLength, header.DataTransferLength);
  PutLe32(p + at.timeOutValue, header.TimeOutValue);
  if (at.dataBufferWidth == 4) {
    PutLe32(p + at.dataBuffer, static_cast<uint32_t>(header.DataBuffer));
  } else {
    PutLe64(p + at.dataBuffer, header.DataBuffer);
  }
  PutLe32(p + at.senseInfoOffset, header.SenseInfoOffset);
  const std::size_t cdbBytes = std::min<std::size_t>(header.CdbLength, kMaxCdbLength);
  std::copy_n(header.Cdb.begin(), cdbBytes, p + at.cdb);
}

ScsiPassThroughDirectHeader DecodePassThroughHeader(std::span<const uint8_t> image,
                                                    HeaderLayout layout) {
  assert(image.size() >= HeaderSize(layout));
  const HeaderOffsets at = OffsetsOf(layout);
  const uint8_t* p = image.data();
  ScsiPassThroughDirectHeader header;
  header.Length = GetLe16(p + at.length);
  header.ScsiStatus = p[at.scsiStatus];
  header.PathId = p[at.pathId];
  header.TargetId = p[at.targetId];
  header.Lun = p[at.lun];
  header.CdbLength = p[at.cdbLength];
  header.SenseInfoLength = p[at.senseInfoLength];
  header.DataIn = p[at.dataIn];
  header.DataTransferLength = GetLe32(p + at.dataTransferLength);
  header.TimeOutValue = GetLe32(p + at.timeOutValue);
  header.DataBuffer =
      at.dataBufferWidth == 4 ? GetLe32(p + at.dataBuffer) : GetLe64(p + at.dataBuffer);
  header.SenseInfoOffset = GetLe32(p + at.senseInfoOffset);
  std::copy_n(p + at.cdb, kMaxCdbLength, header.Cdb.begin());
  return header;
}

uint8_t ScsiStatusOf(std::span<const uint8_t> image, HeaderLayout layout) {
  return image[OffsetsOf(layout).scsiStatus];
}

}  // namespace ssdfwu
