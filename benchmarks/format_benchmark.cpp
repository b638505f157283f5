// Formatting sparse emulated USB disks of 32 GiB and 2 TiB less one sector,
// timed beside mkfs.fat -F 32 on images of the same size in the same run.
// Counters: bytes the formatter wrote and read through its commands, and the
// bytes each image holds on the host's disk afterwards.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "common/bytes.h"
#include "discovery/device_table.h"
#include "host/current_host.h"
#include "host/emulated/disk_image.h"
#include "host/emulated/emulated_host.h"
#include "host/tracing_host.h"
#include "storage/command_mode.h"
#include "volume/fat32_formatter.h"
#include "volume/partition_writer.h"

namespace {

using namespace ssdfwu;

std::string ImagePath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void CreateSparse(const std::string& path, uint64_t bytes) {
  const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) std::abort();
  close(fd);
}

double AllocatedBytes(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return static_cast<double>(st.st_blocks) * 512;
}

void BM_FormatFat32(benchmark::State& state) {
  const uint64_t bytes = static_cast<uint64_t>(state.range(0)) * 512;
  const std::string image = ImagePath("ssdfwu-bench.img");
  double written = 0;
  double read = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CreateSparse(image, bytes);
    EmulatedHost host;
    TracingHost tracer(host);
    ScopedCurrentHost installed(tracer);
    std::string error;
    const int id = host.Attach(FileImage::Open(image, error), {});
    DeviceTable = {};
    StoreText(DeviceTable[0].Path, host.InterfacePathOf(id));
    ResetPathTable();
    ScsiDeviceMode = 1;
    ScsiCommandSet = 1;
    const std::string path = host.InterfacePathOf(id);
    if (PartitionByMbrImage(path) != 1) state.SkipWithError("partition table");
    tracer.Clear();
    state.ResumeTiming();

    if (FormatFat32(path, "ISP", 0) != 1) state.SkipWithError("format");

    state.PauseTiming();
    written = read = 0;
    for (const CommandRecord& c : tracer.commands()) (c.dataIn ? read : written) += c.dataLength;
    state.ResumeTiming();
  }
  state.counters["bytes_written"] = written;
  state.counters["bytes_read"] = read;
  state.counters["image_bytes_on_disk"] = AllocatedBytes(image);
  std::filesystem::remove(image);
}

void BM_MkfsFat32(benchmark::State& state) {
  const uint64_t bytes = static_cast<uint64_t>(state.range(0)) * 512;
  const std::string image = ImagePath("ssdfwu-bench-mkfs.img");
  const std::string command = "mkfs.fat -F 32 -n ISP " + image + " >/dev/null 2>&1";
  for (auto _ : state) {
    state.PauseTiming();
    CreateSparse(image, bytes);
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0)
      state.SkipWithError("mkfs.fat failed (is dosfstools installed?)");
  }
  state.counters["image_bytes_on_disk"] = AllocatedBytes(image);
  std::filesystem::remove(image);
}

constexpr int64_t k32GiB = 32ll << 21;             // sectors
constexpr int64_t k2TiBLessOne = (1ll << 32) - 1;  // sectors

}  // namespace

BENCHMARK(BM_FormatFat32)
    ->Arg(k32GiB)
    ->Arg(k2TiBLessOne)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_MkfsFat32)
    ->Arg(k32GiB)
    ->Arg(k2TiBLessOne)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_MAIN();
