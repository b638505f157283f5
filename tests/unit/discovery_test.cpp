#include "discovery/enumeration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/main_form.h"
#include "discovery/device_table.h"
#include "discovery/drive_letters.h"
#include "host/mbr_codec.h"
#include "host/platform_constants.h"
#include "storage/command_mode.h"
#include "support/emulated_fixture.h"
#include "support/fake_view.h"

namespace ssdfwu {
namespace {

constexpr const char* kDiskClass = "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

class DiscoveryTest : public testing::EmulatedFixture {
 protected:
  testing::FakeView view;
  TMainForm form{view, "."};

  // A disk whose MBR holds recognised FAT32 partitions at the given entries.
  int PartitionedDisk(EmulatedDiskConfig config, std::vector<int> entries = {0}) {
    const int id = AttachDisk(4'000'000, std::move(config));
    std::vector<uint8_t> mbr(512);
    for (int entry : entries) {
      MbrEntry e;
      e.type = 0x0B;
      e.lbaFirst = 63 + static_cast<uint32_t>(entry) * 100'000;
      e.sectors = 90'000;
      WriteMbrEntry(std::span<uint8_t, 512>(mbr.data(), 512), entry, e);
    }
    PutBootSignature(std::span<uint8_t, 512>(mbr.data(), 512));
    WriteImage(id, 0, mbr);
    return id;
  }
  std::vector<std::string> Items() { return form.DeviceList.Items; }
};

TEST(BusKind, WordsInOrder) {
  const struct {
    const char* path;
    uint8_t kind;
  } cases[] = {
      {"\\\\?\\usbstor#disk&ven_slide&prod_x#1", kBusKindIdeSata},  // "ide" before "usb"
      {"\\\\?\\scsi#disk&ven_a#1", kBusKindScsi},
      {"\\\\?\\usbstor#disk&ven_a#1", kBusKindUsb},
      {"\\\\?\\sbp2#disk&ven_a#1", kBusKindUsb},
      {"\\\\?\\storage#volume#1", kBusKindNone},
  };
  for (const auto& c : cases) EXPECT_EQ(BusKindOfPath(c.path), c.kind) << c.path;
}

TEST_F(DiscoveryTest, ListsUsbAndSbp2DisksWithTheirIdentity) {
  AttachDisk(4096, {.bridgeCode = "q413", .model = "FAST SSD 120", .serial = "S3N1X"});
  AttachDisk(4096, {.vendor = "GUIDE", .product = "Stick"});  // "prod_guide": an IDE path
  AttachDisk(4096, {.interfacePath = std::string("\\\\?\\SBP2#Acme&Disk#1") + kDiskClass,
                    .vendor = "Acme",
                    .product = "FireDisk"});
  AttachDisk(4096, {.bridgeCode = "q418", .model = "", .serial = ""});
  form.FormCreate();
  EXPECT_EQ(view.registrations, 1);
  EXPECT_EQ(Items(), (std::vector<std::string>{"FAST SSD 120 S3N1X", "Acme FireDisk", " "}));
  EXPECT_EQ(TextOf(DeviceTable[1].Path), std::string("\\\\?\\sbp2#acme&disk#1") + kDiskClass);
  EXPECT_EQ(PathTable[1], DeviceTable[1].Path.data());
  EXPECT_TRUE(form.DeviceList.Enabled);
  EXPECT_EQ(form.DeviceList.Color, ControlColor::kWindow);
  EXPECT_EQ(form.DeviceList.ItemIndex, 0);
  EXPECT_TRUE(form.StartBn.Enabled);
  const auto& debug = host.debugOutput();
  EXPECT_EQ(debug.front(), "nDevice = 4");
  EXPECT_EQ(std::count(debug.begin(), debug.end(), "DEVICE_USB"), 3);
}

TEST_F(DiscoveryTest, DiskThatDoesNotAnswerLeavesItsRecordToTheNext) {
  EmulatedDiskConfig failing{.bridgeCode = "q413"};
  failing.faults.failCommand = 2;  // the IDENTIFY after the bridge INQUIRY
  AttachDisk(4096, failing);
  AttachDisk(4096, {.vendor = "Next", .product = "Disk"});
  form.FormCreate();
  EXPECT_EQ(Items(), std::vector<std::string>{"Next Disk"});
  EXPECT_EQ(TextOf(DeviceTable[0].VendorId), "Next    ");
}

TEST_F(DiscoveryTest, AtaBridgesAreListedAfterAStartThatChoseScsiCommands) {
  AttachDisk(4096, {.bridgeCode = "q410", .model = "M", .serial = "S"});
  ScsiCommandSet = 1;
  form.FormCreate();
  EXPECT_EQ(Items(), std::vector<std::string>{"M S"});
}

TEST_F(DiscoveryTest, DriveLettersInTheEntries) {
  host.AddForeignVolume({'F', kDriveRemovable, {kFileDeviceDisk, 50, 1}});
  PartitionedDisk({.vendor = "V", .product = "P"}, {0, 1});              // E and G
  PartitionedDisk({.bridgeCode = "q413", .model = "M", .serial = "S"});  // H
  AttachDisk(4096, {.vendor = "Blank", .product = "Disk"});
  form.FormCreate();
  // The first volume in letter order; " (E:)" for both kinds of identity.
  EXPECT_EQ(Items(), (std::vector<std::string>{"V P (E:)", "M S (H:)", "Blank Disk"}));
  EXPECT_EQ(DeviceTable[0].DriveLetter, 'E');
  EXPECT_EQ(DeviceTable[2].DriveLetter, 0);
}

TEST_F(DiscoveryTest, LetterSearchPassesOverAbsentLettersAndTheWindowsDrive) {
  const int id = PartitionedDisk({});
  host.settings().windowsDirectory = "E:\\WINDOWS";  // the disk's only volume
  char letter = 0;
  tracer.Clear();
  EXPECT_EQ(FindDriveLetter(host.InterfacePathOf(id), letter), 0);
  EXPECT_EQ(letter, 0);
  // Present are C and E; C is examined, E is the Windows drive, no other opened.
  std::vector<std::string> opened;
  for (const std::string& r : tracer.requests()) {
    if (r.rfind("open \\\\.\\", 0) == 0) opened.push_back(r.substr(5, 6));
  }
  EXPECT_EQ(opened, std::vector<std::string>{"\\\\.\\C:"});
}

TEST_F(DiscoveryTest, LimitsLeaveTheExtraOnesOut) {
  for (int i = 0; i < 13; ++i)
    AttachDisk(4096, {.vendor = "D" + std::to_string(i), .product = "P"});
  const std::string longPath = "\\\\?\\usbstor#" + std::string(250, 'x') + kDiskClass;
  host.AddForeignInterface(longPath);
  for (int i = 0; i < 70; ++i) host.AddForeignInterface("\\\\?\\ide#disk" + std::to_string(i));
  form.FormCreate();
  ASSERT_EQ(Items().size(), 12u);
  EXPECT_EQ(Items().back(), "D11 P");
  const auto& debug = host.debugOutput();
  const auto has = [&](const std::string& prefix) {
    return std::any_of(debug.begin(), debug.end(),
                       [&](const std::string& d) { return d.rfind(prefix, 0) == 0; });
  };
  EXPECT_TRUE(has("More than 12 USB disks"));
  EXPECT_TRUE(has("Interface path of " + std::to_string(longPath.size()) + " characters left out"));
  EXPECT_TRUE(has("More than 80 disk interfaces"));
  EXPECT_TRUE(has("nDevice = 80"));
}

TEST_F(DiscoveryTest, EndStatesOfTheListAndOfStart) {
  const int id = AttachDisk(4096, {.vendor = "A", .product = "B"});
  AttachDisk(4096, {.vendor = "C", .product = "D"});
  form.FormCreate();
  form.DeviceList.ItemIndex = 1;
  form.WMDeviceChange({kWmDeviceChange, kDbtDevNodesChanged, 0, 0});
  EXPECT_EQ(form.DeviceList.ItemIndex, 1) << "other events do not rebuild";
  form.Dispatch({kWmDeviceChange, kDbtDeviceArrival, 0, 0});
  EXPECT_EQ(form.DeviceList.ItemIndex, 0) << "a rebuild selects the first entry";

  // An interface that is not a USB disk: the list empties.
  host.Remove(id);
  host.Remove(1);
  host.AddForeignInterface("\\\\?\\ide#disk0");
  form.WMDeviceChange({kWmDeviceChange, kDbtDeviceRemoveComplete, 0, 0});
  EXPECT_TRUE(Items().empty());
  EXPECT_FALSE(form.DeviceList.Enabled);
  EXPECT_EQ(form.DeviceList.Color, ControlColor::kButtonFace);
  EXPECT_EQ(form.DeviceList.ItemIndex, -1);
  EXPECT_FALSE(form.StartBn.Enabled);
}

TEST_F(DiscoveryTest, NoInterfacesLeavesTheEntriesButDisablesTheList) {
  const int id = AttachDisk(4096, {.vendor = "A", .product = "B"});
  form.FormCreate();
  host.Remove(id);
  form.GetTarvexDevice();
  EXPECT_EQ(Items(), std::vector<std::string>{"A B"});
  EXPECT_FALSE(form.DeviceList.Enabled);
  EXPECT_EQ(form.DeviceList.ItemIndex, -1);
  EXPECT_FALSE(form.StartBn.Enabled);
}

TEST_F(DiscoveryTest, CloseEndsTheWindow) {
  form.CloseBnClick();
  EXPECT_TRUE(view.closed);
}

}  // namespace
}  // namespace ssdfwu
