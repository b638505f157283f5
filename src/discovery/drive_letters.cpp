#include "discovery/drive_letters.h"

#include <cctype>
#include <string>

#include "host/current_host.h"
#include "host/platform_constants.h"
#include "host/scoped.h"
#include "storage/volume_handle.h"

namespace ssdfwu {

namespace {

constexpr uint32_t kMountPollMs = 500;

char WindowsDriveLetter() {
  const std::string windows = CurrentHost().WindowsDirectory();
  return windows.empty() ? 0
                         : static_cast<char>(std::toupper(static_cast<unsigned char>(windows[0])));
}

bool SameDevice(const StorageDeviceNumber& a, const StorageDeviceNumber& b) {
  return a.DeviceType == b.DeviceType && a.DeviceNumber == b.DeviceNumber;
}

bool IsVolumeOfDisk(char letter, const StorageDeviceNumber& disk) {
  StorageDeviceNumber volume;
  return GetDeviceNumber(VolumePathOf(letter), volume) == 1 && SameDevice(volume, disk);
}

}  // namespace

int GetDeviceNumber(std::string_view path, StorageDeviceNumber& number) {
  Host& host = CurrentHost();
  ScopedHandle device(
      host, host.Open(std::string(path), 0, kFileShareRead | kFileShareWrite, kOpenExisting, 0));
  if (!device.valid()) return 0;
  const bool answered = host.QueryDeviceNumber(device.get(), number);
  const uint32_t lastError = host.LastError();
  device.Reset();
  return answered && lastError == kErrorSuccess ? 1 : 0;
}

int FindDriveLetter(std::string_view diskPath, char& letter) {
  Host& host = CurrentHost();
  const uint32_t present = host.LogicalDrives();
  StorageDeviceNumber disk;
  // Without the disk's own numbers no volume can be matched to it.
  if (GetDeviceNumber(diskPath, disk) != 1) return 0;
  const char windows = WindowsDriveLetter();
  for (char candidate = 'A'; candidate <= 'Z'; ++candidate) {
    if ((present & (1u << (candidate - 'A'))) == 0) continue;
    if (candidate == windows) continue;
    if (IsVolumeOfDisk(candidate, disk)) {
      letter = candidate;
      return 1;
    }
  }
  return 0;
}

char VolumeLetterOnDisk(std::string_view diskPath, char remembered, uint32_t waitMs) {
  StorageDeviceNumber disk;
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(remembered)));
  if (upper >= 'A' && upper <= 'Z' && upper != WindowsDriveLetter() &&
      GetDeviceNumber(diskPath, disk) == 1 && IsVolumeOfDisk(upper, disk)) {
    return upper;
  }
  for (uint32_t waited = 0;; waited += kMountPollMs) {
    char found = 0;
    if (FindDriveLetter(diskPath, found) == 1) return found;
    if (waited >= waitMs) return 0;
    CurrentHost().SleepMilliseconds(kMountPollMs);
  }
}

}  // namespace ssdfwu
