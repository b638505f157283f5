// Prepared images booted by a real BIOS (SeaBIOS in QEMU): the master boot
// program, the FAT32 boot program and a test KERNEL.SYS of our own that
// checks it was loaded whole and reports the registers it was handed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>

#include "common/bytes.h"
#include "integration/peer_tools.h"

namespace ssdfwu::testing {
namespace {

constexpr const char* kHandedOver = "KERNEL OK BL=80 SS=1FE0 BP=7C00 DS=1FE0\r\n";

class BootTest : public ::testing::Test {
 protected:
  // A prepared image of `bytes`, with the given files copied in order.
  void Prepare(uint64_t bytes, const std::vector<std::pair<std::string, std::string>>& files) {
    CreateSparseImage(image, bytes);
    ASSERT_EQ(PrepareVolume(image), "");
    for (const auto& [source, name] : files) {
      const CommandResult copy =
          RunPeer(Mtools("mcopy", image) + " " + Quoted(source) + " ::" + name);
      ASSERT_EQ(copy.status, 0) << copy.output;
    }
  }
  std::array<uint8_t, 512> ReadSector(uint64_t lba) {
    std::array<uint8_t, 512> sector{};
    const int fd = open(image.c_str(), O_RDONLY);
    EXPECT_EQ(pread(fd, sector.data(), 512, static_cast<off_t>(lba * 512)), 512);
    close(fd);
    return sector;
  }
  void WriteZeroSector(uint64_t lba) {
    const std::array<uint8_t, 512> zero{};
    const int fd = open(image.c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, zero.data(), 512, static_cast<off_t>(lba * 512)), 512);
    close(fd);
  }
  uint32_t RootDirectorySector() {
    const std::array<uint8_t, 512> boot = ReadSector(63);
    return 63 + 32 + 2 * GetLe32(&boot[36]);
  }

  TempDir dir;
  const std::string image = dir.Path("disk.img");
};

TEST_F(BootTest, LoadsAKernelOfSeveralClustersAndMoreThan64KiB) {
  Prepare(1ull << 30, {{SSDFWU_TEST_KERNEL, "KERNEL.SYS"}});  // 4 KiB clusters: 25 of them
  const SerialBoot boot = BootForSerial(image, dir.Path("serial.txt"));
  EXPECT_EQ(boot.serial, kHandedOver);
  EXPECT_EQ(boot.status, 33);
}

TEST_F(BootTest, FindsTheKernelInTheRootDirectorysSecondCluster) {
  // 512-byte clusters hold 16 entries: the label and 20 files fill the
  // first cluster of the root directory and part of the second.
  std::vector<std::pair<std::string, std::string>> files;
  const std::string filler = dir.Path("filler.txt");
  RunPeer("echo filler > " + Quoted(filler));
  for (int i = 1; i <= 20; ++i) files.push_back({filler, "F" + std::to_string(100 + i) + ".TXT"});
  files.push_back({SSDFWU_TEST_KERNEL, "KERNEL.SYS"});
  Prepare(64ull << 20, files);
  const std::array<uint8_t, 512> fat = ReadSector(63 + 32);
  ASSERT_NE(GetLe32(&fat[8]) & 0x0FFFFFFF, 0x0FFFFFFFu) << "the root directory has one cluster";
  const SerialBoot boot = BootForSerial(image, dir.Path("serial.txt"));
  EXPECT_EQ(boot.serial, kHandedOver);
}

TEST_F(BootTest, DamagedBootSectorBootsFromTheBackup) {
  Prepare(1ull << 30, {{SSDFWU_TEST_KERNEL, "KERNEL.SYS"}});
  WriteZeroSector(63);
  const SerialBoot boot = BootForSerial(image, dir.Path("serial.txt"));
  EXPECT_EQ(boot.serial, kHandedOver);
}

TEST_F(BootTest, EndsShownOnTheScreen) {
  const struct {
    const char* name;
    const char* kernel;  // copied as KERNEL.SYS, or nullptr
    bool failRootRead;
    const char* text;
  } cases[] = {
      {"no kernel", nullptr, false, "Loading FreeDOS No KERNEL  SYS"},
      {"kernel reaching the FAT cache", SSDFWU_TEST_KERNEL_BIG, false,
       "Loading FreeDOS Kernel too big"},
      {"root directory that will not read", SSDFWU_TEST_KERNEL, true, "Loading FreeDOS Read error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<std::string, std::string>> files;
    if (c.kernel != nullptr) files.push_back({c.kernel, "KERNEL.SYS"});
    Prepare(1ull << 30, files);
    std::string drive = image;
    if (c.failRootRead) {
      // QEMU's blkdebug layer fails every read of that sector.
      const std::string rules = dir.Path("rules.conf");
      RunPeer("printf '[inject-error]\\nevent = \"read_aio\"\\nerrno = \"5\"\\nsector = \"" +
              std::to_string(RootDirectorySector()) + "\"\\n' > " + Quoted(rules));
      drive = "blkdebug:" + rules + ":" + image;
    }
    const std::string screen = BootForScreen(drive, c.text, dir.Path("screen.bin"));
    EXPECT_NE(screen.find(std::string(c.text) + "\n"), std::string::npos) << screen;
  }
}

}  // namespace
}  // namespace ssdfwu::testing
