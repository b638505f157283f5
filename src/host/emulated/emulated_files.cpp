// Files of the emulated machine: the working directory on the host's file
// system, and the volumes of emulated disks through mtools.
#include "host/emulated/emulated_host.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "host/emulated/volume_files.h"
#include "host/platform_constants.h"

namespace ssdfwu {

// --- Files ------------------------------------------------------------------------

bool EmulatedHost::MtoolsVolumeOf(char letter, MtoolsVolume& volume) {
  const Volume* found = VolumeAt(letter);
  if (found == nullptr || found->disk < 0) return false;
  const std::string image = disk(found->disk).image().FilePath();
  if (image.empty()) return false;  // a memory image has no file for mtools
  volume = {image, found->firstSector * kImageSectorSize};
  return true;
}

bool EmulatedHost::VolumeFileOf(const std::string& path, MtoolsVolume& volume, std::string& name) {
  if (path.size() < 4 || path[1] != ':' || path[2] != '\\') return false;
  name = path.substr(3);
  return MtoolsVolumeOf(path[0], volume);
}

bool EmulatedHost::FileExists(const std::string& path) {
  MtoolsVolume volume;
  std::string name;
  if (VolumeFileOf(path, volume, name)) return VolumeFileExists(volume, name);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool EmulatedHost::CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
  MtoolsVolume volume;
  std::string name;
  if (!VolumeFileOf(to, volume, name)) return Fail(kErrorNotSupported);
  std::error_code error;
  if (!std::filesystem::is_regular_file(from, error)) return Fail(kErrorFileNotFound);
  if (failIfExists && VolumeFileExists(volume, name)) return Fail(kErrorFileExists);
  return CopyIntoVolume(volume, from, name) ? Succeed() : Fail(kErrorIoDevice);
}

bool EmulatedHost::DeleteFileAt(const std::string& path) {
  MtoolsVolume volume;
  std::string name;
  if (!VolumeFileOf(path, volume, name)) return Fail(kErrorNotSupported);
  return DeleteFromVolume(volume, name) ? Succeed() : Fail(kErrorFileNotFound);
}

int EmulatedHost::RunCommandLine(const std::string& commandLine) {
  // The copy command, "xcopy *.* /S /Y X:\", copies the current directory.
  const std::string form = "xcopy *.* /s /y ";
  std::string lower = commandLine;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower.size() != form.size() + 3 || lower.compare(0, form.size(), form) != 0 ||
      lower.compare(form.size() + 1, 2, ":\\") != 0) {
    return -1;
  }
  MtoolsVolume volume;
  if (!MtoolsVolumeOf(commandLine[form.size()], volume)) return 4;
  std::error_code error;
  const std::string directory = std::filesystem::current_path(error).string();
  return error ? 4 : CopyDirectoryTree(volume, directory);
}

bool EmulatedHost::ChangeDirectory(const std::string& directory) {
  std::error_code error;
  std::filesystem::current_path(directory, error);
  return error ? Fail(kErrorFileNotFound) : Succeed();
}

std::vector<std::string> EmulatedHost::PlainFilesOfCurrentDirectory() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind('.', 0) == 0) continue;  // hidden
    if (entry.is_regular_file(error)) names.push_back(name);
  }
  // By name, as a list box sorts: letter case aside, then byte order.
  const auto folded = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  };
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    const std::string fa = folded(a);
    const std::string fb = folded(b);
    return fa != fb ? fa < fb : a < b;
  });
  return names;
}

}  // namespace ssdfwu
