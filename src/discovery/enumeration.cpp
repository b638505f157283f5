#include "discovery/enumeration.h"

#include <array>
#include <cctype>
#include <memory>

#include "common/debug.h"
#include "discovery/device_table.h"
#include "discovery/drive_letters.h"
#include "host/current_host.h"
#include "host/platform_constants.h"
#include "storage/command_mode.h"
#include "storage/identity.h"

namespace ssdfwu {

namespace {

struct BusWord {
  const char* word;
  uint8_t kind;
};
// Tested in this order: "ide" before "usb", so a USB path that contains
// "ide" anywhere counts as IDE/SATA.
constexpr std::array<BusWord, 4> kBusWords = {{
    {"ide", kBusKindIdeSata},
    {"scsi", kBusKindScsi},
    {"usb", kBusKindUsb},
    {"sbp2", kBusKindUsb},
}};

void LowerCase(char* path) {
  for (; *path != 0; ++path)
    *path = static_cast<char>(std::tolower(static_cast<unsigned char>(*path)));
}

std::string EntryText(std::string_view first, std::string_view second, char letter) {
  std::string text = TrimIdentity(first) + " " + TrimIdentity(second);
  if (letter != 0) text += std::string(" (") + letter + ":)";
  return text;
}

// Identifies the disk at path into record r; the entry text, or empty when
// the disk did not answer.
std::string Identify(const char* path, std::size_t r) {
  DeviceRecord& record = DeviceTable[r];
  const uint8_t family = GetBridgeFamily(path);
  const bool ata = IsAtaBridgeFamily(family);
  if (ata) {
    // IDENTIFY finds its device through the table.
    PathTable[r] = path;
    std::array<uint8_t, kIdentifySize> identify{};
    const int identified = IdentifyDeviceForDiscovery(static_cast<int8_t>(r), identify, 1);
    PathTable[r] = record.Path.data();
    if (identified != kIdentifyOk) return {};
    StoreAtaIdentity(record, identify);
  } else {
    std::array<uint8_t, kIdentityInquiryLength> inquiry{};
    uint32_t transferred = 0;
    if (ScsiInquiry(path, inquiry, kIdentityInquiryLength, transferred) != 1) return {};
    StoreScsiIdentity(record, inquiry);
  }
  char letter = 0;
  record.DriveLetter = FindDriveLetter(path, letter) == 1 ? letter : 0;
  return ata ? EntryText(TextOf(record.ModelNumber), TextOf(record.SerialNumber),
                         record.DriveLetter)
             : EntryText(TextOf(record.VendorId), TextOf(record.ProductId), record.DriveLetter);
}

}  // namespace

uint32_t EnumerateDiskInterfaces(PathBuffers& paths) {
  Host& host = CurrentHost();
  const HostHandle set = host.OpenDiskInterfaceSet();
  if (set == kInvalidHandleValue) return 0;
  uint32_t stored = 0;
  std::string path;
  for (uint32_t member = 0; host.DiskInterfacePath(set, member, path); ++member) {
    if (stored == kMaxInterfaces) {
      DebugPrintf("More than %u disk interfaces: the others are left out\n",
                  static_cast<unsigned>(kMaxInterfaces));
      break;
    }
    if (path.size() > kMaxPathLength) {
      DebugPrintf("Interface path of %u characters left out\n", static_cast<unsigned>(path.size()));
      continue;
    }
    StoreText(paths[stored++], path);
  }
  host.CloseDiskInterfaceSet(set);
  return stored;
}

uint8_t BusKindOfPath(std::string_view lowerCasedPath) {
  for (const BusWord& row : kBusWords) {
    if (lowerCasedPath.find(row.word) != std::string_view::npos) return row.kind;
  }
  return kBusKindNone;
}

DiscoveryPass RunDiscoveryPass() {
  auto paths = std::make_unique<PathBuffers>();
  DiscoveryPass pass;
  pass.interfaces = EnumerateDiskInterfaces(*paths);
  DebugPrintf("nDevice = %d", static_cast<int>(pass.interfaces));
  std::size_t r = 0;
  for (uint32_t k = 0; k < pass.interfaces; ++k) {
    char* path = (*paths)[k].data();
    LowerCase(path);
    const uint8_t kind = BusKindOfPath(path);
    if (kind != kBusKindUsb) continue;
    if (r == kMaxDevices) {
      DebugPrintf("More than %u USB disks: %s is left out\n", static_cast<unsigned>(kMaxDevices),
                  path);
      continue;
    }
    DeviceTable[r].BusKind = kind;
    // The probing commands go as SCSI requests with the long timeout.
    ScsiDeviceMode = 1;
    DebugPrintf("DEVICE_USB");
    std::string entry = Identify(path, r);
    if (entry.empty()) continue;  // record r stays free for the next disk
    StoreText(DeviceTable[r].Path, path);
    PathTable[r] = DeviceTable[r].Path.data();
    pass.entries.push_back(std::move(entry));
    ++r;
  }
  return pass;
}

}  // namespace ssdfwu
