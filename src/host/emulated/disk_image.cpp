#include "host/emulated/disk_image.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace ssdfwu {

bool MemoryImage::Read(uint64_t lba, uint32_t count, uint8_t* out) {
  if (lba > sectors_ || count > sectors_ - lba) return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* sector = out + static_cast<std::size_t>(i) * kImageSectorSize;
    const auto found = data_.find(lba + i);
    if (found == data_.end()) {
      std::memset(sector, 0, kImageSectorSize);
    } else {
      std::memcpy(sector, found->second.data(), kImageSectorSize);
    }
  }
  return true;
}

bool MemoryImage::Write(uint64_t lba, uint32_t count, const uint8_t* in) {
  if (lba > sectors_ || count > sectors_ - lba) return false;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* sector = in + static_cast<std::size_t>(i) * kImageSectorSize;
    const bool zero =
        std::all_of(sector, sector + kImageSectorSize, [](uint8_t b) { return b == 0; });
    if (zero) {
      data_.erase(lba + i);  // keeps a zeroed terabyte image small
    } else {
      std::memcpy(data_[lba + i].data(), sector, kImageSectorSize);
    }
  }
  return true;
}

std::unique_ptr<FileImage> FileImage::Open(const std::string& path, std::string& error,
                                           bool readOnly) {
  std::error_code code;
  const uintmax_t bytes = std::filesystem::file_size(path, code);
  if (code) {
    error = path + ": " + code.message();
    return nullptr;
  }
  // Unbuffered: mtools may change the file between two commands, and every
  // read must see the file as it is now.
  std::fstream file;
  file.rdbuf()->pubsetbuf(nullptr, 0);
  const auto mode =
      readOnly ? std::ios::in | std::ios::binary : std::ios::in | std::ios::out | std::ios::binary;
  file.open(path, mode);
  if (!file) {
    error = path + (readOnly ? ": cannot be opened for reading"
                             : ": cannot be opened for reading and writing");
    return nullptr;
  }
  // Absolute: the program changes its current directory, and mtools opens the
  // image by this name.
  const std::string absolute = std::filesystem::absolute(path, code).string();
  return std::unique_ptr<FileImage>(new FileImage(code ? path : absolute, std::move(file),
                                                  static_cast<uint64_t>(bytes) / kImageSectorSize,
                                                  readOnly));
}

bool FileImage::Read(uint64_t lba, uint32_t count, uint8_t* out) {
  if (lba > sectors_ || count > sectors_ - lba) return false;
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(lba * kImageSectorSize));
  file_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count) * kImageSectorSize);
  return static_cast<bool>(file_);
}

bool FileImage::Write(uint64_t lba, uint32_t count, const uint8_t* in) {
  if (readOnly_) return false;
  if (lba > sectors_ || count > sectors_ - lba) return false;
  file_.clear();
  file_.seekp(static_cast<std::streamoff>(lba * kImageSectorSize));
  file_.write(reinterpret_cast<const char*>(in),
              static_cast<std::streamsize>(count) * kImageSectorSize);
  return static_cast<bool>(file_);
}

}  // namespace ssdfwu
