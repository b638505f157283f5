// Which drive letter belongs to a disk: a disk and a volume on it report the
// same storage device type and number.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/records.h"

namespace ssdfwu {

// 1 when the numbers were read, else 0.
int GetDeviceNumber(std::string_view path, StorageDeviceNumber& number);

// 1 and the letter of the first volume (A..Z, passing over absent letters
// and the Windows drive) on the disk at path; 0, output untouched, if none.
int FindDriveLetter(std::string_view diskPath, char& letter);

// The letter of a volume on the disk at diskPath, for acting on that disk
// only: `remembered` when it is still a volume of this disk, else one found
// again, waiting up to waitMs for the system to mount the volume; 0 when
// there is none.
char VolumeLetterOnDisk(std::string_view diskPath, char remembered, uint32_t waitMs);

}  // namespace ssdfwu
