#include "support/emulated_fixture.h"

#include <cstdio>
#include <sstream>

#include "discovery/device_table.h"
#include "host/emulated/disk_image.h"
#include "storage/command_mode.h"

namespace ssdfwu::testing {

EmulatedFixture::EmulatedFixture() {
  ScsiDeviceMode = 0;
  ScsiCommandSet = 0;
  DeviceTable = {};
  PathTable = {};
  host.settings().fixedLocalTime = SystemTime{2024, 3, 5, 15, 10, 20, 30, 456};
}

EmulatedFixture::~EmulatedFixture() = default;

void EmulatedFixture::TearDown() {
  EXPECT_EQ(host.openHandleCount(), 0u) << "a handle was left open";
  EXPECT_EQ(host.outstandingAllocations(), 0u) << "a buffer was not released";
}

int EmulatedFixture::AttachDisk(uint64_t sectors, EmulatedDiskConfig config) {
  return host.Attach(std::make_unique<MemoryImage>(sectors), std::move(config));
}

int8_t EmulatedFixture::List(int id, int8_t index) {
  DeviceRecord& record = DeviceTable[static_cast<std::size_t>(index)];
  StoreText(record.Path, host.InterfacePathOf(id));
  record.BusKind = kBusKindUsb;
  PathTable[static_cast<std::size_t>(index)] = record.Path.data();
  return index;
}

std::vector<uint8_t> EmulatedFixture::ReadImage(int id, uint64_t lba, uint32_t count) {
  std::vector<uint8_t> data(static_cast<std::size_t>(count) * 512);
  EXPECT_TRUE(host.disk(id).image().Read(lba, count, data.data()));
  return data;
}

void EmulatedFixture::WriteImage(int id, uint64_t lba, const std::vector<uint8_t>& data) {
  ASSERT_EQ(data.size() % 512, 0u);
  ASSERT_TRUE(
      host.disk(id).image().Write(lba, static_cast<uint32_t>(data.size() / 512), data.data()));
}

std::vector<uint8_t> Bytes(const std::string& hex) {
  std::vector<uint8_t> out;
  std::istringstream in(hex);
  std::string token;
  while (in >> token) out.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
  return out;
}

std::string HexOf(const std::vector<uint8_t>& bytes) {
  std::string out;
  for (uint8_t b : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, out.empty() ? "%02x" : " %02x", b);
    out += hex;
  }
  return out;
}

}  // namespace ssdfwu::testing
