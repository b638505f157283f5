// Who a disk is: the bridge family from the bridge code in the INQUIRY data,
// the SCSI vendor and product, and the ATA model and serial number read with
// IDENTIFY DEVICE tunnelled through the bridge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "discovery/device_table.h"

namespace ssdfwu {

// Standard INQUIRY data fields.
inline constexpr int kInquiryVendorOffset = 8;
inline constexpr int kInquiryVendorLength = 8;
inline constexpr int kInquiryProductOffset = 16;
inline constexpr int kInquiryProductLength = 16;
inline constexpr int kInquiryBridgeCodeOffset = 36;
inline constexpr int kInquiryBridgeCodeLength = 4;
inline constexpr uint8_t kBridgeInquiryLength = 40;
inline constexpr uint8_t kIdentityInquiryLength = 36;

// IDENTIFY DEVICE text fields (byte offsets of words 10-19 and 27-46).
inline constexpr int kIdentifySize = 512;
inline constexpr int kIdentifySerialOffset = 20;
inline constexpr int kIdentifySerialLength = 20;
inline constexpr int kIdentifyModelOffset = 54;
inline constexpr int kIdentifyModelLength = 40;

inline constexpr int kIdentifyOk = 1;
inline constexpr int kIdentifyFailed = 2;

// INQUIRY with the given allocation length; 1 when it completed, else 0.
int ScsiInquiry(std::string_view path, std::span<uint8_t> buffer, uint8_t allocationLength,
                uint32_t& transferred);

// The family the four-character code selects; 0 when no row matches.
uint8_t BridgeFamilyOfCode(std::span<const uint8_t, kInquiryBridgeCodeLength> code);
// The family of the bridge at path; 0 when no row matches or INQUIRY fails.
uint8_t GetBridgeFamily(std::string_view path);
// Families 7, 1, 11 and 8 are driven with ATA commands.
bool IsAtaBridgeFamily(uint8_t family);

// IDENTIFY DEVICE for index into blockCount × 512 bytes: 1 or 2. Refused
// (2, nothing sent) while ScsiCommandSet is set.
int IdentifyDevice(int8_t index, std::span<uint8_t> buffer, uint8_t blockCount);

// Same as IdentifyDevice but whatever ScsiCommandSet holds: discovery asks
// every ATA-family bridge for its identity, also after a Start that chose
// SCSI commands for another disk.
int IdentifyDeviceForDiscovery(int8_t index, std::span<uint8_t> buffer, uint8_t blockCount);

// Exchanges the bytes of every 16-bit word in place (ATA text order).
void SwapAtaString(uint8_t* buffer, std::size_t length);

// Record identity fields from the raw data; nothing is trimmed.
void StoreAtaIdentity(DeviceRecord& record, std::span<const uint8_t, kIdentifySize> identify);
void StoreScsiIdentity(DeviceRecord& record, std::span<const uint8_t> inquiry);

// Identity text as shown: leading and trailing codes 0..32 removed.
std::string TrimIdentity(std::string_view text);

}  // namespace ssdfwu
