#include "storage/pass_through.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "host/platform_constants.h"
#include "storage/command_blocks.h"
#include "storage/command_mode.h"
#include "support/emulated_fixture.h"

namespace ssdfwu {
namespace {

using testing::Bytes;

class PassThroughTest : public testing::EmulatedFixture {
 protected:
  std::string Path(int id) { return host.InterfacePathOf(id); }
};

// READ(10) of one sector, a command every bridge answers.
const std::vector<uint8_t> kRead1 = Bytes("28 00 00 00 00 00 00 00 01 00");

TEST_F(PassThroughTest, TimeoutsFollowTheOperationAndScsiDeviceMode) {
  const std::string path = Path(AttachDisk(2048));
  std::array<uint8_t, 512> data{};
  struct Case {
    const char* name;
    uint32_t deviceMode;
    std::function<int()> send;
    bool dataIn;
    uint32_t timeout;
  };
  const Case cases[] = {
      {"in, SCSI mode", 1, [&] { return ScsiPassThroughIn(path, kRead1, data); }, true, 300},
      {"in, ATA mode", 0, [&] { return ScsiPassThroughIn(path, kRead1, data); }, true, 5},
      {"out", 1,
       [&] { return ScsiPassThroughOut(path, Bytes("2a 00 00 00 00 00 00 00 01 00"), data); },
       false, 100},
      {"device command in, SCSI mode", 1, [&] { return SendDeviceCommand(path, 1, kRead1, data); },
       true, 300},
      {"device command in, ATA mode", 0, [&] { return SendDeviceCommand(path, 1, kRead1, data); },
       true, 10},
      {"device command out", 1,
       [&] { return SendDeviceCommand(path, 0, Bytes("2a 00 00 00 00 00 00 00 01 00"), data); },
       false, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tracer.Clear();
    ScsiDeviceMode = c.deviceMode;
    EXPECT_EQ(c.send(), 1);
    ASSERT_EQ(commands().size(), 1u);
    EXPECT_EQ(commands()[0].timeoutSeconds, c.timeout);
    EXPECT_EQ(commands()[0].dataIn, c.dataIn);
    EXPECT_EQ(commands()[0].dataLength, 512u);
    EXPECT_EQ(commands()[0].targetId, 1);
    // Each request opens the path with read and write access, shared, and closes it.
    ASSERT_EQ(tracer.requests().size(), 2u);
    EXPECT_EQ(tracer.requests()[0], "open " + path + " access=c0000000 share=3 flags=0 ok");
    EXPECT_EQ(tracer.requests()[1], "close " + path + " ok");
  }
}

TEST_F(PassThroughTest, OneByteTransfersGoThroughATwoByteBounce) {
  // Last LBA 0x12345678: the first byte READ CAPACITY returns is 0x12.
  const std::string path = Path(AttachDisk(0x12345679));
  uint8_t in = 0xFF;
  EXPECT_EQ(ScsiPassThroughIn(path, Bytes("25 00 00 00 00 00 00 00 00 00 00 00"), {&in, 1}), 1);
  EXPECT_EQ(in, 0x12);
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].dataLength, 2u);

  const uint8_t out = 0x5A;
  ScsiPassThroughOut(path, Bytes("2a 00 00 00 00 00 00 00 00 00"), {&out, 1});
  ASSERT_EQ(commands().size(), 2u);
  EXPECT_EQ(commands()[1].dataLength, 2u);
  EXPECT_EQ(commands()[1].dataOut, Bytes("5a 00"));
}

TEST_F(PassThroughTest, CheckConditionIsAFailure) {
  // A SCSI-only bridge completes ATA PASS-THROUGH(12) with CHECK CONDITION.
  const std::string path = Path(AttachDisk(2048));
  std::array<uint8_t, 512> data{};
  EXPECT_EQ(ScsiPassThroughIn(path, Bytes("a1 08 0b 00 01 00 00 00 e0 ec 00 00"), data), 0);
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_TRUE(commands()[0].completed);
  EXPECT_EQ(commands()[0].scsiStatus, kScsiStatusCheckCondition);
  EXPECT_EQ(SendDeviceCommand(path, 1, Bytes("a1 08 0b 00 01 00 00 00 e0 ec 00 00"), data),
            kDeviceCommandFailed);
}

TEST_F(PassThroughTest, SendDeviceCommandPathResults) {
  std::array<uint8_t, 512> data{};
  EXPECT_EQ(SendDeviceCommand("", 1, kRead1, data), kDeviceCommandEmptyPath);
  EXPECT_TRUE(tracer.requests().empty()) << "an empty path must open nothing";
  EXPECT_EQ(SendDeviceCommand("\\\\?\\usbstor#no_such_disk", 1, kRead1, data),
            kDeviceCommandFailed);
  EXPECT_TRUE(commands().empty());
}

TEST_F(PassThroughTest, NoRequestBlockMeansFailureAfterClosingTheHandle) {
  const std::string path = Path(AttachDisk(2048));
  std::array<uint8_t, 512> data{};
  host.FailAllocation(1);
  EXPECT_EQ(ScsiPassThroughIn(path, kRead1, data), 0);
  EXPECT_TRUE(commands().empty());
  ASSERT_EQ(tracer.requests().size(), 2u);
  EXPECT_EQ(tracer.requests()[1], "close " + path + " ok");
}

TEST_F(PassThroughTest, VanishedDiskFailsAtTheTransport) {
  EmulatedDiskConfig config;
  config.faults.vanishAfter = 1;
  const std::string path = Path(AttachDisk(2048, config));
  std::array<uint8_t, 512> data{};
  EXPECT_EQ(ScsiPassThroughIn(path, kRead1, data), 1);
  EXPECT_EQ(ScsiPassThroughIn(path, kRead1, data), 0);
  EXPECT_EQ(commands().size(), 1u) << "a pulled disk cannot even be opened";
}

}  // namespace
}  // namespace ssdfwu
