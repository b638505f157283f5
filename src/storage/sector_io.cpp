#include "storage/sector_io.h"

#include <optional>

#include "common/bytes.h"
#include "common/units.h"
#include "discovery/device_table.h"
#include "storage/command_blocks.h"
#include "storage/command_mode.h"
#include "storage/pass_through.h"

namespace ssdfwu {

namespace {

constexpr int kRw10CdbLength = 10;

// Block count of a READ(10) / WRITE(10) byte count, when it can be sent.
std::optional<uint16_t> Rw10Blocks(std::size_t byteCount) {
  if (byteCount % kSectorSize != 0) return std::nullopt;
  const std::size_t blocks = byteCount / kSectorSize;
  if (blocks > kRw10MaxBlocks) return std::nullopt;
  return static_cast<uint16_t>(blocks);
}

// The 12-byte block for count sectors at lba on the current command set.
std::optional<CommandBlock> SectorCommand(bool read, uint32_t count, uint32_t lba) {
  if (ScsiCommandSet != 0) {
    if (count == 0 || count > kRw10MaxBlocks) return std::nullopt;
    return BuildRw10(read ? kOpRead10 : kOpWrite10, lba, static_cast<uint16_t>(count));
  }
  if (count == 0 || count > kAtaMaxSectors || lba >= kAtaLbaLimit) return std::nullopt;
  return BuildAtaPassThrough12({.dataIn = read,
                                .command = read ? kAtaReadSectors : kAtaWriteSectors,
                                .sectorCount = static_cast<uint8_t>(count),
                                .lba = lba});
}

int TransferSectors(bool read, int8_t index, std::span<uint8_t> buffer, uint32_t count,
                    uint32_t lba) {
  const uint64_t length = SectorsToBytes(count);
  const std::optional<CommandBlock> cdb = SectorCommand(read, count, lba);
  const bool fits = buffer.size() >= length;
  if (cdb && fits &&
      SendDeviceCommand(PathOfIndex(index), read ? 1 : 0, *cdb, buffer.first(length)) ==
          kDeviceCommandOk) {
    return kSectorIoOk;
  }
  WriteSectorFailureRecord(buffer, {read ? kSectorFailureRead : kSectorFailureWrite, lba});
  return kSectorIoFailed;
}

}  // namespace

void WriteSectorFailureRecord(std::span<uint8_t> buffer, const SectorFailureRecord& record) {
  if (buffer.size() < kSectorFailureRecordSize) return;
  PutLe32(buffer.data(), record.operation);
  PutLe32(buffer.data() + 4, record.lba);
}

int Read10(std::string_view path, std::span<uint8_t> data, uint32_t lba) {
  const std::optional<uint16_t> blocks = Rw10Blocks(data.size());
  if (!blocks) return 0;
  const CommandBlock cdb = BuildRw10(kOpRead10, lba, *blocks);
  return ScsiPassThroughIn(path, std::span(cdb).first(kRw10CdbLength), data);
}

int Write10(std::string_view path, std::span<const uint8_t> data, uint32_t lba) {
  const std::optional<uint16_t> blocks = Rw10Blocks(data.size());
  if (!blocks) return 0;
  const CommandBlock cdb = BuildRw10(kOpWrite10, lba, *blocks);
  return ScsiPassThroughOut(path, std::span(cdb).first(kRw10CdbLength), data);
}

int ReadSectors(int8_t index, std::span<uint8_t> buffer, uint32_t count, uint32_t lba) {
  return TransferSectors(true, index, buffer, count, lba);
}

int WriteSectors(int8_t index, std::span<uint8_t> buffer, uint32_t count, uint32_t lba) {
  return TransferSectors(false, index, buffer, count, lba);
}

}  // namespace ssdfwu
