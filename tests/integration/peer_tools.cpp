#include "integration/peer_tools.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/bytes.h"
#include "discovery/device_table.h"
#include "host/current_host.h"
#include "host/emulated/disk_image.h"
#include "host/emulated/emulated_host.h"
#include "storage/command_mode.h"
#include "volume/boot_install.h"
#include "volume/fat32_formatter.h"
#include "volume/partition_writer.h"

namespace ssdfwu::testing {

CommandResult RunPeer(const std::string& command) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {-1, "cannot run: " + command};
  std::string output;
  std::array<char, 4096> chunk;
  std::size_t n;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) output.append(chunk.data(), n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ssdfwu-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void CreateSparseImage(const std::string& path, uint64_t bytes) {
  const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    throw std::runtime_error("cannot create " + path);
  }
  close(fd);
}

void ExtractRange(const std::string& image, uint64_t offset, uint64_t length,
                  const std::string& out) {
  const int in = open(image.c_str(), O_RDONLY);
  const int to = open(out.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  if (in < 0 || to < 0 || ftruncate(to, static_cast<off_t>(length)) != 0) {
    throw std::runtime_error("cannot extract from " + image);
  }
  std::vector<char> buffer(1 << 20);
  const off_t end = static_cast<off_t>(offset + length);
  off_t data = lseek(in, static_cast<off_t>(offset), SEEK_DATA);
  while (data >= 0 && data < end) {
    off_t hole = lseek(in, data, SEEK_HOLE);
    if (hole < 0 || hole > end) hole = end;
    for (off_t at = data; at < hole;) {
      const std::size_t want = static_cast<std::size_t>(std::min<off_t>(hole - at, buffer.size()));
      const ssize_t got = pread(in, buffer.data(), want, at);
      if (got <= 0) throw std::runtime_error("read failed in " + image);
      if (pwrite(to, buffer.data(), static_cast<std::size_t>(got),
                 at - static_cast<off_t>(offset)) != got) {
        throw std::runtime_error("write failed to " + out);
      }
      at += got;
    }
    data = lseek(in, hole, SEEK_DATA);
  }
  close(in);
  close(to);
}

PartitionExtent FirstPartition(const std::string& image) {
  std::array<uint8_t, 512> mbr{};
  const int fd = open(image.c_str(), O_RDONLY);
  if (fd < 0 || pread(fd, mbr.data(), mbr.size(), 0) != 512) {
    throw std::runtime_error("cannot read the MBR of " + image);
  }
  close(fd);
  return {uint64_t{GetLe32(&mbr[0x1C6])} * 512, uint64_t{GetLe32(&mbr[0x1CA])} * 512};
}

std::string Mtools(const std::string& tool, const std::string& image) {
  return "MTOOLS_SKIP_CHECK=1 " + tool + " -i " +
         Quoted(image + "@@" + std::to_string(kPartitionOffset));
}

std::string PrepareVolume(const std::string& image, const std::string& bridge) {
  EmulatedHost host;
  ScopedCurrentHost installed(host);
  std::string error;
  std::unique_ptr<FileImage> file = FileImage::Open(image, error);
  if (!file) return error;
  EmulatedDiskConfig config;
  config.bridgeCode = bridge;
  const int id = host.Attach(std::move(file), config);
  DeviceTable = {};
  StoreText(DeviceTable[0].Path, host.InterfacePathOf(id));
  ResetPathTable();
  ScsiDeviceMode = bridge.empty() ? 1 : 0;
  ScsiCommandSet = static_cast<uint8_t>(ScsiDeviceMode);
  const std::string path = host.InterfacePathOf(id);
  if (PartitionByMbrImage(path) != 1) return "partition table";
  if (FormatFat32(path, "ISP", 0) != 1) return "format";
  std::array<uint8_t, 512> sector{};
  if (!InstallBootProgram(0, sector)) return "boot program";
  return {};
}

namespace {

std::string QemuCommand(const std::string& drive) {
  return "timeout 60 qemu-system-i386 -nodefaults -no-reboot -display none -vga std -m 32 "
         "-drive file=" +
         Quoted(drive) +
         ",format=raw,if=ide,index=0 "
         "-device isa-debug-exit,iobase=0xf4,iosize=0x04";
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// 80 x 25 cells of character and attribute.
std::string ScreenText(const std::string& cells) {
  std::string screen;
  for (std::size_t row = 0; row * 160 + 160 <= cells.size(); ++row) {
    std::string line;
    for (std::size_t col = 0; col < 80; ++col) line += cells[row * 160 + col * 2];
    line.erase(line.find_last_not_of(" \0") + 1);
    if (!line.empty()) screen += line + "\n";
  }
  return screen;
}

}  // namespace

SerialBoot BootForSerial(const std::string& drive, const std::string& serialFile) {
  const CommandResult run = RunPeer(QemuCommand(drive) + " -serial file:" + Quoted(serialFile));
  return {run.status, FileText(serialFile)};
}

std::string BootForScreen(const std::string& drive, const std::string& expected,
                          const std::string& dumpFile) {
  FILE* monitor = popen((QemuCommand(drive) + " -monitor stdio >/dev/null 2>&1").c_str(), "w");
  if (monitor == nullptr) return "cannot start qemu";
  std::string screen;
  for (int attempt = 0; attempt < 40 && screen.find(expected) == std::string::npos; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::fprintf(monitor, "pmemsave 0xb8000 4000 \"%s\"\n", dumpFile.c_str());
    std::fflush(monitor);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    screen = ScreenText(FileText(dumpFile));
  }
  std::fputs("quit\n", monitor);
  pclose(monitor);
  return screen;
}

}  // namespace ssdfwu::testing
