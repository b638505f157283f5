#include "storage/sector_io.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "storage/command_mode.h"
#include "support/emulated_fixture.h"

namespace ssdfwu {
namespace {

using testing::Bytes;
using testing::HexOf;

class SectorIoTest : public testing::EmulatedFixture {
 protected:
  void SetUp() override {
    ataDisk = AttachDisk(20'000'000, {.bridgeCode = "q413"});
    List(ataDisk, 0);
  }
  std::string Path() { return host.InterfacePathOf(ataDisk); }
  int ataDisk = 0;
};

TEST_F(SectorIoTest, CommandBlocksAsSent) {
  std::vector<uint8_t> buffer(4096);
  struct Case {
    const char* name;
    uint8_t commandSet;
    std::function<int()> call;
    const char* cdb;
    bool dataIn;
    uint32_t length;
  };
  const Case cases[] = {
      {"ReadSectors, SCSI set, LBA 63", 1, [&] { return ReadSectors(0, buffer, 1, 63); },
       "28 00 00 00 00 3f 00 00 01 00 00 00", true, 512},
      {"WriteSectors, ATA set, LBA 69", 0, [&] { return WriteSectors(0, buffer, 1, 69); },
       "a1 0a 03 00 01 45 00 00 e0 30 00 00", false, 512},
      {"ReadSectors, ATA set, LBA 0x01020304", 0,
       [&] { return ReadSectors(0, buffer, 1, 16'909'060); }, "a1 08 0b 00 01 04 03 02 e1 20 00 00",
       true, 512},
      {"WriteSectors, SCSI set, 8 sectors", 1, [&] { return WriteSectors(0, buffer, 8, 2048); },
       "2a 00 00 00 08 00 00 00 08 00 00 00", false, 4096},
      {"Read10, 4096 bytes at LBA 2048", 0, [&] { return Read10(Path(), buffer, 2048); },
       "28 00 00 00 08 00 00 00 08 00", true, 4096},
      {"Write10, 512 bytes at LBA 63", 0,
       [&] { return Write10(Path(), std::span(buffer).first(512), 63); },
       "2a 00 00 00 00 3f 00 00 01 00", false, 512},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tracer.Clear();
    ScsiCommandSet = c.commandSet;
    EXPECT_EQ(c.call(), 1);
    ASSERT_EQ(commands().size(), 1u);
    EXPECT_EQ(HexOf(commands()[0].cdb), c.cdb);
    EXPECT_EQ(commands()[0].dataIn, c.dataIn);
    EXPECT_EQ(commands()[0].dataLength, c.length);
  }
}

TEST_F(SectorIoTest, SectorRoundTripsOnBothRoads) {
  const int scsiDisk = AttachDisk(4096);  // no bridge code: SCSI commands only
  List(scsiDisk, 1);
  struct Road {
    const char* name;
    int8_t index;
    int disk;
    uint8_t commandSet;
    uint8_t opcode;
  };
  for (const Road& road : {Road{"ATA", 0, ataDisk, 0, 0xA1}, Road{"SCSI", 1, scsiDisk, 1, 0x2A}}) {
    SCOPED_TRACE(road.name);
    tracer.Clear();
    ScsiCommandSet = road.commandSet;
    std::vector<uint8_t> out(512);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>(i * 7 + 1);
    std::vector<uint8_t> written = out;
    ASSERT_EQ(WriteSectors(road.index, out, 1, 100), 1);
    std::vector<uint8_t> in(512);
    ASSERT_EQ(ReadSectors(road.index, in, 1, 100), 1);
    EXPECT_EQ(in, written);
    EXPECT_EQ(ReadImage(road.disk, 100), written);
    EXPECT_EQ(commands()[0].cdb[0], road.opcode);
  }
}

TEST_F(SectorIoTest, FailuresLeaveTheRecordInTheBuffer) {
  host.disk(ataDisk).faults().failLbas = {{63, 69}};
  std::vector<uint8_t> buffer(512, 0xEE);
  EXPECT_EQ(ReadSectors(0, buffer, 1, 63), 2);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 8),
            Bytes("02 00 00 00 3f 00 00 00"));
  EXPECT_EQ(WriteSectors(0, buffer, 1, 69), 2);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 8),
            Bytes("01 00 00 00 45 00 00 00"));
}

TEST_F(SectorIoTest, WriteProtectedDiskRefusesTheWrite) {
  const int stick = AttachDisk(4096, {.readOnly = true});
  List(stick, 1);
  ScsiCommandSet = 1;
  std::vector<uint8_t> buffer(512, 0x11);
  EXPECT_EQ(WriteSectors(1, buffer, 1, 63), 2);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 8),
            Bytes("01 00 00 00 3f 00 00 00"));
  EXPECT_EQ(host.disk(stick).lastSenseKey(), kSenseDataProtect);
  EXPECT_EQ(ReadImage(stick, 63), std::vector<uint8_t>(512, 0));
}

TEST_F(SectorIoTest, RequestsThatCannotBeCarriedAreRefusedWithoutSending) {
  std::vector<uint8_t> buffer(65536 * 512);
  ScsiCommandSet = 0;
  EXPECT_EQ(ReadSectors(0, buffer, 1, 1u << 28), 2) << "beyond 28-bit LBA";
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 8),
            Bytes("02 00 00 00 00 00 00 10"));
  EXPECT_EQ(ReadSectors(0, buffer, 0, 63), 2);
  EXPECT_EQ(WriteSectors(0, buffer, 256, 63), 2);
  ScsiCommandSet = 1;
  EXPECT_EQ(ReadSectors(0, buffer, 65536, 0), 2);
  EXPECT_EQ(ReadSectors(12, buffer, 1, 0), 2) << "index outside the table";
  EXPECT_EQ(Read10(Path(), std::span(buffer).first(513), 0), 0) << "not whole sectors";
  EXPECT_EQ(Write10(Path(), std::span(buffer).first(65536 * 512), 0), 0) << "65,536 blocks";
  EXPECT_TRUE(commands().empty());
  EXPECT_TRUE(tracer.requests().empty());
}

}  // namespace
}  // namespace ssdfwu
