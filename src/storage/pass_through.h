// One command block to one disk through direct SCSI pass-through: open the
// path, send exactly one request, close. Results are 1 for success and 0
// for failure; SendDeviceCommand answers 1, -1 (empty path) or -2 (failed).
//
// A request succeeds only when the system completed it and the device
// answered with SCSI status GOOD: a CHECK CONDITION (a write-protected
// stick refusing a write, say) is a failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace ssdfwu {

inline constexpr uint8_t kScsiStatusGood = 0x00;
inline constexpr uint8_t kScsiStatusCheckCondition = 0x02;

// Header fields every request carries.
inline constexpr uint8_t kPassThroughPathId = 0;
inline constexpr uint8_t kPassThroughTargetId = 1;
inline constexpr uint8_t kPassThroughLun = 0;
inline constexpr uint32_t kPassThroughSenseInfoOffset = 48;
// The block obtained per request: the header and 1,024 bytes behind it.
inline constexpr std::size_t kPassThroughBufferTail = 1024;

int ScsiPassThroughIn(std::string_view path, std::span<const uint8_t> cdb, std::span<uint8_t> data,
                      uint32_t* transferred = nullptr);
int ScsiPassThroughOut(std::string_view path, std::span<const uint8_t> cdb,
                       std::span<const uint8_t> data);
int ScsiPassThroughInTimed(std::string_view path, std::span<const uint8_t> cdb,
                           std::span<uint8_t> data, uint32_t timeoutSeconds);
int ScsiPassThroughOutTimed(std::string_view path, std::span<const uint8_t> cdb,
                            std::span<const uint8_t> data, uint32_t timeoutSeconds);

inline constexpr int kDeviceCommandOk = 1;
inline constexpr int kDeviceCommandEmptyPath = -1;
inline constexpr int kDeviceCommandFailed = -2;

// The entry point for sector and identify commands; dataIn nonzero reads
// into data, zero writes data out.
int SendDeviceCommand(std::string_view path, int dataIn, std::span<const uint8_t> cdb,
                      std::span<uint8_t> data);

}  // namespace ssdfwu
