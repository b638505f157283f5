// A disk behind a simulated USB bridge. It answers command blocks the way a
// bridge does: INQUIRY with the chosen bridge code, READ CAPACITY(10),
// READ(10) and WRITE(10) on every bridge, and ATA PASS-THROUGH(12) with
// IDENTIFY DEVICE, READ SECTORS and WRITE SECTORS on the bridges of the ATA
// families. Lengths and directions that do not fit the command are refused
// with CHECK CONDITION, never guessed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "host/emulated/disk_image.h"

namespace ssdfwu {

// Faults on demand.
struct DiskFaults {
  // The N-th command block (counting from 1) answers CHECK CONDITION.
  std::optional<uint64_t> failCommand{};
  // Reads and writes touching [first, last] answer CHECK CONDITION.
  std::optional<std::pair<uint64_t, uint64_t>> failLbas{};
  // Reads covering this sector return it with a non-zero first byte.
  std::optional<uint64_t> nonZeroReadLba{};
  // After this many command blocks the disk stops answering, as if pulled.
  std::optional<uint64_t> vanishAfter{};
  // This many opens of the disk fail, as when another program holds it.
  uint32_t failOpens = 0;
};

struct EmulatedDiskConfig {
  // Empty: a USB mass-storage interface path made from vendor and product.
  std::string interfacePath{};
  // Bytes 36..39 of the INQUIRY data; empty for none (zeros).
  std::string bridgeCode{};
  // INQUIRY answers only its first 36 bytes.
  bool shortInquiry = false;
  std::string vendor = "Generic";
  std::string product = "USB Disk";
  std::string revision = "1.00";
  std::string model = "Emulated SSD";
  std::string serial = "EMU0001";
  bool readOnly = false;
  bool removable = true;
  // Drive geometry as the disk-control requests report it.
  uint32_t bytesPerSector = 512;
  uint32_t tracksPerCylinder = 255;
  uint32_t sectorsPerTrack = 63;
  DiskFaults faults{};
};

// Sense keys of the CHECK CONDITION answers.
inline constexpr uint8_t kSenseMediumError = 0x03;
inline constexpr uint8_t kSenseIllegalRequest = 0x05;
inline constexpr uint8_t kSenseDataProtect = 0x07;
inline constexpr uint8_t kSenseAbortedCommand = 0x0B;

struct ScsiAnswer {
  uint8_t status = 0;
  uint32_t transferred = 0;
  uint8_t senseKey = 0;
};

class EmulatedDisk {
 public:
  EmulatedDisk(std::unique_ptr<DiskImage> image, EmulatedDiskConfig config);

  // Executes one command block; data is the transfer buffer the header
  // describes (its size is DataTransferLength).
  ScsiAnswer Execute(std::span<const uint8_t> cdb, bool dataIn, std::span<uint8_t> data);

  uint64_t SectorCount() const { return image_->SectorCount(); }
  bool ReadSector(uint64_t lba, uint8_t* out) { return image_->Read(lba, 1, out); }
  bool WriteSector(uint64_t lba, const uint8_t* in) { return image_->Write(lba, 1, in); }

  const EmulatedDiskConfig& config() const { return config_; }
  DiskFaults& faults() { return config_.faults; }
  DiskImage& image() { return *image_; }
  uint64_t commandCount() const { return commands_; }
  bool vanished() const { return vanished_; }
  void Vanish() { vanished_ = true; }
  uint8_t lastSenseKey() const { return lastSense_; }

 private:
  ScsiAnswer Inquiry(std::span<const uint8_t> cdb, bool dataIn, std::span<uint8_t> data);
  ScsiAnswer ReadCapacity(bool dataIn, std::span<uint8_t> data);
  ScsiAnswer ReadWrite10(std::span<const uint8_t> cdb, bool dataIn, std::span<uint8_t> data);
  ScsiAnswer AtaPassThrough(std::span<const uint8_t> cdb, bool dataIn, std::span<uint8_t> data);
  ScsiAnswer Identify(bool dataIn, std::span<uint8_t> data);
  ScsiAnswer TransferSectors(bool write, uint64_t lba, uint32_t count, std::span<uint8_t> data);
  ScsiAnswer Check(uint8_t senseKey);
  bool IsAtaBridge() const;

  std::unique_ptr<DiskImage> image_;
  EmulatedDiskConfig config_;
  uint64_t commands_ = 0;
  bool vanished_ = false;
  uint8_t lastSense_ = 0;
};

}  // namespace ssdfwu
