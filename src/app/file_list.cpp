#include "app/file_list.h"

#include "host/current_host.h"

namespace ssdfwu {

const std::vector<std::string>& FileListBox::Items() {
  if (!gathered_) {
    Host& host = CurrentHost();
    gathered_ = true;
    if (host.ChangeDirectory(directory_)) items_ = host.PlainFilesOfCurrentDirectory();
  }
  return items_;
}

std::string ExtractFileName(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

bool IsProgramsOwnFile(std::string_view entry, std::string_view programFileName) {
  return entry.size() <= programFileName.size() &&
         programFileName.compare(0, entry.size(), entry) == 0;
}

}  // namespace ssdfwu
