// Helpers for the tests that hold prepared images against real peers:
// sparse image files, running a peer program, handing the partition to
// programs that take no offset, and preparing a volume through the core on
// an emulated USB disk backed by the image.
#pragma once

#include <cstdint>
#include <string>

namespace ssdfwu::testing {

inline constexpr uint64_t kPartitionOffset = 63 * 512;

struct CommandResult {
  int status;          // exit status, or -1 when it could not be run
  std::string output;  // standard output and standard error
};
CommandResult RunPeer(const std::string& command);

// Single-quoted for the shell.
std::string Quoted(const std::string& text);

// A fresh directory under the system's temporary directory, removed by the
// destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void CreateSparseImage(const std::string& path, uint64_t bytes);

// Copies bytes [offset, offset + length) of image into out, keeping holes.
void ExtractRange(const std::string& image, uint64_t offset, uint64_t length,
                  const std::string& out);

// The partition's offset and length from the MBR of image.
struct PartitionExtent {
  uint64_t offset;
  uint64_t length;
};
PartitionExtent FirstPartition(const std::string& image);

// mtools on the image's partition: "MTOOLS_SKIP_CHECK=1 <tool> -i 'image@@32256'".
std::string Mtools(const std::string& tool, const std::string& image);

// Partitions, formats (label ISP) and installs the boot program through the
// core, on an emulated disk of bridge `bridge` backed by the image.
// Returns what failed, or an empty text.
std::string PrepareVolume(const std::string& image, const std::string& bridge = "");

// QEMU (SeaBIOS) booting the image as its first hard disk. drive is the
// -drive file= value (the image, or a blkdebug: wrapper of it).
struct SerialBoot {
  int status;          // 33: the test kernel found itself whole
  std::string serial;  // what came out of COM1
};
SerialBoot BootForSerial(const std::string& drive, const std::string& serialFile);
// The text screen once it shows `expected` (or after about 20 seconds), one
// line per non-blank screen row.
std::string BootForScreen(const std::string& drive, const std::string& expected,
                          const std::string& dumpFile);

}  // namespace ssdfwu::testing
