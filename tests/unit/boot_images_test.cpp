#include "volume/boot_images.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/emulated_fixture.h"

namespace ssdfwu {
namespace {

using testing::HexOf;

std::string TextAt(const std::array<uint8_t, 512>& image, int offset) {
  return std::string(reinterpret_cast<const char*>(image.data() + offset));
}

std::vector<uint8_t> Range(const std::array<uint8_t, 512>& image, int from, int to) {
  return {image.begin() + from, image.begin() + to + 1};
}

TEST(MbrImage, FixedPlaces) {
  EXPECT_EQ(TextAt(MbrImage, 0x12C), "Invalid partition table");
  EXPECT_EQ(TextAt(MbrImage, 0x144), "Error loading operating system");
  EXPECT_EQ(TextAt(MbrImage, 0x163), "Missing operating system");
  // The selector bytes address the texts once the sector runs at 0000:0600.
  EXPECT_EQ(HexOf(Range(MbrImage, 0x1B5, 0x1B7)), "2c 44 63");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(0x0700 + MbrImage[0x1B5 + i] - 0x0600, std::vector<int>({0x12C, 0x144, 0x163})[i]);
  }
  EXPECT_EQ(HexOf(Range(MbrImage, 0x1B8, 0x1BD)), "49 2e 73 b1 00 00");
  EXPECT_EQ(Range(MbrImage, 0x1BE, 0x1FD), std::vector<uint8_t>(64, 0)) << "empty table";
  EXPECT_EQ(HexOf(Range(MbrImage, 0x1FE, 0x1FF)), "55 aa");
  // The relocation ends exactly where the copied part begins: a far return
  // at 0x1A continues at 0000:061B.
  EXPECT_EQ(MbrImage[0x1A], 0xCB);
  EXPECT_NE(MbrImage[0x1B], 0x00);
}

TEST(Fat32BootImage, FixedPlaces) {
  EXPECT_EQ(HexOf(Range(Fat32BootImage, 90, 91)), "fc fa") << "cld, cli ahead of the entry";
  EXPECT_EQ(Fat32BootImage[92], 0x31) << "entry: xor ax, ax";
  EXPECT_EQ(HexOf(Range(Fat32BootImage, 113, 117)), "ea 7a 7c e0 1f") << "jmp 1FE0:7C7A";
  EXPECT_EQ(HexOf(Range(Fat32BootImage, 118, 121)), "00 00 60 00") << "0060:0000";
  EXPECT_EQ(TextAt(Fat32BootImage, 449), "Loading FreeDOS ");
  EXPECT_EQ(Fat32BootImage[466], 0);
  EXPECT_EQ(TextAt(Fat32BootImage, 494), "No KERNEL  SYS");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&Fat32BootImage[497]), 11), "KERNEL  SYS");
  EXPECT_EQ(Fat32BootImage[508], 0);
  EXPECT_EQ(Fat32BootImage[509], 0) << "the program stays within 90..509";
  EXPECT_EQ(HexOf(Range(Fat32BootImage, 510, 511)), "55 aa");
  EXPECT_EQ(Range(Fat32BootImage, 0, 89), std::vector<uint8_t>(90, 0))
      << "bytes 0..89 belong to the formatter";
}

}  // namespace
}  // namespace ssdfwu
