#include "storage/capacity.h"

#include <gtest/gtest.h>

#include <array>

#include "common/bytes.h"
#include "storage/command_mode.h"
#include "support/emulated_fixture.h"

namespace ssdfwu {
namespace {

TEST(Capacity, FromIdentifyWords) {
  const struct {
    uint32_t words60;
    uint64_t words100;
    uint32_t sectors;
  } cases[] = {
      {268'435'454, 0, 268'435'454},  // one below the saturated value: used as it is
      {1'000'000, 1'000'000, 1'000'000},
      {0x0FFFFFFF, 300'000'000, 300'000'000},
      {0x0FFFFFFF, 0xFFFFFFFFull, 4'294'967'295},
      {0x0FFFFFFF, 1ull << 32, 4'294'967'295},        // never wraps to 0
      {0x0FFFFFFF, 7'814'037'168ull, 4'294'967'295},  // never keeps the low 32 bits
  };
  for (const auto& c : cases) {
    std::array<uint8_t, 512> identify{};
    PutLe32(&identify[120], c.words60);
    PutLe64(&identify[200], c.words100);
    EXPECT_EQ(SectorsFromIdentifyData(identify), c.sectors) << c.words60 << " / " << c.words100;
  }
}

TEST(Capacity, FromReadCapacityIsTheLastLbaPlusOne) {
  const struct {
    uint32_t lastLba;
    uint32_t sectors;
  } cases[] = {{0, 1}, {131'071, 131'072}, {0xFFFFFFFE, 0xFFFFFFFF}, {0xFFFFFFFF, 0xFFFFFFFF}};
  for (const auto& c : cases) {
    std::array<uint8_t, 8> answer{};
    PutBe32(answer.data(), c.lastLba);
    PutBe32(answer.data() + 4, 512);
    EXPECT_EQ(SectorsFromReadCapacityData(answer), c.sectors) << c.lastLba;
  }
}

class CapacityTest : public testing::EmulatedFixture {};

TEST_F(CapacityTest, BothRoadsMeasureTheSameDisk) {
  const struct {
    uint64_t sectors;
    uint64_t bytes;
    int32_t mb;
  } cases[] = {
      {69'631, 35'651'072, 33},
      {69'632, 35'651'584, 34},
      {0xFFFFFFFFull, 2'199'023'255'040ull, 2'097'151},
      {7'814'037'168ull, 2'199'023'255'040ull, 2'097'151},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sectors);
    const int ata = AttachDisk(c.sectors, {.bridgeCode = "q418"});
    const int scsi = AttachDisk(c.sectors);
    List(ata, 0);
    List(scsi, 1);
    ScsiCommandSet = 0;
    EXPECT_EQ(GetCapacityBytes(0), c.bytes);
    EXPECT_EQ(GetCapacityMB(0), c.mb);
    ScsiCommandSet = 1;
    EXPECT_EQ(GetCapacityBytes(1), c.bytes);
    EXPECT_EQ(GetCapacityMB(1), c.mb);
  }
}

TEST_F(CapacityTest, ReadCapacityCommandAndRefusal) {
  List(AttachDisk(131'072), 0);
  std::array<uint8_t, 512> answer{};
  EXPECT_EQ(ReadCapacity10(0, answer, 1), kReadCapacityFailed) << "ATA set chosen";
  EXPECT_TRUE(commands().empty());
  ScsiCommandSet = 1;
  EXPECT_EQ(ReadCapacity10(0, answer, 1), kReadCapacityOk);
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(testing::HexOf(commands()[0].cdb), "25 00 00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(commands()[0].dataLength, 512u);
  EXPECT_EQ(GetBe32(answer.data()), 131'071u);
}

TEST_F(CapacityTest, UnmeasurableDiskIsZero) {
  EmulatedDiskConfig config;
  config.faults.failCommand = 1;
  List(AttachDisk(69'632, config), 0);
  ScsiCommandSet = 1;
  EXPECT_EQ(GetCapacitySectors(0), 0u);
  ScsiCommandSet = 0;
  EXPECT_EQ(GetCapacityMB(0), 0) << "SCSI-only bridge: IDENTIFY fails";
}

}  // namespace
}  // namespace ssdfwu
