#include "volume/fat32_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/bytes.h"
#include "support/emulated_fixture.h"
#include "volume/cluster_size.h"
#include "volume/volume_id.h"

namespace ssdfwu {
namespace {

using testing::HexOf;

TEST(ClusterSize, ThresholdsInSectors) {
  const struct {
    uint64_t sectors;
    uint8_t spc;
  } cases[] = {
      {1'048'576, 1},   {1'050'624, 8},   {16'777'216, 8},  {16'779'264, 16},
      {33'554'432, 16}, {33'556'480, 32}, {67'108'864, 32}, {67'110'912, 64},
  };
  for (const auto& c : cases) EXPECT_EQ(choose_spc(c.sectors * 512, 512), c.spc) << c.sectors;
  EXPECT_EQ(get_spc(4, 4096), 1);
  EXPECT_EQ(get_spc(4, 8192), 0) << "a sector larger than the cluster";
  EXPECT_EQ(get_spc(32, 0), 0);
}

TEST(ClusterSize, FatSizeAlwaysAddsOne) {
  EXPECT_EQ(get_fat_size_sectors(1'927'737, 32, 8, 2, 512), 1879u);
  EXPECT_EQ(get_fat_size_sectors(1'939'455, 32, 8, 2, 512), 1891u);
  EXPECT_EQ(get_fat_size_sectors(32 + 130, 32, 1, 2, 512), 2u) << "4 × 130 ÷ 520 = 1, + 1";
  EXPECT_EQ(get_fat_size_sectors(32, 32, 1, 2, 512), 1u) << "exact division still adds one";
}

TEST(VolumeId, FromLocalTime) {
  EXPECT_EQ(VolumeIdOf({2024, 3, 5, 15, 10, 20, 30, 456}), 0x11FC213Cu);
  // Both halves wrap modulo 65,536.
  EXPECT_EQ(VolumeIdOf({65535, 12, 0, 31, 23, 59, 59, 999}), 0x173A4782u);
}

TEST(Fat32Layout, BootSectorOfTheWorkedExample) {
  std::vector<uint8_t> sector(512);
  FillBootSector(sector, {.bytesPerSector = 512,
                          .sectorsPerCluster = 8,
                          .sectorsPerTrack = 63,
                          .heads = 255,
                          .totalSectors = 1'927'737,
                          .fatSize = 1879,
                          .volumeId = 0x11FC213C,
                          .label = MakeLabelBuffer("ISP")});
  EXPECT_EQ(HexOf({sector.begin(), sector.begin() + 90}),
            "eb 5a 90 4d 53 57 49 4e 34 2e 31 00 02 08 20 00 02 00 00 00 00 f8 00 00 "
            "3f 00 ff 00 3f 00 00 00 39 6a 1d 00 57 07 00 00 00 00 00 00 02 00 00 00 "
            "01 00 06 00 00 00 00 00 00 00 00 00 00 00 00 00 80 00 29 3c 21 fc 11 "
            "49 53 50 20 20 20 20 20 20 20 20 46 41 54 33 32 20 20 20");
  EXPECT_EQ(std::vector<uint8_t>(sector.begin() + 90, sector.begin() + 510),
            std::vector<uint8_t>(420, 0));
  EXPECT_EQ(HexOf({sector.begin() + 510, sector.end()}), "55 aa");
}

TEST(Fat32Layout, FsInfoAndFirstFatSector) {
  std::vector<uint8_t> fsInfo(512);
  FillFsInfoSector(fsInfo, 240'492, 3);
  EXPECT_EQ(HexOf({fsInfo.begin(), fsInfo.begin() + 4}), "52 52 61 41");
  EXPECT_EQ(HexOf({fsInfo.begin() + 484, fsInfo.end()}),
            "72 72 41 61 6c ab 03 00 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 55 aa");
  EXPECT_EQ(std::vector<uint8_t>(fsInfo.begin() + 4, fsInfo.begin() + 484),
            std::vector<uint8_t>(480, 0));
  std::vector<uint8_t> fat(512);
  FillFirstFatSector(fat);
  EXPECT_EQ(HexOf({fat.begin(), fat.begin() + 16}),
            "f8 ff ff 0f ff ff ff 0f ff ff ff 0f 00 00 00 00");
}

// The BPB carries the label blank-padded, exactly as the directory entry
// names it, so that checkers find the two equal.
TEST(Fat32Layout, LabelInTheBpbAndInTheDirectory) {
  const struct {
    const char* label;
    const char* bpb;    // bytes 71..81
    const char* entry;  // the entry's first 12 bytes
  } cases[] = {
      {"ISP", "49 53 50 20 20 20 20 20 20 20 20", "49 53 50 20 20 20 20 20 20 20 20 08"},
      {"FIRMWARE_DISK_2", "46 49 52 4d 57 41 52 45 5f 44 49",
       "46 49 52 4d 57 41 52 45 5f 44 49 08"},
      {"", "20 20 20 20 20 20 20 20 20 20 20", "20 20 20 20 20 20 20 20 20 20 20 08"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const LabelBuffer buffer = MakeLabelBuffer(c.label);
    EXPECT_EQ(buffer[11], 0);
    std::vector<uint8_t> sector(512);
    FillBootSector(sector, {.bytesPerSector = 512,
                            .sectorsPerCluster = 1,
                            .sectorsPerTrack = 63,
                            .heads = 255,
                            .totalSectors = 0,
                            .fatSize = 0,
                            .volumeId = 0,
                            .label = buffer});
    EXPECT_EQ(HexOf({sector.begin() + 71, sector.begin() + 82}), c.bpb);
    const std::array<uint8_t, 12> head = LabelEntryHead(buffer);
    EXPECT_EQ(HexOf({head.begin(), head.end()}), c.entry);
  }
}

}  // namespace
}  // namespace ssdfwu
