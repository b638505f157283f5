// FileListBox1: the names of the plain files of the working directory, which
// Start copies onto the new volume. The directory is fixed when the window
// is made; the names are gathered once, when they are first read, and that
// also makes the directory the current one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ssdfwu {

class FileListBox {
 public:
  explicit FileListBox(std::string directory) : directory_(std::move(directory)) {}
  const std::string& Directory() const { return directory_; }
  void SetDirectory(std::string directory) { directory_ = std::move(directory); }
  // The names, gathered on the first call.
  const std::vector<std::string>& Items();
  bool gathered() const { return gathered_; }

 private:
  std::string directory_;
  bool gathered_ = false;
  std::vector<std::string> items_;
};

// The file-name part of a path: everything after the last '\', '/' or ':'.
std::string ExtractFileName(std::string_view path);

// An entry counts as the program's own file when the first L bytes of the
// program's file name equal the entry's L bytes, case significant; so the
// name itself and any leading part of it (the name without its extension)
// match.
bool IsProgramsOwnFile(std::string_view entry, std::string_view programFileName);

}  // namespace ssdfwu
