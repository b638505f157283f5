// Builders of the command blocks the storage layer sends: pure byte
// arithmetic on zero-filled blocks, from the named fields below.
#pragma once

#include <array>
#include <cstdint>

namespace ssdfwu {

// SCSI operation codes.
inline constexpr uint8_t kOpInquiry = 0x12;
inline constexpr uint8_t kOpReadCapacity10 = 0x25;
inline constexpr uint8_t kOpRead10 = 0x28;
inline constexpr uint8_t kOpWrite10 = 0x2A;
inline constexpr uint8_t kOpAtaPassThrough12 = 0xA1;

// ATA commands.
inline constexpr uint8_t kAtaReadSectors = 0x20;
inline constexpr uint8_t kAtaWriteSectors = 0x30;
inline constexpr uint8_t kAtaIdentifyDevice = 0xEC;

// READ(10) / WRITE(10) fields (big-endian).
inline constexpr int kRw10Lba = 2;             // bytes 2..5
inline constexpr int kRw10TransferLength = 7;  // bytes 7..8

// INQUIRY: allocation length in byte 4.
inline constexpr int kInquiryAllocationLength = 4;

// ATA PASS-THROUGH(12) fields.
inline constexpr int kSatProtocol = 1;  // MULTIPLE_COUNT 7-5, PROTOCOL 4-1
inline constexpr int kSatFlags = 2;     // OFF_LINE, CK_COND, T_DIR, BYT_BLOK, T_LENGTH
inline constexpr int kSatFeatures = 3;
inline constexpr int kSatSectorCount = 4;
inline constexpr int kSatLbaLow = 5;
inline constexpr int kSatLbaMid = 6;
inline constexpr int kSatLbaHigh = 7;
inline constexpr int kSatDevice = 8;
inline constexpr int kSatCommand = 9;

inline constexpr uint8_t kSatProtocolPioDataIn = 4;
inline constexpr uint8_t kSatProtocolPioDataOut = 5;
inline constexpr uint8_t kSatTDirFromDevice = 0x08;
inline constexpr uint8_t kSatByteBlock = 0x04;
inline constexpr uint8_t kSatTLengthInTransport = 0x03;
inline constexpr uint8_t kSatTLengthInSectorCount = 0x02;
// DEVICE: bits 7 and 5 set (obsolete, always one), bit 6 LBA addressing.
inline constexpr uint8_t kAtaDeviceLba = 0xE0;

// The 28-bit reach of the ATA commands and the sector counts they carry.
inline constexpr uint32_t kAtaLbaLimit = 1u << 28;
inline constexpr uint32_t kAtaMaxSectors = 255;
inline constexpr uint32_t kRw10MaxBlocks = 0xFFFF;

using CommandBlock = std::array<uint8_t, 12>;

// READ(10) or WRITE(10) in a 12-byte block; bytes 10 and 11 stay zero.
CommandBlock BuildRw10(uint8_t operation, uint32_t lba, uint16_t blocks);

// ATA PASS-THROUGH(12) with a PIO command in the 28-bit task file, the
// transfer length carried by the transport.
struct AtaPioCommand {
  bool dataIn;
  uint8_t command;
  uint8_t sectorCount;
  uint32_t lba;  // bits 0..27 are used
};
CommandBlock BuildAtaPassThrough12(const AtaPioCommand& ata);

}  // namespace ssdfwu
