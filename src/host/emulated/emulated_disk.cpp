#include "host/emulated/emulated_disk.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "common/bytes.h"
#include "host/emulated/identify_data.h"

namespace ssdfwu {

namespace {

// Command blocks, as a bridge decodes them.
constexpr uint8_t kInquiry = 0x12;
constexpr uint8_t kReadCapacity10 = 0x25;
constexpr uint8_t kRead10 = 0x28;
constexpr uint8_t kWrite10 = 0x2A;
constexpr uint8_t kAtaPassThrough12 = 0xA1;
constexpr uint8_t kAtaIdentify = 0xEC;
constexpr uint8_t kAtaReadSectors = 0x20;
constexpr uint8_t kAtaWriteSectors = 0x30;
constexpr uint8_t kProtocolPioIn = 4;
constexpr uint8_t kProtocolPioOut = 5;

constexpr uint8_t kStatusGood = 0x00;
constexpr uint8_t kStatusCheckCondition = 0x02;

constexpr std::size_t kInquiryFullLength = 40;
constexpr std::size_t kInquiryShortLength = 36;

void PutPadded(uint8_t* field, std::size_t width, const std::string& text) {
  std::memset(field, ' ', width);
  std::memcpy(field, text.data(), std::min(width, text.size()));
}

}  // namespace

EmulatedDisk::EmulatedDisk(std::unique_ptr<DiskImage> image, EmulatedDiskConfig config)
    : image_(std::move(image)), config_(std::move(config)) {}

bool EmulatedDisk::IsAtaBridge() const {
  const std::string& code = config_.bridgeCode;
  return code == "q413" || code == "q410" || code == "q418" || code == "q414";
}

ScsiAnswer EmulatedDisk::Check(uint8_t senseKey) {
  lastSense_ = senseKey;
  return {.status = kStatusCheckCondition, .transferred = 0, .senseKey = senseKey};
}

ScsiAnswer EmulatedDisk::Execute(std::span<const uint8_t> cdb, bool dataIn,
                                 std::span<uint8_t> data) {
  ++commands_;
  lastSense_ = 0;
  if (config_.faults.failCommand && *config_.faults.failCommand == commands_) {
    return Check(kSenseMediumError);
  }
  if (cdb.empty()) return Check(kSenseIllegalRequest);
  switch (cdb[0]) {
    case kInquiry:
      return Inquiry(cdb, dataIn, data);
    case kReadCapacity10:
      return ReadCapacity(dataIn, data);
    case kRead10:
    case kWrite10:
      return ReadWrite10(cdb, dataIn, data);
    case kAtaPassThrough12:
      // SCSI-only bridges do not know the command.
      if (!IsAtaBridge()) return Check(kSenseIllegalRequest);
      return AtaPassThrough(cdb, dataIn, data);
    default:
      return Check(kSenseIllegalRequest);
  }
}

ScsiAnswer EmulatedDisk::Inquiry(std::span<const uint8_t> cdb, bool dataIn,
                                 std::span<uint8_t> data) {
  if (cdb.size() < 6 || !dataIn || (cdb[1] & 0x01) != 0) return Check(kSenseIllegalRequest);
  std::array<uint8_t, kInquiryFullLength> answer{};
  answer[0] = 0x00;                             // direct-access block device
  answer[1] = config_.removable ? 0x80 : 0x00;  // RMB
  answer[2] = 0x06;                             // SPC-4
  answer[3] = 0x02;                             // response data format
  const std::size_t length = config_.shortInquiry ? kInquiryShortLength : kInquiryFullLength;
  answer[4] = static_cast<uint8_t>(length - 5);
  PutPadded(&answer[8], 8, config_.vendor);
  PutPadded(&answer[16], 16, config_.product);
  PutPadded(&answer[32], 4, config_.revision);
  std::memcpy(&answer[36], config_.bridgeCode.data(),
              std::min<std::size_t>(4, config_.bridgeCode.size()));
  const std::size_t allocation = GetBe16(&cdb[3]);
  const std::size_t n = std::min({allocation, length, data.size()});
  std::copy_n(answer.begin(), n, data.begin());
  return {.status = kStatusGood, .transferred = static_cast<uint32_t>(n)};
}

ScsiAnswer EmulatedDisk::ReadCapacity(bool dataIn, std::span<uint8_t> data) {
  if (!dataIn) return Check(kSenseIllegalRequest);
  std::array<uint8_t, 8> answer{};
  const uint64_t last = SectorCount() - 1;
  PutBe32(&answer[0], last > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(last));
  PutBe32(&answer[4], kImageSectorSize);
  const std::size_t n = std::min(answer.size(), data.size());
  std::copy_n(answer.begin(), n, data.begin());
  return {.status = kStatusGood, .transferred = static_cast<uint32_t>(n)};
}

ScsiAnswer EmulatedDisk::ReadWrite10(std::span<const uint8_t> cdb, bool dataIn,
                                     std::span<uint8_t> data) {
  const bool write = cdb[0] == kWrite10;
  if (cdb.size() < 10 || dataIn == write) return Check(kSenseIllegalRequest);
  const uint32_t lba = GetBe32(&cdb[2]);
  const uint32_t blocks = GetBe16(&cdb[7]);
  if (data.size() != static_cast<std::size_t>(blocks) * kImageSectorSize) {
    return Check(kSenseIllegalRequest);
  }
  return TransferSectors(write, lba, blocks, data);
}

ScsiAnswer EmulatedDisk::AtaPassThrough(std::span<const uint8_t> cdb, bool dataIn,
                                        std::span<uint8_t> data) {
  if (cdb.size() < 12) return Check(kSenseIllegalRequest);
  const uint8_t protocol = (cdb[1] >> 1) & 0x0F;
  const uint8_t tLength = cdb[2] & 0x03;
  const bool byteBlock = (cdb[2] & 0x04) != 0;
  const bool fromDevice = (cdb[2] & 0x08) != 0;
  const uint8_t count = cdb[4];
  const uint8_t device = cdb[8];
  const uint8_t command = cdb[9];

  // A data command names its direction twice (protocol and T_DIR); both must
  // agree with the direction the request carries.
  const bool pioIn = protocol == kProtocolPioIn;
  const bool pioOut = protocol == kProtocolPioOut;
  if ((!pioIn && !pioOut) || fromDevice != pioIn || dataIn != pioIn) {
    return Check(kSenseIllegalRequest);
  }
  // The length of the transfer: from the transport, or in sectors in COUNT.
  std::size_t expected;
  const uint32_t sectors = count == 0 ? 256 : count;  // ATA: a count of 0 means 256
  if (tLength == 3) {
    expected = data.size();
  } else if (tLength == 2 && byteBlock) {
    expected = static_cast<std::size_t>(sectors) * kImageSectorSize;
  } else {
    return Check(kSenseIllegalRequest);
  }

  if (command == kAtaIdentify) {
    if (expected != 512 || data.size() != 512) return Check(kSenseIllegalRequest);
    return Identify(dataIn, data);
  }
  if (command != kAtaReadSectors && command != kAtaWriteSectors) return Check(kSenseAbortedCommand);
  const bool write = command == kAtaWriteSectors;
  if (write != pioOut || (device & 0x40) == 0) return Check(kSenseAbortedCommand);
  if (expected != data.size() ||
      data.size() != static_cast<std::size_t>(sectors) * kImageSectorSize) {
    return Check(kSenseIllegalRequest);
  }
  const uint32_t lba = static_cast<uint32_t>(cdb[5]) | (static_cast<uint32_t>(cdb[6]) << 8) |
                       (static_cast<uint32_t>(cdb[7]) << 16) |
                       (static_cast<uint32_t>(device & 0x0F) << 24);
  return TransferSectors(write, lba, sectors, data);
}

ScsiAnswer EmulatedDisk::Identify(bool dataIn, std::span<uint8_t> data) {
  if (!dataIn) return Check(kSenseIllegalRequest);
  const std::array<uint8_t, 512> identify =
      BuildIdentifyData(config_.model, config_.serial, SectorCount());
  std::copy(identify.begin(), identify.end(), data.begin());
  return {.status = kStatusGood, .transferred = 512};
}

ScsiAnswer EmulatedDisk::TransferSectors(bool write, uint64_t lba, uint32_t count,
                                         std::span<uint8_t> data) {
  if (lba > SectorCount() || count > SectorCount() - lba) return Check(kSenseIllegalRequest);
  const DiskFaults& faults = config_.faults;
  const uint64_t last = lba + count;  // one past
  if (faults.failLbas && count > 0 && lba <= faults.failLbas->second &&
      faults.failLbas->first < last) {
    return Check(kSenseMediumError);
  }
  if (write) {
    if (config_.readOnly) return Check(kSenseDataProtect);
    if (!image_->Write(lba, count, data.data())) return Check(kSenseMediumError);
  } else {
    if (!image_->Read(lba, count, data.data())) return Check(kSenseMediumError);
    if (faults.nonZeroReadLba && *faults.nonZeroReadLba >= lba && *faults.nonZeroReadLba < last) {
      data[static_cast<std::size_t>(*faults.nonZeroReadLba - lba) * kImageSectorSize] ^= 0xA5;
    }
  }
  return {.status = kStatusGood, .transferred = static_cast<uint32_t>(data.size())};
}

}  // namespace ssdfwu
