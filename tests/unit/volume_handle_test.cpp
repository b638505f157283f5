#include "storage/volume_handle.h"

#include <gtest/gtest.h>

#include "host/platform_constants.h"
#include "support/emulated_fixture.h"

namespace ssdfwu {
namespace {

class VolumeHandleTest : public testing::EmulatedFixture {
 protected:
  void SetUp() override {
    host.AddForeignVolume({'D', kDriveCdrom, {2, 9, 0}});
    host.AddForeignVolume({'N', kDriveRemote, {0x14, 0, 0}});
    host.AddForeignVolume({'R', kDriveRamdisk, {7, 10, 1}});
    host.AddForeignVolume({'F', kDriveRemovable, {7, 11, 1}});
  }
};

TEST_F(VolumeHandleTest, AccessFollowsTheDriveType) {
  const struct {
    char letter;
    const char* open;  // the request, or nullptr when nothing may be opened
  } cases[] = {
      {'F', "open \\\\.\\F: access=c0000000 share=3 flags=0 ok"},
      {'C', "open \\\\.\\C: access=c0000000 share=3 flags=0 ok"},
      {'D', "open \\\\.\\D: access=80000000 share=3 flags=0 ok"},
      {'N', nullptr},
      {'R', nullptr},
      {'Q', nullptr},  // no root directory
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.letter);
    tracer.Clear();
    const HostHandle volume = OpenVolume(c.letter);
    ASSERT_FALSE(tracer.requests().empty());
    EXPECT_EQ(tracer.requests()[0].substr(0, 14), std::string("drive-type ") + c.letter + ":\\");
    if (c.open == nullptr) {
      EXPECT_EQ(volume, kInvalidHandleValue);
      EXPECT_EQ(tracer.requests().size(), 1u);
    } else {
      ASSERT_NE(volume, kInvalidHandleValue);
      EXPECT_EQ(tracer.requests()[1], c.open);
      EXPECT_TRUE(CloseVolume(volume));
    }
  }
}

TEST_F(VolumeHandleTest, DismountThenUnlockOnTheSameHandleAndNoLock) {
  const HostHandle volume = OpenVolume('F');
  ASSERT_NE(volume, kInvalidHandleValue);
  tracer.Clear();
  EXPECT_TRUE(DismountVolume(volume));
  EXPECT_TRUE(UnlockVolume(volume));
  EXPECT_TRUE(CloseVolume(volume));
  EXPECT_EQ(tracer.requests(),
            (std::vector<std::string>{"dismount \\\\.\\F: ok", "unlock \\\\.\\F: ok",
                                      "close \\\\.\\F: ok"}));
}

TEST_F(VolumeHandleTest, NotALetterOpensNothing) {
  EXPECT_EQ(OpenVolume(0), kInvalidHandleValue);
  EXPECT_EQ(OpenVolume('1'), kInvalidHandleValue);
  EXPECT_TRUE(tracer.requests().empty());
  EXPECT_FALSE(DismountVolume(kInvalidHandleValue));
  EXPECT_FALSE(CloseVolume(kInvalidHandleValue));
}

}  // namespace
}  // namespace ssdfwu
