// The process-wide table of listed disks. An index names a disk everywhere:
// it is the position of the disk's entry in the device list and the slot of
// its path in PathTable.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ssdfwu {

inline constexpr std::size_t kDeviceRecordCount = 16;
// Only the first 12 records can be addressed: PathTable has 12 entries.
inline constexpr std::size_t kMaxDevices = 12;
inline constexpr std::size_t kMaxPathLength = 255;

enum BusKind : uint8_t {
  kBusKindNone = 0,
  kBusKindIdeSata = 1,
  kBusKindScsi = 2,
  kBusKindUsb = 3,  // USB or SBP-2: the only kind that is listed
};

struct DeviceRecord {
  std::array<char, kMaxPathLength + 1> Path{};  // lower-cased device interface path
  std::array<char, 21> SerialNumber{};          // ATA identity, bytes swapped, untrimmed
  std::array<char, 41> ModelNumber{};
  uint8_t BusKind = kBusKindNone;
  char DriveLetter = 0;  // 'A'..'Z' of the first volume on the disk, 0 when none
  int32_t CapacityMB = 0;
  std::array<char, 9> VendorId{};  // SCSI identity, untrimmed
  std::array<char, 17> ProductId{};
};

extern std::array<DeviceRecord, kDeviceRecordCount> DeviceTable;
// Entry i refers to the path the storage commands open for index i.
extern std::array<const char*, kMaxDevices> PathTable;

// The path PathTable holds for index; empty for an index outside the table
// or an entry that refers to nothing.
std::string_view PathOfIndex(int8_t index);

// Points every PathTable entry at its own record's Path.
void ResetPathTable();

// Copies text into a fixed field, cut to fit, always terminated.
template <std::size_t N>
void StoreText(std::array<char, N>& field, std::string_view text) {
  const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  field.fill(0);
  text.copy(field.data(), n);
}

// The text of a fixed field, up to its first zero byte.
template <std::size_t N>
std::string_view TextOf(const std::array<char, N>& field) {
  std::size_t n = 0;
  while (n < N && field[n] != 0) ++n;
  return {field.data(), n};
}

}  // namespace ssdfwu
