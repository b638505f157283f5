// The Start run through the controller, on emulated disks, with the files of
// the working directory and of the new volume kept in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "app/main_form.h"
#include "common/bytes.h"
#include "discovery/device_table.h"
#include "host/pass_through_header.h"
#include "host/platform_constants.h"
#include "storage/command_mode.h"
#include "support/emulated_fixture.h"
#include "support/fake_view.h"
#include "volume/boot_images.h"

namespace ssdfwu {
namespace {

// The files: a working directory of names, and the files on each volume.
class FileStage : public TracingHost {
 public:
  using TracingHost::TracingHost;
  bool ChangeDirectory(const std::string& directory) override {
    log.push_back("cd " + directory);
    return true;
  }
  std::vector<std::string> PlainFilesOfCurrentDirectory() override { return workingFiles; }
  int RunCommandLine(const std::string& command) override {
    log.push_back("run " + command);
    if (commandStatus == 0) {
      for (const std::string& name : workingFiles)
        onVolume.insert(command.substr(16, 1) + ":\\" + name);
    }
    return commandStatus;
  }
  bool FileExists(const std::string& path) override { return onVolume.count(path) != 0; }
  bool CopyFileTo(const std::string& from, const std::string& to, bool) override {
    log.push_back("copy " + from + " " + to);
    if (from == failingCopy) return false;
    onVolume.insert(to);
    return true;
  }
  bool DeleteFileAt(const std::string& path) override {
    log.push_back("delete " + path);
    return onVolume.erase(path) == 1;
  }
  std::string ProgramPath() override { return "C:\\Tools\\ssdfwu.exe"; }
  uint32_t LogicalDrives() override { return hideVolumes ? 0 : TracingHost::LogicalDrives(); }

  std::vector<std::string> workingFiles;
  int commandStatus = 0;
  std::string failingCopy;
  bool hideVolumes = false;
  std::set<std::string> onVolume;
  std::vector<std::string> log;
};

class StartTest : public testing::EmulatedFixture {
 public:
  FileStage files{host};
  ScopedCurrentHost installed{files};
  testing::FakeView view;
  TMainForm form{view, "/work/dir"};

  using EmulatedFixture::host;
  StartTest() {
    host.onDeviceChange = [this](uint32_t event) {
      form.WMDeviceChange({kWmDeviceChange, event, 0, 0});
    };
  }
  int Disk(uint64_t sectors, EmulatedDiskConfig config = {.bridgeCode = "q413"}) {
    const int id = AttachDisk(sectors, std::move(config));
    form.FormCreate();
    files.Clear();
    return id;
  }
  std::vector<std::string> Memo() const { return form.Memo1.Lines; }
  std::size_t DiskWrites() const {
    return static_cast<std::size_t>(
        std::count_if(files.commands().begin(), files.commands().end(), [](const CommandRecord& c) {
          return c.cdb[0] == 0x2A || (c.cdb[0] == 0xA1 && c.cdb[9] == 0x30);
        }));
  }
};

const std::vector<std::string> kDone = {"Formatting usb disk.............", "Done"};
const std::vector<std::string> kFail = {"Formatting usb disk.............", "Fail"};

TEST_F(StartTest, PreparesTheSelectedDiskOnBothRoads) {
  const struct {
    const char* name;
    const char* bridge;
    uint8_t commandSet;
  } roads[] = {{"ATA bridge", "q413", 0}, {"SCSI bridge", "", 1}};
  for (const auto& road : roads) {
    SCOPED_TRACE(road.name);
    const int id = Disk(1'939'455, {.bridgeCode = road.bridge});
    files.workingFiles = {"KERNEL.SYS", "README.TXT"};
    form.StartBnClick();
    EXPECT_EQ(Memo(), kDone);
    EXPECT_EQ(form.lastOutcome(), StartOutcome::kDone);
    EXPECT_EQ(ScsiCommandSet, road.commandSet);
    EXPECT_EQ(
        view.boxes.back(),
        "Warning!|All data on the device will be lost.\nAre you sure you want to continue?|308");
    // The boot program is in both boot sectors, over the formatter's BPB.
    const std::vector<uint8_t> boot = ReadImage(id, 63);
    EXPECT_EQ(ReadImage(id, 69), boot);
    EXPECT_TRUE(std::equal(boot.begin() + 90, boot.end(), Fat32BootImage.begin() + 90));
    EXPECT_EQ(GetLe32(&boot[32]), 1'927'737u);
    EXPECT_EQ(files.log.back(), "run xcopy *.* /S /Y E:\\");
    host.Remove(id);
    files.onVolume.clear();
  }
}

TEST_F(StartTest, CapacityLinesAndTheSmallestDisk) {
  const struct {
    uint64_t sectors;
    std::vector<std::string> memo;
    bool refused;
  } cases[] = {
      {69'631, {"Capacity Byte = 35651072", "Capacity MB = 33"}, true},
      {69'632, {"Capacity Byte = 35651584", "Capacity MB = 34"}, false},
  };
  view.answer = kIdNo;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sectors);
    form.Memo1.Lines.clear();
    view.messages.clear();
    view.boxes.clear();
    const int id = Disk(c.sectors);
    form.StartBnClick();
    EXPECT_EQ(Memo(), c.memo);
    EXPECT_EQ(view.messages.size(), c.refused ? 1u : 0u);
    EXPECT_EQ(view.boxes.size(), c.refused ? 0u : 1u);
    EXPECT_EQ(DeviceTable[0].CapacityMB, c.sectors == 69'631 ? 33 : 34);
    EXPECT_EQ(DiskWrites(), 0u);
    host.Remove(id);
  }
  EXPECT_EQ(view.messages, std::vector<std::string>{});  // the last case was not refused
}

TEST_F(StartTest, UnmeasurableDiskIsTooSmall) {
  const int id = Disk(1'939'455);
  // Pulled out right after its bridge was asked for its family.
  host.disk(id).faults().vanishAfter = host.disk(id).commandCount() + 1;
  form.StartBnClick();
  EXPECT_EQ(Memo(), (std::vector<std::string>{"Capacity Byte = 0", "Capacity MB = 0"}));
  EXPECT_EQ(view.messages, std::vector<std::string>{kTooSmallText});
  EXPECT_FALSE(form.StartBn.Enabled) << "the removal is handled after the run";
  EXPECT_EQ(form.DeviceList.ItemIndex, -1);
}

TEST_F(StartTest, AnsweringNoWritesNothingAndKeepsTheLines) {
  Disk(1'939'455);
  view.answer = kIdNo;
  form.StartBnClick();
  form.StartBnClick();
  EXPECT_EQ(Memo(), (std::vector<std::string>{"Capacity Byte = 993000960", "Capacity MB = 946",
                                              "Capacity Byte = 993000960", "Capacity MB = 946"}));
  EXPECT_EQ(form.lastOutcome(), StartOutcome::kDeclined);
  EXPECT_EQ(DiskWrites(), 0u);
}

TEST_F(StartTest, NoSelectionIsRefused) {
  Disk(1'939'455);
  form.DeviceList.ItemIndex = -1;
  form.StartBnClick();
  EXPECT_EQ(view.messages, std::vector<std::string>{"Please select a device."});
  EXPECT_TRUE(files.commands().empty());
}

TEST_F(StartTest, FailuresEndInFailNeverDone) {
  const struct {
    const char* name;
    std::function<void(StartTest&, int)> arrange;
  } cases[] = {
      {"a burst of the zeroing fails",
       [](StartTest& t, int id) {
         t.host.disk(id).faults().failLbas = {{1000, 1000}};
       }},
      {"the disk goes away while it is formatted",
       [](StartTest& t, int id) {
         t.host.disk(id).faults().vanishAfter = t.host.disk(id).commandCount() + 40;
       }},
      {"the copy command fails", [](StartTest& t, int) { t.files.commandStatus = 4; }},
      {"the copy command cannot start", [](StartTest& t, int) { t.files.commandStatus = -1; }},
      {"a file copy fails",
       [](StartTest& t, int) {
         t.files.commandStatus = 1;
         t.files.failingCopy = "B.TXT";
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int id = Disk(1'939'455);
    files.workingFiles = {"A.TXT", "B.TXT", "C.TXT"};
    files.commandStatus = 0;
    files.failingCopy.clear();
    c.arrange(*this, id);
    form.StartBnClick();
    EXPECT_EQ(Memo(), kFail);
    EXPECT_EQ(form.lastOutcome(), StartOutcome::kFail);
    host.Remove(id);
  }
}

TEST_F(StartTest, NoVolumeOfThisDiskMeansFailNotACopyElsewhere) {
  Disk(1'939'455);
  files.hideVolumes = true;
  form.StartBnClick();
  EXPECT_EQ(Memo(), kFail);
  EXPECT_EQ(host.sleptMilliseconds(), 10'000u) << "it waited for the volume to be mounted";
  EXPECT_TRUE(std::none_of(files.log.begin(), files.log.end(),
                           [](const std::string& l) { return l.rfind("run", 0) == 0; }));
}

TEST_F(StartTest, ARememberedLetterOfAnotherDiskIsNotUsed) {
  Disk(1'939'455);
  host.AddForeignVolume({'D', kDriveRemovable, {kFileDeviceDisk, 40, 1}});
  DeviceTable[0].DriveLetter = 'D';  // what an earlier pass might have left
  form.StartBnClick();
  EXPECT_EQ(Memo(), kDone);
  EXPECT_EQ(files.log.back(), "run xcopy *.* /S /Y E:\\");
  const auto& requests = files.requests();
  EXPECT_TRUE(std::none_of(requests.begin(), requests.end(), [](const std::string& r) {
    return r.rfind("dismount \\\\.\\D:", 0) == 0;
  }));
  EXPECT_NE(std::find(requests.begin(), requests.end(), "dismount \\\\.\\E: ok"), requests.end());
  EXPECT_NE(std::find(requests.begin(), requests.end(), "unlock \\\\.\\E: ok"), requests.end());
}

TEST_F(StartTest, DeviceEventsDuringTheConfirmationAreHeldUntilTheRunEnds) {
  const int chosen = Disk(1'939'455);
  AttachDisk(1'939'455, {.vendor = "Other", .product = "Disk"});
  view.whileBoxOpen = [&] {
    // A disk arrives ahead of the chosen one and the chosen one's entry
    // would move: the run must still act on the disk the user chose.
    form.WMDeviceChange({kWmDeviceChange, kDbtDeviceArrival, 0, 0});
    EXPECT_EQ(form.DeviceList.Items.size(), 1u) << "no rebuild while the box is open";
  };
  form.StartBnClick();
  EXPECT_EQ(Memo(), kDone);
  EXPECT_EQ(ReadImage(chosen, 63)[510], 0x55);
  EXPECT_EQ(ReadImage(1, 0), std::vector<uint8_t>(512, 0)) << "the other disk is untouched";
  EXPECT_EQ(form.DeviceList.Items.size(), 2u) << "rebuilt once, after the run";
}

TEST_F(StartTest, ReadOnlyDiskEndsInFail) {
  Disk(1'939'455, {.bridgeCode = "q413", .readOnly = true});
  form.StartBnClick();
  EXPECT_EQ(Memo(), kFail);
}

TEST_F(StartTest, SecondReadOfTheBootSectorMustMatch) {
  // Counts READ SECTORS of LBA 63 and spoils the second one.
  struct Spoiler : FileStage {
    using FileStage::FileStage;
    bool ScsiPassThroughDirect(HostHandle device, std::span<uint8_t> header) override {
      const bool done = FileStage::ScsiPassThroughDirect(device, header);
      const CommandRecord& c = commands().back();
      if (c.cdb[0] == 0xA1 && c.cdb[9] == 0x20 && c.cdb[5] == 63 && ++reads == 2) {
        ScsiPassThroughDirectHeader h = DecodePassThroughHeader(header, NativeHeaderLayout());
        reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(h.DataBuffer))[100] ^= 0xFF;
      }
      return done;
    }
    int reads = 0;
  } spoiler{host};
  ScopedCurrentHost spoiled(spoiler);
  Disk(1'939'455);
  form.StartBnClick();
  EXPECT_EQ(Memo(), kFail);
  EXPECT_EQ(spoiler.reads, 2);
}

TEST_F(StartTest, TheProgramsOwnFileAndExistingFiles) {
  Disk(1'939'455);
  files.workingFiles = {"KERNEL.SYS", "ssdfwu", "ssdfwu.exe", "ssdfwu.exe.bak", "Ssdfwu.exe"};
  files.commandStatus = 1;  // the command had nothing to copy
  files.onVolume = {"E:\\KERNEL.SYS"};
  form.StartBnClick();
  EXPECT_EQ(Memo(), kDone);
  // The own file and a leading part of its name are deleted, a longer name
  // and another letter case are copied, an existing file is left alone.
  EXPECT_EQ(files.log, (std::vector<std::string>{"cd /work/dir", "run xcopy *.* /S /Y E:\\",
                                                 "delete E:\\ssdfwu", "delete E:\\ssdfwu.exe",
                                                 "copy ssdfwu.exe.bak E:\\ssdfwu.exe.bak",
                                                 "copy Ssdfwu.exe E:\\Ssdfwu.exe"}));
}

TEST_F(StartTest, EmptyWorkingDirectoryIsDone) {
  Disk(1'939'455);
  files.commandStatus = 1;
  form.StartBnClick();
  EXPECT_EQ(Memo(), kDone);
}

TEST_F(StartTest, NoSectorBufferEndsWithoutTouchingTheDisk) {
  Disk(1'939'455);
  // The next block asked for after the confirmation is the sector buffer.
  view.whileBoxOpen = [&] { host.FailAllocation(1); };
  form.StartBnClick();
  EXPECT_EQ(form.lastOutcome(), StartOutcome::kNoBuffer);
  EXPECT_EQ(Memo().size(), 2u) << "the capacity lines only";
  EXPECT_EQ(DiskWrites(), 0u);
}

}  // namespace
}  // namespace ssdfwu
