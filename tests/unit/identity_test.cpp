#include "storage/identity.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "storage/command_mode.h"
#include "support/emulated_fixture.h"

namespace ssdfwu {
namespace {

using testing::HexOf;

TEST(BridgeCode, TableRowsInOrderExactAndCaseSensitive) {
  const struct {
    const char code[5];
    uint8_t family;
  } cases[] = {
      {"q410", 1},  {"q411", 9},  {"q412", 4},  {"q413", 7},  {"q414", 8},  {"q415", 10},
      {"Q41A", 10}, {"q416", 10}, {"q417", 10}, {"Q41B", 10}, {"q418", 11}, {"Q413", 0},
      {"q41a", 0},  {"q419", 0},  {"q41", 0},   {"", 0},
  };
  for (const auto& c : cases) {
    std::array<uint8_t, 4> code{};
    std::memcpy(code.data(), c.code, std::strlen(c.code));
    EXPECT_EQ(BridgeFamilyOfCode(code), c.family) << "code '" << c.code << "'";
  }
}

TEST(BridgeCode, AtaFamilies) {
  for (int family = 0; family < 12; ++family) {
    const bool ata = family == 1 || family == 7 || family == 8 || family == 11;
    EXPECT_EQ(IsAtaBridgeFamily(static_cast<uint8_t>(family)), ata) << family;
  }
}

TEST(AtaText, SwapAndTrim) {
  uint8_t text[] = {'e', 'T', 't', 's', ' ', '1'};
  SwapAtaString(text, sizeof text);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text), sizeof text), "Test1 ");
  EXPECT_EQ(TrimIdentity(std::string("\x01  Model X \x20\x1f", 13)), "Model X");
  EXPECT_EQ(TrimIdentity("    "), "");
  EXPECT_EQ(TrimIdentity("a\x7f"), "a\x7f") << "only codes 0..32 are trimmed";
}

class IdentityTest : public testing::EmulatedFixture {};

TEST_F(IdentityTest, BridgeFamilyFromTheInquiryData) {
  const struct {
    const char* name;
    EmulatedDiskConfig config;
    uint8_t family;
  } cases[] = {
      {"ATA bridge q413", {.bridgeCode = "q413"}, 7},
      {"SCSI bridge q415", {.bridgeCode = "q415"}, 10},
      {"no code", {}, 0},
      {"answer shorter than 40 bytes", {.bridgeCode = "q413", .shortInquiry = true}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    tracer.Clear();
    const int id = AttachDisk(4096, c.config);
    EXPECT_EQ(GetBridgeFamily(host.InterfacePathOf(id)), c.family);
    ASSERT_EQ(commands().size(), 1u);
    EXPECT_EQ(HexOf(commands()[0].cdb), "12 00 00 00 28 00 00 00 00 00 00 00");
    EXPECT_EQ(commands()[0].dataLength, 40u);
  }
  EXPECT_EQ(GetBridgeFamily("\\\\?\\usbstor#gone"), 0);
}

TEST_F(IdentityTest, AtaIdentityIsSwappedAndStoredUntrimmed) {
  const int id =
      AttachDisk(4096, {.bridgeCode = "q413", .model = "FAST SSD 120", .serial = "S3N1X"});
  List(id, 0);
  std::array<uint8_t, 512> identify{};
  ASSERT_EQ(IdentifyDevice(0, identify, 1), kIdentifyOk);
  EXPECT_EQ(HexOf(commands()[0].cdb), "a1 08 0b 00 01 00 00 00 e0 ec 00 00");
  DeviceRecord record;
  StoreAtaIdentity(record, identify);
  EXPECT_EQ(TextOf(record.ModelNumber), "FAST SSD 120                            ");
  EXPECT_EQ(TextOf(record.SerialNumber), "S3N1X               ");
  EXPECT_EQ(TrimIdentity(TextOf(record.ModelNumber)), "FAST SSD 120");
}

TEST_F(IdentityTest, IdentifyIsRefusedWhereItCannotWork) {
  const int scsiOnly = AttachDisk(4096);
  List(scsiOnly, 0);
  std::array<uint8_t, 512> identify{};
  EXPECT_EQ(IdentifyDevice(0, identify, 1), kIdentifyFailed) << "SCSI-only bridge";
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].scsiStatus, 2);

  tracer.Clear();
  ScsiCommandSet = 1;
  EXPECT_EQ(IdentifyDevice(0, identify, 1), kIdentifyFailed);
  EXPECT_TRUE(commands().empty()) << "refused while the SCSI command set is chosen";
}

TEST_F(IdentityTest, ScsiIdentityFromA36ByteInquiry) {
  const int id = AttachDisk(4096, {.vendor = "ACME", .product = "Flash Drive"});
  std::array<uint8_t, 36> inquiry{};
  uint32_t transferred = 0;
  ASSERT_EQ(ScsiInquiry(host.InterfacePathOf(id), inquiry, kIdentityInquiryLength, transferred), 1);
  EXPECT_EQ(transferred, 36u);
  DeviceRecord record;
  StoreScsiIdentity(record, inquiry);
  EXPECT_EQ(TextOf(record.VendorId), "ACME    ");
  EXPECT_EQ(TextOf(record.ProductId), "Flash Drive     ");
}

}  // namespace
}  // namespace ssdfwu
