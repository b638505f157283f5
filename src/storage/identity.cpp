#include "storage/identity.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "storage/command_blocks.h"
#include "storage/command_mode.h"
#include "storage/pass_through.h"

namespace ssdfwu {

namespace {

struct BridgeCodeRow {
  const char* code;
  uint8_t family;
};

// Tested in this order, exactly and case-sensitively.
constexpr std::array<BridgeCodeRow, 11> kBridgeCodes = {{
    {"q410", 1},
    {"q411", 9},
    {"q412", 4},
    {"q413", 7},
    {"q414", 8},
    {"q415", 10},
    {"Q41A", 10},
    {"q416", 10},
    {"q417", 10},
    {"Q41B", 10},
    {"q418", 11},
}};

CommandBlock IdentifyCommandBlock(uint8_t blockCount) {
  CommandBlock cdb{};
  cdb[0] = kOpAtaPassThrough12;
  cdb[kSatProtocol] = static_cast<uint8_t>(kSatProtocolPioDataIn << 1);
  cdb[kSatFlags] = kSatTDirFromDevice | kSatTLengthInTransport;
  cdb[kSatSectorCount] = blockCount;
  cdb[kSatDevice] = kAtaDeviceLba;
  cdb[kSatCommand] = kAtaIdentifyDevice;
  return cdb;
}

// Copies an ATA text field into an 80-byte zero-filled scratch area, swaps
// it into reading order and stores it up to its first zero byte.
template <std::size_t N>
void StoreAtaText(std::array<char, N>& field, const uint8_t* source, std::size_t length) {
  std::array<uint8_t, 80> scratch{};
  std::memcpy(scratch.data(), source, length);
  SwapAtaString(scratch.data(), length);
  const char* text = reinterpret_cast<const char*>(scratch.data());
  StoreText(field, std::string_view(text, strnlen(text, length)));
}

}  // namespace

int ScsiInquiry(std::string_view path, std::span<uint8_t> buffer, uint8_t allocationLength,
                uint32_t& transferred) {
  CommandBlock cdb{};
  cdb[0] = kOpInquiry;
  cdb[kInquiryAllocationLength] = allocationLength;
  transferred = 0;
  if (buffer.size() < allocationLength) return 0;
  return ScsiPassThroughIn(path, cdb, buffer.first(allocationLength), &transferred);
}

uint8_t BridgeFamilyOfCode(std::span<const uint8_t, kInquiryBridgeCodeLength> code) {
  for (const BridgeCodeRow& row : kBridgeCodes) {
    if (std::memcmp(code.data(), row.code, kInquiryBridgeCodeLength) == 0) return row.family;
  }
  return 0;
}

uint8_t GetBridgeFamily(std::string_view path) {
  std::array<uint8_t, kBridgeInquiryLength> inquiry{};
  uint32_t transferred = 0;
  if (ScsiInquiry(path, inquiry, kBridgeInquiryLength, transferred) != 1) return 0;
  return BridgeFamilyOfCode(
      std::span(inquiry).subspan<kInquiryBridgeCodeOffset, kInquiryBridgeCodeLength>());
}

bool IsAtaBridgeFamily(uint8_t family) {
  return family == 7 || family == 1 || family == 11 || family == 8;
}

int IdentifyDeviceForDiscovery(int8_t index, std::span<uint8_t> buffer, uint8_t blockCount) {
  const std::size_t length = static_cast<std::size_t>(blockCount) * kIdentifySize;
  if (blockCount == 0 || buffer.size() < length) return kIdentifyFailed;
  const CommandBlock cdb = IdentifyCommandBlock(blockCount);
  return SendDeviceCommand(PathOfIndex(index), 1, cdb, buffer.first(length)) == kDeviceCommandOk
             ? kIdentifyOk
             : kIdentifyFailed;
}

int IdentifyDevice(int8_t index, std::span<uint8_t> buffer, uint8_t blockCount) {
  if (ScsiCommandSet != 0) return kIdentifyFailed;
  return IdentifyDeviceForDiscovery(index, buffer, blockCount);
}

void SwapAtaString(uint8_t* buffer, std::size_t length) {
  for (std::size_t i = 0; i + 1 < length; i += 2) std::swap(buffer[i], buffer[i + 1]);
}

void StoreAtaIdentity(DeviceRecord& record, std::span<const uint8_t, kIdentifySize> identify) {
  StoreAtaText(record.SerialNumber, identify.data() + kIdentifySerialOffset, kIdentifySerialLength);
  StoreAtaText(record.ModelNumber, identify.data() + kIdentifyModelOffset, kIdentifyModelLength);
}

void StoreScsiIdentity(DeviceRecord& record, std::span<const uint8_t> inquiry) {
  std::array<char, kInquiryVendorLength + kInquiryProductLength> scratch{};
  const std::size_t available =
      inquiry.size() > kInquiryVendorOffset ? inquiry.size() - kInquiryVendorOffset : 0;
  std::memcpy(scratch.data(), inquiry.data() + kInquiryVendorOffset,
              std::min(available, scratch.size()));
  const auto textIn = [](const char* p, std::size_t n) {
    return std::string_view(p, strnlen(p, n));
  };
  StoreText(record.VendorId, textIn(scratch.data(), kInquiryVendorLength));
  StoreText(record.ProductId, textIn(scratch.data() + kInquiryVendorLength, kInquiryProductLength));
}

std::string TrimIdentity(std::string_view text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace ssdfwu
