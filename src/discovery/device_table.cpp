#include "discovery/device_table.h"

namespace ssdfwu {

std::array<DeviceRecord, kDeviceRecordCount> DeviceTable{};
std::array<const char*, kMaxDevices> PathTable{};

std::string_view PathOfIndex(int8_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= kMaxDevices) return {};
  const char* path = PathTable[static_cast<std::size_t>(index)];
  return path != nullptr ? std::string_view(path) : std::string_view();
}

void ResetPathTable() {
  for (std::size_t i = 0; i < kMaxDevices; ++i) PathTable[i] = DeviceTable[i].Path.data();
}

}  // namespace ssdfwu
