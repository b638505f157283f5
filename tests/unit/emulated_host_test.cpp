// The emulated USB disk behaves like the platform and a real bridge: these
// tests hold it to that, since every other test relies on it.
#include "host/emulated/emulated_host.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "common/bytes.h"
#include "host/mbr_codec.h"
#include "host/pass_through_header.h"
#include "host/platform_constants.h"
#include "storage/pass_through.h"
#include "support/emulated_fixture.h"

namespace ssdfwu {
namespace {

using testing::Bytes;
using testing::HexOf;

class EmulatedHostTest : public testing::EmulatedFixture {
 protected:
  HostHandle OpenDisk(int id, uint32_t share = kFileShareRead | kFileShareWrite) {
    return host.Open(host.InterfacePathOf(id), kGenericRead | kGenericWrite, share, kOpenExisting,
                     0);
  }
  // One FAT32 partition from sector 63 over whole cylinders, as set through
  // the layout request.
  bool SetFat32Layout(HostHandle disk, int64_t length) {
    DriveLayoutInformation layout;
    EXPECT_TRUE(host.QueryDriveLayout(disk, layout));
    PartitionInformation& p = layout.PartitionEntry[0];
    p.StartingOffset = 32256;
    p.PartitionLength = length;
    p.PartitionType = 0x0B;
    p.BootIndicator = true;
    p.RewritePartition = true;
    return host.WriteDriveLayout(disk, layout);
  }
};

TEST_F(EmulatedHostTest, LayoutRequestsEncodeTheMbrTable) {
  const int id = AttachDisk(1'939'455);
  std::vector<uint8_t> sector0(512, 0x90);  // boot code to keep
  PutLe32(&sector0[0x1B8], 0xB1732E49);
  std::fill(sector0.begin() + 0x1BC, sector0.end(), 0);
  PutBootSignature(std::span<uint8_t, 512>(sector0.data(), 512));
  WriteImage(id, 0, sector0);
  const HostHandle disk = OpenDisk(id);
  DiskGeometry g;
  ASSERT_TRUE(host.QueryGeometry(disk, g));
  EXPECT_EQ(g.Cylinders, 120);
  EXPECT_EQ(g.TracksPerCylinder, 255u);
  EXPECT_EQ(g.SectorsPerTrack, 63u);
  EXPECT_EQ(g.BytesPerSector, 512u);
  ASSERT_TRUE(SetFat32Layout(disk, 987'001'344));
  const std::vector<uint8_t> mbr = ReadImage(id, 0);
  EXPECT_EQ(mbr[0], 0x90);
  EXPECT_EQ(HexOf({mbr.begin() + 0x1BE, mbr.begin() + 0x1CE}),
            "80 01 01 00 0b fe 3f 77 3f 00 00 00 39 6a 1d 00");
  EXPECT_EQ(HexOf({mbr.begin() + 0x1FE, mbr.end()}), "55 aa");

  DriveLayoutInformation back;
  ASSERT_TRUE(host.QueryDriveLayout(disk, back));
  EXPECT_EQ(back.PartitionCount, 4u);
  EXPECT_EQ(back.PartitionEntry[0].StartingOffset, 32256);
  EXPECT_EQ(back.PartitionEntry[0].PartitionLength, 987'001'344);
  EXPECT_EQ(back.PartitionEntry[0].PartitionNumber, 1u);
  EXPECT_TRUE(back.PartitionEntry[0].RecognizedPartition);
  EXPECT_EQ(back.Signature, 0xB1732E49u);
  EXPECT_TRUE(host.Close(disk));
}

TEST_F(EmulatedHostTest, ChsIsCappedPastCylinder1023) {
  const int id = AttachDisk(83'886'080);  // 40 GiB
  const HostHandle disk = OpenDisk(id);
  ASSERT_TRUE(SetFat32Layout(disk, 5221LL * 16065 * 512 - 32256));
  const std::vector<uint8_t> mbr = ReadImage(id, 0);
  EXPECT_EQ(HexOf({mbr.begin() + 0x1BE, mbr.begin() + 0x1C6}), "80 01 01 00 0b fe ff ff");
  EXPECT_TRUE(host.Close(disk));
}

TEST_F(EmulatedHostTest, RecognisedPartitionShowsAVolumeOnTheSameDeviceNumber) {
  const int first = AttachDisk(1'939'455);
  const int second = AttachDisk(1'939'455);
  EXPECT_EQ(host.LetterOf(first), 0) << "a blank disk has no volume";
  EXPECT_EQ(host.LogicalDrives(), 1u << 2) << "only the system drive C";
  for (int id : {first, second}) {
    const HostHandle disk = OpenDisk(id);
    ASSERT_TRUE(SetFat32Layout(disk, 987'001'344));
    EXPECT_TRUE(host.Close(disk));
  }
  // Each new volume takes the lowest free letter from E.
  EXPECT_EQ(host.LetterOf(first), 'E');
  EXPECT_EQ(host.LetterOf(second), 'F');
  EXPECT_EQ(host.DriveTypeOf("E:\\"), kDriveRemovable);
  StorageDeviceNumber diskNumber;
  StorageDeviceNumber volumeNumber;
  const HostHandle disk = host.Open(host.InterfacePathOf(second), 0, 3, kOpenExisting, 0);
  const HostHandle volume = host.Open("\\\\.\\F:", 0, 3, kOpenExisting, 0);
  ASSERT_TRUE(host.QueryDeviceNumber(disk, diskNumber));
  ASSERT_TRUE(host.QueryDeviceNumber(volume, volumeNumber));
  EXPECT_EQ(diskNumber.DeviceType, volumeNumber.DeviceType);
  EXPECT_EQ(diskNumber.DeviceNumber, volumeNumber.DeviceNumber);
  EXPECT_EQ(diskNumber.DeviceNumber, 2u);
  host.Close(disk);
  host.Close(volume);
}

TEST_F(EmulatedHostTest, ExclusiveOpenFailsWhileAnotherHandleIsOpen) {
  const int id = AttachDisk(4096);
  const HostHandle shared = OpenDisk(id);
  EXPECT_EQ(OpenDisk(id, 0), kInvalidHandleValue);
  EXPECT_EQ(host.LastError(), kErrorSharingViolation);
  host.Close(shared);
  const HostHandle exclusive = OpenDisk(id, 0);
  EXPECT_NE(exclusive, kInvalidHandleValue);
  EXPECT_EQ(OpenDisk(id), kInvalidHandleValue);
  host.Close(exclusive);
}

TEST_F(EmulatedHostTest, BridgeRefusesLengthsAndDirectionsThatDoNotFit) {
  const std::string path = host.InterfacePathOf(AttachDisk(4096, {.bridgeCode = "q413"}));
  std::vector<uint8_t> data(1024);
  const struct {
    const char* name;
    const char* cdb;
    bool dataIn;
    std::size_t length;
  } cases[] = {
      {"READ(10) of 1 block with 1,024 bytes", "28 00 00 00 00 00 00 00 01 00", true, 1024},
      {"READ(10) sent as data-out", "28 00 00 00 00 00 00 00 01 00", false, 512},
      {"READ(10) past the end", "28 00 00 00 10 00 00 00 01 00", true, 512},
      {"READ SECTORS, count 1, 1,024 bytes", "a1 08 0b 00 01 00 00 00 e0 20 00 00", true, 1024},
      {"READ SECTORS with T_DIR to the device", "a1 08 03 00 01 00 00 00 e0 20 00 00", true, 512},
      {"WRITE SECTORS with the PIO data-in protocol", "a1 08 03 00 01 00 00 00 e0 30 00 00", false,
       512},
      {"READ SECTORS in CHS addressing", "a1 08 0b 00 01 00 00 00 a0 20 00 00", true, 512},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> cdb = Bytes(c.cdb);
    const int result = c.dataIn ? ScsiPassThroughIn(path, cdb, std::span(data).first(c.length))
                                : ScsiPassThroughOut(path, cdb, std::span(data).first(c.length));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(commands().back().scsiStatus, 2);
  }
}

TEST_F(EmulatedHostTest, FaultsOnDemand) {
  EmulatedDiskConfig config;
  config.faults.failCommand = 2;
  config.faults.nonZeroReadLba = 5;
  config.faults.vanishAfter = 4;
  const int id = AttachDisk(4096, config);
  const std::string path = host.InterfacePathOf(id);
  std::vector<uint32_t> events;
  host.onDeviceChange = [&](uint32_t event) { events.push_back(event); };
  std::vector<uint8_t> data(512);
  const std::vector<uint8_t> read0 = Bytes("28 00 00 00 00 00 00 00 01 00");
  const std::vector<uint8_t> read5 = Bytes("28 00 00 00 00 05 00 00 01 00");
  EXPECT_EQ(ScsiPassThroughIn(path, read0, data), 1);
  EXPECT_EQ(ScsiPassThroughIn(path, read0, data), 0) << "second command fails";
  EXPECT_EQ(ScsiPassThroughIn(path, read0, data), 1);
  EXPECT_EQ(data[0], 0);
  EXPECT_EQ(ScsiPassThroughIn(path, read5, data), 1);
  EXPECT_NE(data[0], 0) << "sector 5 reads back non-zero";
  EXPECT_EQ(events, std::vector<uint32_t>{kDbtDeviceRemoveComplete}) << "gone after 4 commands";
  EXPECT_EQ(ScsiPassThroughIn(path, read0, data), 0);
  const HostHandle set = host.OpenDiskInterfaceSet();
  std::string listed;
  EXPECT_FALSE(host.DiskInterfacePath(set, 0, listed));
  host.CloseDiskInterfaceSet(set);
}

}  // namespace
}  // namespace ssdfwu
