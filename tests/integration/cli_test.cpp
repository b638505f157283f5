// ssdfwu-cli end to end on emulated USB disks backed by image files: its
// words, exit statuses and trace lines, and what the prepared disk holds as
// fsck.fat, mtools and QEMU see it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "integration/peer_tools.h"

namespace ssdfwu::testing {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string data(static_cast<std::size_t>(fs::file_size(path)), '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  return data;
}

class CliTest : public ::testing::Test {
 protected:
  CliRun Cli(const std::string& arguments) {
    const std::string out = dir.Path("stdout.txt");
    const std::string err = dir.Path("stderr.txt");
    const CommandResult run = RunPeer("(" + std::string(SSDFWU_CLI) + " " + arguments + " >" +
                                      Quoted(out) + " 2>" + Quoted(err) + " </dev/null)");
    return {run.status, Slurp(out), Slurp(err)};
  }
  std::string Image(uint64_t bytes, const std::string& name = "disk.img") {
    const std::string path = dir.Path(name);
    CreateSparseImage(path, bytes);
    return path;
  }
  // A working directory like the ones people prepare disks from.
  std::string WorkingDirectory() {
    const std::string work = dir.Path("work");
    fs::create_directories(work + "/FW");
    fs::create_directories(work + "/EMPTY");
    fs::copy_file(SSDFWU_TEST_KERNEL, work + "/KERNEL.SYS");
    std::ofstream(work + "/README.TXT") << "firmware update\r\n";
    std::ofstream(work + "/FW/UPDATE.BAT") << "@echo off\r\n";
    std::ofstream(work + "/.hidden") << "not copied\n";
    fs::copy_file(SSDFWU_CLI, work + "/ssdfwu-cli");  // the program's own file
    std::ofstream(work + "/ssdfwu") << "its twin without extension\n";
    return work;
  }
  std::string VolumeListing(const std::string& image) {
    return RunPeer(Mtools("mdir", image) + " -b -/ ::").output;
  }

  TempDir dir;
};

std::string MemoLines(uint64_t bytes, const char* end) {
  std::ostringstream out;
  out << "Capacity Byte = " << bytes << "\nCapacity MB = " << (bytes >> 20) << "\n"
      << "Formatting usb disk.............\n"
      << end << "\n";
  return out.str();
}

TEST_F(CliTest, ListsTheAttachedDisks) {
  const std::string a = Image(64 << 20, "a.img");
  const std::string b = Image(64 << 20, "b.img");
  const CliRun run = Cli("--attach " + Quoted(a + ",bridge=q413,model=FAST SSD,serial=S1") +
                         " --attach " + Quoted(b + ",vendor=Acme,product=Stick") + " list");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "0: FAST SSD S1\n1: Acme Stick\n");

  const CliRun none = Cli("list");
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_NE(none.err.find("no real-disk host"), std::string::npos) << none.err;
}

TEST_F(CliTest, PreparesABootableDiskOnBothRoads) {
  const struct {
    const char* bridge;
    const char* present;  // a command the road sends
    const char* absent;   // one it never sends
  } roads[] = {{"q413", "cdb a1 08 0b 00 01 00 00 00 e0 ec", "cdb 25 "},
               {"none", "cdb 25 00 00 00 00 00 00 00 00 00 00 00 in 512 ok", "cdb a1 "}};
  const std::string work = WorkingDirectory();
  for (const auto& road : roads) {
    SCOPED_TRACE(road.bridge);
    const std::string image = Image(1ull << 30);
    const CliRun run = Cli("--trace --attach " + Quoted(image + ",bridge=" + road.bridge) +
                           " prepare 0 --yes --from " + Quoted(work));
    EXPECT_EQ(run.status, 0) << run.err.substr(run.err.size() > 2000 ? run.err.size() - 2000 : 0);
    EXPECT_EQ(run.out, MemoLines(1ull << 30, "Done"));
    EXPECT_NE(run.err.find(road.present), std::string::npos);
    EXPECT_EQ(run.err.find(road.absent), std::string::npos);

    const PartitionExtent partition = FirstPartition(image);
    ExtractRange(image, partition.offset, partition.length, dir.Path("volume.img"));
    const CommandResult fsck = RunPeer("fsck.fat -n " + Quoted(dir.Path("volume.img")));
    EXPECT_EQ(fsck.status, 0) << fsck.output;
    EXPECT_EQ(std::count(fsck.output.begin(), fsck.output.end(), '\n'), 2) << fsck.output;
    EXPECT_EQ(RunPeer(Mtools("mlabel", image) + " -s ::").output, " Volume label is ISP        \n");
    // The files and the subdirectory; not the program's own file, its
    // twin, the hidden file or the empty directory.
    EXPECT_EQ(VolumeListing(image), "::/README.TXT\n::/KERNEL.SYS\n::/FW/\n::/FW/UPDATE.BAT\n");
    EXPECT_EQ(RunPeer(Mtools("mtype", image) + " ::/FW/UPDATE.BAT").output, "@echo off\r\n");

    const SerialBoot boot = BootForSerial(image, dir.Path("serial.txt"));
    EXPECT_EQ(boot.serial, "KERNEL OK BL=80 SS=1FE0 BP=7C00 DS=1FE0\r\n");
  }
}

TEST_F(CliTest, EmptyDirectoryEndsInDone) {
  const std::string image = Image(64 << 20);
  fs::create_directories(dir.Path("empty"));
  const CliRun run =
      Cli("--attach " + Quoted(image) + " prepare 0 --yes --from " + Quoted(dir.Path("empty")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, MemoLines(64 << 20, "Done"));
}

TEST_F(CliTest, ThirtyThreeMegabytesAreRefusedAndThirtyFourAccepted) {
  fs::create_directories(dir.Path("empty"));
  for (const char* bridge : {"q413", "none"}) {
    SCOPED_TRACE(bridge);
    const std::string small = Image(69'631 * 512ull, "small.img");
    const CliRun refused =
        Cli("--attach " + Quoted(small + ",bridge=" + bridge) + " prepare 0 --yes");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "Capacity Byte = 35651072\nCapacity MB = 33\n");
    EXPECT_NE(refused.err.find("The device's size is too small, Please change it."),
              std::string::npos);

    const std::string enough = Image(69'632 * 512ull, "enough.img");
    const CliRun accepted = Cli("--attach " + Quoted(enough + ",bridge=" + bridge) +
                                " prepare 0 --yes --from " + Quoted(dir.Path("empty")));
    EXPECT_EQ(accepted.status, 0) << accepted.err;
    EXPECT_EQ(accepted.out, MemoLines(69'632 * 512ull, "Done"));
  }
}

TEST_F(CliTest, DecliningOrAReadOnlyDiskLeavesTheImageAsItWas) {
  const std::string image = Image(64 << 20);
  std::ofstream(image, std::ios::in | std::ios::out | std::ios::binary).write("earlier data", 12);
  const std::string before = Slurp(image);

  const CliRun declined = Cli("--attach " + Quoted(image) + " prepare 0");
  EXPECT_EQ(declined.status, 2);
  EXPECT_EQ(declined.out, "Capacity Byte = 67108864\nCapacity MB = 64\n");
  EXPECT_EQ(Slurp(image), before);

  const CliRun readOnly = Cli("--attach " + Quoted(image + ",ro") + " prepare 0 --yes");
  EXPECT_EQ(readOnly.status, 1);
  EXPECT_EQ(readOnly.out, MemoLines(64 << 20, "Fail"));
  EXPECT_EQ(Slurp(image), before);
}

TEST_F(CliTest, DiskPulledOutWhileFormattingEndsInFail) {
  for (const char* bridge : {"q413", "none"}) {
    SCOPED_TRACE(bridge);
    const std::string image = Image(1ull << 30);
    const CliRun run = Cli("--attach " + Quoted(image + ",bridge=" + bridge + ",vanish-after=30") +
                           " prepare 0 --yes");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, MemoLines(1ull << 30, "Fail"));
  }
}

TEST_F(CliTest, UsageErrors) {
  const char* cases[] = {
      "",
      "frobnicate",
      "prepare",
      "prepare x",
      "list --yes",
      "--attach",
      "--attach 'disk.img,bridge=toolong' list",
      "--attach 'disk.img,speed=9' list",
      "--attach /no/such/image list",
      "--from /no/such/dir --attach /no/such/image prepare 0",
      "--bogus list",
  };
  for (const char* arguments : cases) {
    SCOPED_TRACE(arguments);
    const CliRun run = Cli(arguments);
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_EQ(Cli("prepare 3 --yes").status, 2) << "no such entry";
  EXPECT_EQ(Cli("--help").status, 0);
  EXPECT_EQ(Cli("--version").out, "ssdfwu-cli 0.1.0\n");
}

}  // namespace
}  // namespace ssdfwu::testing
