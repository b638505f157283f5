#include "storage/volume_handle.h"

#include <cstdio>
#include <string>

#include "host/current_host.h"
#include "host/platform_constants.h"

namespace ssdfwu {

namespace {

bool IsDriveLetter(char letter) {
  return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

std::string Formatted(const char* format, char letter) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, format, letter);
  return buffer;
}

}  // namespace

std::string VolumePathOf(char letter) {
  return Formatted("\\\\.\\%c:", letter);
}

HostHandle OpenVolume(char letter) {
  if (!IsDriveLetter(letter)) return kInvalidHandleValue;
  Host& host = CurrentHost();
  const std::string root = Formatted("%c:\\", letter);
  uint32_t access;
  switch (host.DriveTypeOf(root)) {
    case kDriveRemovable:
    case kDriveFixed:
      access = kGenericRead | kGenericWrite;
      break;
    case kDriveCdrom:
      access = kGenericRead;
      break;
    default:
      return kInvalidHandleValue;
  }
  return host.Open(VolumePathOf(letter), access, kFileShareRead | kFileShareWrite, kOpenExisting,
                   0);
}

bool DismountVolume(HostHandle volume) {
  return CurrentHost().DismountVolume(volume);
}

bool UnlockVolume(HostHandle volume) {
  return CurrentHost().UnlockVolume(volume);
}

bool CloseVolume(HostHandle volume) {
  return CurrentHost().Close(volume);
}

}  // namespace ssdfwu
