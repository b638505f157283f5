#include "storage/pass_through.h"

#include <algorithm>
#include <array>
#include <string>

#include "host/current_host.h"
#include "host/pass_through_header.h"
#include "host/platform_constants.h"
#include "host/scoped.h"
#include "storage/command_mode.h"

namespace ssdfwu {

namespace {

constexpr HeaderLayout kLayout = NativeHeaderLayout();
constexpr std::size_t kHeaderSize = HeaderSize(kLayout);

struct Transfer {
  bool dataIn;
  uint8_t* data;  // written only when dataIn
  std::size_t length;
  uint32_t timeoutSeconds;
};

uint64_t AddressOf(const void* p) {
  return reinterpret_cast<uintptr_t>(p);
}

// The common body of the four pass-through operations.
int PassThrough(std::string_view path, std::span<const uint8_t> cdb, const Transfer& transfer,
                uint32_t* transferred) {
  if (cdb.empty() || cdb.size() > kMaxCdbLength) return 0;
  Host& host = CurrentHost();
  ScopedHandle device(host, host.Open(std::string(path), kGenericRead | kGenericWrite,
                                      kFileShareRead | kFileShareWrite, kOpenExisting, 0));
  if (!device.valid()) return 0;
  HostMemory block(host, kHeaderSize + kPassThroughBufferTail);
  if (!block) return 0;

  // A 1-byte transfer travels as 2 bytes through a bounce buffer: the
  // caller's byte and a zero going out, the first returned byte coming in.
  std::array<uint8_t, 2> bounce{};
  const bool bounced = transfer.length == 1;
  if (bounced && !transfer.dataIn) bounce[0] = transfer.data[0];

  ScsiPassThroughDirectHeader header;
  header.Length = static_cast<uint16_t>(kHeaderSize);
  header.PathId = kPassThroughPathId;
  header.TargetId = kPassThroughTargetId;
  header.Lun = kPassThroughLun;
  header.CdbLength = static_cast<uint8_t>(cdb.size());
  header.SenseInfoLength = 0;
  header.DataIn = transfer.dataIn ? kScsiIoctlDataIn : kScsiIoctlDataOut;
  header.DataTransferLength = bounced ? 2 : static_cast<uint32_t>(transfer.length);
  header.DataBuffer = AddressOf(bounced ? bounce.data() : transfer.data);
  header.TimeOutValue = transfer.timeoutSeconds;
  header.SenseInfoOffset = kPassThroughSenseInfoOffset;
  std::copy(cdb.begin(), cdb.end(), header.Cdb.begin());

  const std::span<uint8_t> image = block.span().first(kHeaderSize);
  EncodePassThroughHeader(header, kLayout, image);
  const bool completed = host.ScsiPassThroughDirect(device.get(), image);
  const uint32_t lastError = host.LastError();

  if (bounced && transfer.dataIn) transfer.data[0] = bounce[0];
  const ScsiPassThroughDirectHeader answer = DecodePassThroughHeader(image, kLayout);
  if (transferred != nullptr) {
    *transferred =
        std::min<uint32_t>(answer.DataTransferLength, static_cast<uint32_t>(transfer.length));
  }
  return completed && lastError == kErrorSuccess && answer.ScsiStatus == kScsiStatusGood ? 1 : 0;
}

uint32_t PassThroughInTimeout() {
  return ScsiDeviceMode != 0 ? kPassThroughInLongTimeout : kPassThroughInShortTimeout;
}

// Data-out never writes into the buffer; the const is dropped only to share
// the one transfer record with data-in.
uint8_t* OutBuffer(std::span<const uint8_t> data) {
  return const_cast<uint8_t*>(data.data());
}

}  // namespace

int ScsiPassThroughIn(std::string_view path, std::span<const uint8_t> cdb, std::span<uint8_t> data,
                      uint32_t* transferred) {
  return PassThrough(path, cdb, {true, data.data(), data.size(), PassThroughInTimeout()},
                     transferred);
}

int ScsiPassThroughOut(std::string_view path, std::span<const uint8_t> cdb,
                       std::span<const uint8_t> data) {
  return PassThrough(path, cdb, {false, OutBuffer(data), data.size(), kPassThroughOutTimeout},
                     nullptr);
}

int ScsiPassThroughInTimed(std::string_view path, std::span<const uint8_t> cdb,
                           std::span<uint8_t> data, uint32_t timeoutSeconds) {
  return PassThrough(path, cdb, {true, data.data(), data.size(), timeoutSeconds}, nullptr);
}

int ScsiPassThroughOutTimed(std::string_view path, std::span<const uint8_t> cdb,
                            std::span<const uint8_t> data, uint32_t timeoutSeconds) {
  return PassThrough(path, cdb, {false, OutBuffer(data), data.size(), timeoutSeconds}, nullptr);
}

int SendDeviceCommand(std::string_view path, int dataIn, std::span<const uint8_t> cdb,
                      std::span<uint8_t> data) {
  if (path.empty()) return kDeviceCommandEmptyPath;
  int result;
  if (dataIn != 0) {
    const uint32_t timeout =
        ScsiDeviceMode != 0 ? kDeviceCommandInLongTimeout : kDeviceCommandInShortTimeout;
    result = ScsiPassThroughInTimed(path, cdb, data, timeout);
  } else {
    result = ScsiPassThroughOutTimed(path, cdb, data, kDeviceCommandOutTimeout);
  }
  return result == 1 ? kDeviceCommandOk : kDeviceCommandFailed;
}

}  // namespace ssdfwu
