#include "host/pass_through_header.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/emulated_fixture.h"

namespace ssdfwu {
namespace {

using testing::Bytes;

static_assert(HeaderSize(HeaderLayout::k32Bit) == 44);
static_assert(HeaderSize(HeaderLayout::k64Bit) == 56);

ScsiPassThroughDirectHeader ReadSector63Header() {
  ScsiPassThroughDirectHeader h;
  h.Length = 44;
  h.ScsiStatus = 0;
  h.PathId = 0;
  h.TargetId = 1;
  h.Lun = 0;
  h.CdbLength = 12;
  h.SenseInfoLength = 0;
  h.DataIn = 1;
  h.DataTransferLength = 512;
  h.TimeOutValue = 300;
  h.DataBuffer = 0x12345678;
  h.SenseInfoOffset = 48;
  const std::vector<uint8_t> cdb = Bytes("28 00 00 00 00 3f 00 00 01 00 00 00");
  std::copy(cdb.begin(), cdb.end(), h.Cdb.begin());
  return h;
}

TEST(PassThroughHeader, ThirtyTwoBitImageByteByByte) {
  // Alignment bytes 9..11 and the Cdb bytes past CdbLength are not set: they
  // keep what the block held.
  std::vector<uint8_t> image(44, 0xCC);
  EncodePassThroughHeader(ReadSector63Header(), HeaderLayout::k32Bit, image);
  EXPECT_EQ(image, Bytes("2c 00 00 00 01 00 0c 00 01 cc cc cc "
                         "00 02 00 00 2c 01 00 00 78 56 34 12 30 00 00 00 "
                         "28 00 00 00 00 3f 00 00 01 00 00 00 cc cc cc cc"));
}

TEST(PassThroughHeader, SixtyFourBitLayoutPlacesThePointerOnEightBytes) {
  ScsiPassThroughDirectHeader h = ReadSector63Header();
  h.Length = 56;
  h.DataBuffer = 0x1122334455667788ull;
  std::vector<uint8_t> image(56, 0xCC);
  EncodePassThroughHeader(h, HeaderLayout::k64Bit, image);
  EXPECT_EQ(image, Bytes("38 00 00 00 01 00 0c 00 01 cc cc cc "
                         "00 02 00 00 2c 01 00 00 cc cc cc cc "
                         "88 77 66 55 44 33 22 11 30 00 00 00 "
                         "28 00 00 00 00 3f 00 00 01 00 00 00 cc cc cc cc cc cc cc cc"));
}

TEST(PassThroughHeader, DecodeReadsBackWhatEncodeWrote) {
  for (HeaderLayout layout : {HeaderLayout::k32Bit, HeaderLayout::k64Bit}) {
    ScsiPassThroughDirectHeader h = ReadSector63Header();
    h.ScsiStatus = 2;
    std::vector<uint8_t> image(HeaderSize(layout));
    EncodePassThroughHeader(h, layout, image);
    const ScsiPassThroughDirectHeader back = DecodePassThroughHeader(image, layout);
    EXPECT_EQ(back.DataTransferLength, 512u);
    EXPECT_EQ(back.TimeOutValue, 300u);
    EXPECT_EQ(back.DataBuffer, 0x12345678u);
    EXPECT_EQ(back.SenseInfoOffset, 48u);
    EXPECT_EQ(back.TargetId, 1);
    EXPECT_EQ(back.Cdb, h.Cdb);
    EXPECT_EQ(ScsiStatusOf(image, layout), 2);
  }
}

}  // namespace
}  // namespace ssdfwu
