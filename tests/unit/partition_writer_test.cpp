#include "volume/partition_writer.h"

#include <gtest/gtest.h>

#include <optional>

#include "host/platform_constants.h"
#include "storage/command_mode.h"
#include "support/emulated_fixture.h"
#include "volume/boot_images.h"

namespace ssdfwu {
namespace {

using testing::HexOf;

// Keeps the layouts the writers hand to the host.
class LayoutCapture : public TracingHost {
 public:
  using TracingHost::TracingHost;
  bool WriteDriveLayout(HostHandle disk, const DriveLayoutInformation& layout) override {
    plain = layout;
    return TracingHost::WriteDriveLayout(disk, layout);
  }
  bool WriteDriveLayoutEx(HostHandle disk, const DriveLayoutInformationEx& layout) override {
    extended = layout;
    return TracingHost::WriteDriveLayoutEx(disk, layout);
  }
  std::optional<DriveLayoutInformation> plain;
  std::optional<DriveLayoutInformationEx> extended;
};

class PartitionWriterTest : public testing::EmulatedFixture {
 protected:
  LayoutCapture capture{host};
  ScopedCurrentHost installed{capture};

  int Disk(uint64_t sectors, EmulatedDiskConfig config = {}) {
    const int id = AttachDisk(sectors, config);
    List(id, 0);
    ScsiCommandSet = 1;
    return id;
  }
  std::string Path(int id) { return host.InterfacePathOf(id); }
};

TEST_F(PartitionWriterTest, MbrImageWriterRequestsInOrder) {
  const int id = Disk(1'939'455);
  ASSERT_EQ(PartitionByMbrImage(Path(id)), 1);
  const std::string p = Path(id);
  EXPECT_EQ(capture.requests(),
            (std::vector<std::string>{"open " + p + " access=c0000000 share=3 flags=80 ok",
                                      "geometry " + p + " ok", "write 512 " + p + " ok",
                                      "get-layout " + p + " ok", "set-layout " + p + " ok",
                                      "close " + p + " ok"}));
  const std::vector<uint8_t> mbr = ReadImage(id, 0);
  EXPECT_EQ(std::vector<uint8_t>(mbr.begin(), mbr.begin() + 0x1BE),
            std::vector<uint8_t>(MbrImage.begin(), MbrImage.begin() + 0x1BE));
  EXPECT_EQ(HexOf({mbr.begin() + 0x1BE, mbr.begin() + 0x1CE}),
            "80 01 01 00 0b fe 3f 77 3f 00 00 00 39 6a 1d 00");
  const PartitionInformation& entry = capture.plain->PartitionEntry[0];
  EXPECT_EQ(entry.StartingOffset, 32256);
  EXPECT_EQ(entry.PartitionLength, 987'001'344);
  EXPECT_EQ(entry.PartitionNumber, 1u);
  EXPECT_TRUE(entry.BootIndicator && entry.RecognizedPartition && entry.RewritePartition);
  EXPECT_EQ(host.LetterOf(id), 'E');
}

TEST_F(PartitionWriterTest, CreateDiskWriterSizesFromWholeCylindersOfTheCapacity) {
  const int id = Disk(1'939'455);
  capture.Clear();
  ASSERT_EQ(PartitionByCreateDisk(Path(id), 0), 1);
  const std::string p = Path(id);
  ASSERT_EQ(capture.commands().size(), 1u) << "the capacity, before the open";
  EXPECT_EQ(capture.commands()[0].cdb[0], 0x25);
  std::vector<std::string> requests = capture.requests();
  requests.erase(requests.begin(), requests.begin() + 2);  // the capacity command's open, close
  EXPECT_EQ(requests,
            (std::vector<std::string>{"open " + p + " access=c0000000 share=3 flags=80 ok",
                                      "geometry " + p + " ok", "create-disk " + p + " ok",
                                      "get-layout-ex " + p + " ok", "set-layout-ex " + p + " ok",
                                      "update-properties " + p + " ok",
                                      "update-properties " + p + " ok", "close " + p + " ok"}));
  const PartitionInformationEx& entry = capture.extended->PartitionEntry[0];
  EXPECT_EQ(entry.StartingOffset, 32256);
  EXPECT_EQ(entry.PartitionLength, 987'001'344) << "120 cylinders; 11,655 sectors left out";
  EXPECT_EQ(entry.PartitionType, 0x0B);
  const std::vector<uint8_t> mbr = ReadImage(id, 0);
  EXPECT_EQ(HexOf({mbr.begin() + 0x1C6, mbr.begin() + 0x1CE}), "3f 00 00 00 39 6a 1d 00");
}

TEST_F(PartitionWriterTest, LengthFollowsTheReportedGeometry) {
  // A reported sector size of 4,096 bytes: the offset stays 32,256 and the
  // length is the geometry product less 32,256 (the emulated disk refuses
  // the unaligned partition, as the platform would).
  const int big = Disk(16'065 * 64, {.bytesPerSector = 4096});
  EXPECT_EQ(PartitionByMbrImage(Path(big)), 0);
  ASSERT_TRUE(capture.plain);
  EXPECT_EQ(capture.plain->PartitionEntry[0].StartingOffset, 32256);
  EXPECT_EQ(capture.plain->PartitionEntry[0].PartitionLength, 8LL * 16'065 * 4096 - 32256);

  // Another geometry, 64 heads x 32 sectors: 976 whole cylinders.
  const int odd = Disk(2'000'000, {.tracksPerCylinder = 64, .sectorsPerTrack = 32});
  ASSERT_EQ(PartitionByMbrImage(Path(odd)), 1);
  EXPECT_EQ(capture.plain->PartitionEntry[0].PartitionLength, 976LL * 2048 * 512 - 32256);
}

TEST_F(PartitionWriterTest, FailuresAreZeroAndCloseTheHandle) {
  EXPECT_EQ(PartitionByMbrImage("\\\\?\\usbstor#gone"), 0);
  const int stick = Disk(1'939'455, {.readOnly = true});
  EXPECT_EQ(PartitionByMbrImage(Path(stick)), 0) << "write-protected";
  EXPECT_EQ(PartitionByCreateDisk(Path(stick), 0), 0);
  const int flat = Disk(1'939'455, {.tracksPerCylinder = 0});
  capture.Clear();
  EXPECT_EQ(PartitionByCreateDisk(Path(flat), 0), 0) << "no cylinder to size with";
  EXPECT_EQ(capture.requests().back(), "close " + Path(flat) + " ok");
}

TEST_F(PartitionWriterTest, PlatformCheck) {
  EXPECT_TRUE(IsNtPlatform());
  host.settings().platformId = kVerPlatformWin32Windows;
  EXPECT_FALSE(IsNtPlatform());
  host.settings().platformId = 0;  // what a failed query leaves
  EXPECT_FALSE(IsNtPlatform());
}

}  // namespace
}  // namespace ssdfwu
