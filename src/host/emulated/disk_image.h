// What an emulated disk stores its sectors in: a sparse memory image for
// unit tests, or an image file whose size is the capacity.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace ssdfwu {

inline constexpr uint32_t kImageSectorSize = 512;

class DiskImage {
 public:
  virtual ~DiskImage() = default;
  virtual uint64_t SectorCount() const = 0;
  virtual bool Read(uint64_t lba, uint32_t count, uint8_t* out) = 0;
  virtual bool Write(uint64_t lba, uint32_t count, const uint8_t* in) = 0;
  // The backing file, or empty for a memory image.
  virtual std::string FilePath() const { return {}; }
};

// Holds only the sectors that were written; the rest read as zero.
class MemoryImage : public DiskImage {
 public:
  explicit MemoryImage(uint64_t sectors) : sectors_(sectors) {}
  uint64_t SectorCount() const override { return sectors_; }
  bool Read(uint64_t lba, uint32_t count, uint8_t* out) override;
  bool Write(uint64_t lba, uint32_t count, const uint8_t* in) override;

  uint64_t WrittenSectors() const { return data_.size(); }

 private:
  using Sector = std::array<uint8_t, kImageSectorSize>;
  uint64_t sectors_;
  std::map<uint64_t, Sector> data_;
};

class FileImage : public DiskImage {
 public:
  // Opens an existing image; the capacity is its size in whole sectors. A
  // read-only image is opened for reading only and refuses every write.
  static std::unique_ptr<FileImage> Open(const std::string& path, std::string& error,
                                         bool readOnly = false);
  uint64_t SectorCount() const override { return sectors_; }
  bool Read(uint64_t lba, uint32_t count, uint8_t* out) override;
  bool Write(uint64_t lba, uint32_t count, const uint8_t* in) override;
  std::string FilePath() const override { return path_; }

 private:
  FileImage(std::string path, std::fstream file, uint64_t sectors, bool readOnly)
      : path_(std::move(path)), file_(std::move(file)), sectors_(sectors), readOnly_(readOnly) {}
  std::string path_;
  std::fstream file_;
  uint64_t sectors_;
  bool readOnly_;
};

}  // namespace ssdfwu
