#include "storage/capacity.h"

#include <array>

#include "common/bytes.h"
#include "common/units.h"
#include "discovery/device_table.h"
#include "storage/command_blocks.h"
#include "storage/command_mode.h"
#include "storage/identity.h"
#include "storage/pass_through.h"

namespace ssdfwu {

namespace {
constexpr std::size_t kCapacityBufferSize = 512;
}  // namespace

int ReadCapacity10(int8_t index, std::span<uint8_t> buffer, uint8_t blockCount) {
  if (ScsiCommandSet == 0) return kReadCapacityFailed;
  const std::size_t length = static_cast<std::size_t>(blockCount) * kSectorSize;
  if (buffer.size() < length) return kReadCapacityFailed;
  CommandBlock cdb{};
  cdb[0] = kOpReadCapacity10;
  return ScsiPassThroughIn(PathOfIndex(index), cdb, buffer.first(length)) == 1
             ? kReadCapacityOk
             : kReadCapacityFailed;
}

uint32_t SectorsFromIdentifyData(std::span<const uint8_t> identify) {
  const uint32_t lba28 = GetLe32(identify.data() + kIdentifyLba28Offset);
  if (lba28 != kIdentifyLba28Saturated) return lba28;
  const uint64_t lba48 = GetLe64(identify.data() + kIdentifyLba48Offset) & 0xFFFFFFFFFFFFull;
  return lba48 > kMaxSectorCount ? kMaxSectorCount : static_cast<uint32_t>(lba48);
}

uint32_t SectorsFromReadCapacityData(std::span<const uint8_t> answer) {
  const uint32_t lastLba = GetBe32(answer.data());
  return lastLba == kMaxSectorCount ? kMaxSectorCount : lastLba + 1;
}

uint32_t CapacityFromIdentify(int8_t index) {
  std::array<uint8_t, kCapacityBufferSize> identify{};
  if (IdentifyDevice(index, identify, 1) != kIdentifyOk) return 0;
  return SectorsFromIdentifyData(identify);
}

uint32_t CapacityFromReadCapacity(int8_t index) {
  std::array<uint8_t, kCapacityBufferSize> answer{};
  if (ReadCapacity10(index, answer, 1) != kReadCapacityOk) return 0;
  return SectorsFromReadCapacityData(answer);
}

uint32_t GetCapacitySectors(int8_t index) {
  return ScsiCommandSet != 0 ? CapacityFromReadCapacity(index) : CapacityFromIdentify(index);
}

uint64_t GetCapacityBytes(int8_t index) {
  return SectorsToBytes(GetCapacitySectors(index));
}

int32_t GetCapacityMB(int8_t index) {
  return SectorsToMB(GetCapacitySectors(index));
}

}  // namespace ssdfwu
