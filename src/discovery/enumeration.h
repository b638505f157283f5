// Discovery: the present disk interfaces, the USB (and SBP-2) disks among
// them, their identity and drive letter, rebuilt into the device table from
// index 0 on every pass.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/device_table.h"

namespace ssdfwu {

inline constexpr std::size_t kMaxInterfaces = 80;
using PathBuffers = std::array<std::array<char, kMaxPathLength + 1>, kMaxInterfaces>;

// Stores up to 80 interface paths of at most 255 characters; a longer path
// or an 81st interface is left out with a debug line. The number stored.
uint32_t EnumerateDiskInterfaces(PathBuffers& paths);

// The bus kind of a lower-cased path: the first of "ide", "scsi", "usb",
// "sbp2" that occurs in it.
uint8_t BusKindOfPath(std::string_view lowerCasedPath);

// One pass over the present disks. Fills DeviceTable and PathTable from
// index 0 and returns the entry texts, one per filled record, in order.
struct DiscoveryPass {
  uint32_t interfaces = 0;           // 0: the list is left as it was
  std::vector<std::string> entries;  // the texts of records 0, 1, ...
};
DiscoveryPass RunDiscoveryPass();

}  // namespace ssdfwu
