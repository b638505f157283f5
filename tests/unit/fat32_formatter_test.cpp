#include "volume/fat32_formatter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "host/platform_constants.h"
#include "storage/command_mode.h"
#include "support/emulated_fixture.h"
#include "volume/partition_writer.h"

namespace ssdfwu {
namespace {

class FormatterTest : public testing::EmulatedFixture {
 protected:
  // A partitioned disk at index 0, on the road its bridge takes.
  int Prepare(uint64_t sectors, EmulatedDiskConfig config = {}) {
    const int id = AttachDisk(sectors, config);
    List(id, 0);
    ScsiCommandSet = config.bridgeCode.empty() ? 1 : 0;
    EXPECT_EQ(PartitionByMbrImage(host.InterfacePathOf(id)), 1);
    tracer.Clear();
    return id;
  }
  int Format(int id, const char* label = "ISP") {
    return FormatFat32(host.InterfacePathOf(id), label, 0);
  }
  // The WRITE(10) commands sent: (LBA, blocks).
  std::vector<std::pair<uint32_t, uint32_t>> Writes() const {
    std::vector<std::pair<uint32_t, uint32_t>> writes;
    for (const CommandRecord& c : commands()) {
      if (c.cdb[0] == 0x2A) writes.emplace_back(GetBe32(&c.cdb[2]), GetBe16(&c.cdb[7]));
    }
    return writes;
  }
  bool StdoutHas(const std::string& line) const {
    const auto& out = host.standardOutput();
    return std::find(out.begin(), out.end(), line) != out.end();
  }
};

TEST_F(FormatterTest, WorkedExampleSizesTheVolumeFromItsPartition) {
  const int id = Prepare(1'939'455, {.bridgeCode = "q413"});
  ASSERT_EQ(Format(id), 1);

  const std::vector<uint8_t> boot = ReadImage(id, 63);
  EXPECT_EQ(boot[13], 8) << "sectors per cluster";
  EXPECT_EQ(GetLe32(&boot[32]), 1'927'737u) << "total sectors = the partition";
  EXPECT_EQ(GetLe32(&boot[36]), 1879u) << "FAT size";
  EXPECT_EQ(GetLe32(&boot[67]), 0x11FC213Cu);
  EXPECT_EQ(ReadImage(id, 69), boot) << "backup boot sector";
  const std::vector<uint8_t> fsInfo = ReadImage(id, 64);
  EXPECT_EQ(GetLe32(&fsInfo[488]), 240'492u);
  EXPECT_EQ(GetLe32(&fsInfo[492]), 3u);
  EXPECT_EQ(ReadImage(id, 70), fsInfo);
  for (uint32_t fat : {95u, 1974u}) {
    const std::vector<uint8_t> sector = ReadImage(id, fat);
    EXPECT_EQ(GetLe32(&sector[8]), 0x0FFFFFFFu) << fat;
  }
  const std::vector<uint8_t> root = ReadImage(id, 3853);
  EXPECT_EQ(std::string(root.begin(), root.begin() + 12), "ISP        \x08");

  // 3,798 sectors zeroed from 63 in 30 bursts, 29 of 128 and one of 86.
  const auto writes = Writes();
  ASSERT_GE(writes.size(), 30u);
  EXPECT_EQ(writes[0], std::make_pair(63u, 128u));
  EXPECT_EQ(writes[29], std::make_pair(63u + 29 * 128, 86u));
  // The volume's last sector is the partition's last sector.
  const std::vector<uint8_t> mbr = ReadImage(id, 0);
  EXPECT_EQ(GetLe32(&mbr[0x1C6]) + GetLe32(&mbr[0x1CA]) - 1, 63u + 1'927'737 - 1);

  EXPECT_TRUE(StdoutHas("Size : 0GB 1927737 sectors\n"));
  EXPECT_TRUE(StdoutHas("512 Bytes Per Sector, Cluster size 4096 bytes\n"));
  EXPECT_TRUE(StdoutHas("Volume ID is 11fc:213c\n"));
  EXPECT_TRUE(StdoutHas("32 Reserved Sectors, 1879 Sectors per FAT, 2 fats\n"));
  EXPECT_TRUE(StdoutHas("240493 Total clusters\n"));
  EXPECT_TRUE(StdoutHas("240492 Free Clusters\n"));
  EXPECT_TRUE(
      StdoutHas("Clearing out 3798 sectors for Reserved sectors, fats and root cluster...\n"));
  EXPECT_TRUE(StdoutHas("Initialising reserved sectors and FATs...\n"));
  EXPECT_EQ(host.standardOutput().back(), "Done");
}

TEST_F(FormatterTest, WritesInOrderAfterTheZeroing) {
  const int id = Prepare(1'939'455);
  ASSERT_EQ(Format(id), 1);
  auto writes = Writes();
  ASSERT_EQ(writes.size(), 30u + 6 + 1);
  writes.erase(writes.begin(), writes.begin() + 30);
  EXPECT_EQ(writes, (std::vector<std::pair<uint32_t, uint32_t>>{
                        {63, 1}, {64, 1}, {69, 1}, {70, 1}, {95, 1}, {1974, 1}, {3853, 1}}));
  // Every burst is read back in full.
  std::size_t reads = 0;
  for (const CommandRecord& c : commands()) reads += c.cdb[0] == 0x28 && GetBe16(&c.cdb[7]) >= 86;
  EXPECT_EQ(reads, 30u);
}

TEST_F(FormatterTest, SmallDiskGetsTheDebugLineAndAFullFormat) {
  const int id = Prepare(60'000);  // 3 cylinders: 48,132 sectors
  EXPECT_EQ(Format(id), 1);
  const auto& debug = host.debugOutput();
  EXPECT_NE(
      std::find(debug.begin(), debug.end(),
                "This drive is too small for FAT32 - there must be at least 64K clusters\n\n"),
      debug.end());
  EXPECT_EQ(ReadImage(id, 63)[13], 1);
}

TEST_F(FormatterTest, DeviceThatCannotBeOpenedIsTriedFiveTimes) {
  const int id = Prepare(1'939'455);
  host.disk(id).faults().failOpens = 5;
  EXPECT_EQ(Format(id), 0);
  EXPECT_EQ(host.sleptMilliseconds(), 5000u);
  EXPECT_EQ(std::count(tracer.requests().begin(), tracer.requests().end(), "sleep 1000"), 5);
  EXPECT_TRUE(commands().empty()) << "nothing written";
  EXPECT_TRUE(host.standardOutput().empty());
}

TEST_F(FormatterTest, NonZeroReadBackStopsBeforeTheBootSector) {
  const int id = Prepare(1'939'455);
  host.disk(id).faults().nonZeroReadLba = 63 + 300;
  EXPECT_EQ(Format(id), 0);
  EXPECT_EQ(ReadImage(id, 63), std::vector<uint8_t>(512, 0)) << "no boot sector";
  EXPECT_EQ(Writes().size(), 3u) << "the third burst is the last";
  const auto& out = host.standardOutput();
  EXPECT_EQ(out.back(), "Done");
  EXPECT_EQ(out[out.size() - 2].rfind("Wrote 1944576 bytes in ", 0), 0u);
}

TEST_F(FormatterTest, WriteFailureStopsWithZero) {
  const int id = Prepare(1'939'455);
  host.disk(id).faults().failLbas = {{95, 95}};  // the first FAT sector
  EXPECT_EQ(Format(id), 0);
  const auto& debug = host.debugOutput();
  EXPECT_NE(std::find(debug.begin(), debug.end(), "Failed to write\n"), debug.end());
  EXPECT_EQ(host.standardOutput().back(), "Done");
}

TEST_F(FormatterTest, RefusesWhatItCannotFormatBeforeWritingAnything) {
  const struct {
    const char* name;
    uint32_t bytesPerSector;
    const char* box;
  } cases[] = {{"4,096-byte sectors", 4096, nullptr},
               {"no sector size", 0, "Format_direct qTotalSectors"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int id = AttachDisk(1'939'455, {.bytesPerSector = c.bytesPerSector});
    List(id, 0);
    tracer.Clear();
    EXPECT_EQ(Format(id), 0);
    EXPECT_EQ(host.debugOutput().back(),
              "This version of volforge only supports hard disks with 512 bytes per sector.\n\n");
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(host.messageBoxes().empty(), c.box == nullptr);
  }
}

TEST_F(FormatterTest, UnpartitionedDiskIsNotFormatted) {
  const int id = AttachDisk(1'939'455);
  List(id, 0);
  EXPECT_EQ(Format(id), 0);
  EXPECT_TRUE(commands().empty());
}

TEST_F(FormatterTest, BufferThatCannotBeObtainedReleasesTheOthers) {
  const int id = Prepare(1'939'455);
  host.FailAllocation(2);  // the FSInfo buffer
  EXPECT_EQ(Format(id), 0);
  const auto& debug = host.debugOutput();
  EXPECT_NE(std::find(debug.begin(), debug.end(), "Failed to allocate memory\n"), debug.end());
  EXPECT_TRUE(Writes().empty());
  // The fixture checks that the two obtained buffers were given back.
}

TEST_F(FormatterTest, ReleaseFailuresAreReported) {
  const int id = Prepare(1'939'455);
  const struct {
    std::size_t size;
    std::vector<std::string> lines;
  } cases[] = {
      {65536, {"Virtual Free fail!\n"}},  // the zeroing burst buffer
      {512,
       {"Virtual Free pFAT32BootSect fail!\n", "Virtual Free pFAT32FsInfo fail!\n",
        "Virtual Free pFAT32FatSect fail!\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    host.FailReleaseOfSize(c.size);
    ASSERT_EQ(Format(id), 1) << "the volume is written all the same";
    const auto& debug = host.debugOutput();
    for (const std::string& line : c.lines) {
      EXPECT_NE(std::find(debug.begin(), debug.end(), line), debug.end()) << line;
    }
  }
}

TEST_F(FormatterTest, StoppedCounterPrintsZeroSecondsAndRate) {
  const int id = Prepare(1'939'455);
  host.settings().counterFrequency = 0;
  ASSERT_EQ(Format(id), 1);
  EXPECT_TRUE(StdoutHas("Wrote 1944576 bytes in 0 seconds, 0.000000 bytes/sec\n"));
  EXPECT_EQ(host.messageBoxes(), std::vector<std::string>{"zero_sectors_LBA"});
}

}  // namespace
}  // namespace ssdfwu
