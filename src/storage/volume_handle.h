// The volume behind a drive letter: open it, dismount it so the system
// forgets its view of the old file system, unlock it, close it. The volume
// is never locked.
#pragma once

#include <string>

#include "host/host.h"

namespace ssdfwu {

// "\\.\X:", the device path of the volume of drive letter X.
std::string VolumePathOf(char letter);

// The volume handle, or kInvalidHandleValue when the letter is not a letter,
// the drive is neither removable, fixed nor CD-ROM, or the open fails.
HostHandle OpenVolume(char letter);
bool DismountVolume(HostHandle volume);
bool UnlockVolume(HostHandle volume);
bool CloseVolume(HostHandle volume);

}  // namespace ssdfwu
