#include "volume/boot_install.h"

#include <algorithm>
#include <array>

#include "storage/sector_io.h"
#include "volume/boot_images.h"

namespace ssdfwu {

bool InstallBootProgram(int8_t index, std::span<uint8_t, 512> buffer) {
  if (ReadSectors(index, buffer, 1, kBootSectorLba) != kSectorIoOk) return false;
  std::copy(Fat32BootImage.begin() + kBootProgramStart, Fat32BootImage.end(),
            buffer.begin() + kBootProgramStart);
  std::array<uint8_t, 512> written;
  std::copy(buffer.begin(), buffer.end(), written.begin());
  if (WriteSectors(index, buffer, 1, kBootSectorLba) != kSectorIoOk) return false;
  if (WriteSectors(index, buffer, 1, kBackupBootSectorLba) != kSectorIoOk) return false;
  if (ReadSectors(index, buffer, 1, kBootSectorLba) != kSectorIoOk) return false;
  return std::equal(buffer.begin(), buffer.end(), written.begin());
}

}  // namespace ssdfwu
