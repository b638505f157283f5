// Files on the FAT volume of an emulated disk, reached with mtools on the
// partition inside the image file (IMAGE@@OFFSET).
#pragma once

#include <cstdint>
#include <string>

namespace ssdfwu {

struct MtoolsVolume {
  std::string image;  // the image file
  uint64_t offset;    // the partition's first byte in it
};

// name is relative to the volume's root, with '\' or '/' between parts.
bool VolumeFileExists(const MtoolsVolume& volume, const std::string& name);
// Copies a host file onto the volume, replacing a file of that name.
bool CopyIntoVolume(const MtoolsVolume& volume, const std::string& source, const std::string& name);
bool DeleteFromVolume(const MtoolsVolume& volume, const std::string& name);

// Copies the files and the non-empty subdirectories of `directory` into the
// volume's root, overwriting without a prompt; hidden (dot) files are left
// out. Returns the exit status a copy command reports: 0 files copied,
// 1 nothing to copy, 4 the directory cannot be read, 5 a write failed.
int CopyDirectoryTree(const MtoolsVolume& volume, const std::string& directory);

}  // namespace ssdfwu
