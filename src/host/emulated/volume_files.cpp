#include "host/emulated/volume_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

namespace ssdfwu {

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// "::/A/B" for "A\B".
std::string OnVolume(const std::string& name) {
  std::string path = "::/" + name;
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

int Mtools(const std::string& tool, const MtoolsVolume& volume, const std::string& arguments) {
  const std::string command = "MTOOLS_SKIP_CHECK=1 " + tool + " -i " +
                              Quoted(volume.image + "@@" + std::to_string(volume.offset)) + " " +
                              arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return status == 0 ? 0 : 1;
}

bool Hidden(const fs::path& path) {
  return path.filename().string().rfind('.', 0) == 0;
}

}  // namespace

bool VolumeFileExists(const MtoolsVolume& volume, const std::string& name) {
  return Mtools("mdir", volume, "-b " + Quoted(OnVolume(name))) == 0;
}

bool CopyIntoVolume(const MtoolsVolume& volume, const std::string& source,
                    const std::string& name) {
  return Mtools("mcopy", volume, "-D o " + Quoted(source) + " " + Quoted(OnVolume(name))) == 0;
}

bool DeleteFromVolume(const MtoolsVolume& volume, const std::string& name) {
  return Mtools("mdel", volume, Quoted(OnVolume(name))) == 0;
}

int CopyDirectoryTree(const MtoolsVolume& volume, const std::string& directory) {
  // The plain files to copy, by the directory (relative to the root) they go to.
  std::map<std::string, std::vector<std::string>> files;
  std::error_code error;
  fs::recursive_directory_iterator walk(directory, error);
  if (error) return 4;
  for (auto it = walk; it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (error) return 4;
    if (Hidden(it->path())) {
      if (it->is_directory()) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file()) continue;
    const fs::path relative = fs::relative(it->path().parent_path(), directory);
    files[relative == "." ? std::string() : relative.generic_string()].push_back(
        it->path().string());
  }
  if (files.empty()) return 1;
  for (const auto& [subdirectory, sources] : files) {
    // Parents first: the map is in path order, and mmd makes one level.
    if (!subdirectory.empty()) {
      fs::path made;
      for (const fs::path& part : fs::path(subdirectory)) {
        made /= part;
        if (!VolumeFileExists(volume, made.generic_string()) &&
            Mtools("mmd", volume, Quoted(OnVolume(made.generic_string()))) != 0) {
          return 5;
        }
      }
    }
    std::string arguments = "-D o";
    for (const std::string& source : sources) arguments += " " + Quoted(source);
    arguments += " " + Quoted(OnVolume(subdirectory) + (subdirectory.empty() ? "" : "/"));
    if (Mtools("mcopy", volume, arguments) != 0) return 5;
  }
  return 0;
}

}  // namespace ssdfwu
