#include "host/emulated/identify_data.h"

#include <algorithm>

#include "common/bytes.h"

namespace ssdfwu {

namespace {

// Words of the identify data that the drive fills.
constexpr int kWordGeneral = 0;
constexpr int kWordSerial = 10;    // 10 words
constexpr int kWordFirmware = 23;  // 4 words
constexpr int kWordModel = 27;     // 20 words
constexpr int kWordCapabilities = 49;
constexpr int kWordLba28 = 60;  // 2 words
constexpr int kWordCommandSets = 83;
constexpr int kWordCommandSetsEnabled = 86;
constexpr int kWordLba48 = 100;  // 4 words
constexpr int kWordIntegrity = 255;

constexpr uint32_t kLba28Saturated = 0x0FFFFFFF;

// ATA text: blank-padded, two characters per word, the first in the high byte.
void PutAtaText(std::array<uint8_t, 512>& data, int word, int words, const std::string& text) {
  for (int i = 0; i < words * 2; ++i) {
    const char c = i < static_cast<int>(text.size()) ? text[static_cast<std::size_t>(i)] : ' ';
    const int byte = word * 2 + (i ^ 1);
    data[static_cast<std::size_t>(byte)] = static_cast<uint8_t>(c);
  }
}

void PutWord(std::array<uint8_t, 512>& data, int word, uint16_t value) {
  PutLe16(&data[static_cast<std::size_t>(word) * 2], value);
}

}  // namespace

std::array<uint8_t, 512> BuildIdentifyData(const std::string& model, const std::string& serial,
                                           uint64_t sectors) {
  std::array<uint8_t, 512> data{};
  PutWord(data, kWordGeneral, 0x0040);  // fixed device
  PutAtaText(data, kWordSerial, 10, serial);
  PutAtaText(data, kWordFirmware, 4, "1.0");
  PutAtaText(data, kWordModel, 20, model);
  PutWord(data, kWordCapabilities, 0x0200);  // LBA supported
  PutLe32(&data[kWordLba28 * 2],
          static_cast<uint32_t>(std::min<uint64_t>(sectors, kLba28Saturated)));
  PutWord(data, kWordCommandSets, 0x4400);  // 48-bit address feature set
  PutWord(data, kWordCommandSetsEnabled, 0x0400);
  PutLe64(&data[kWordLba48 * 2], sectors & 0xFFFFFFFFFFFFull);
  // Integrity word: signature A5h and a checksum making all bytes sum to 0.
  data[kWordIntegrity * 2] = 0xA5;
  uint8_t sum = 0;
  for (int i = 0; i < 511; ++i) sum = static_cast<uint8_t>(sum + data[static_cast<std::size_t>(i)]);
  data[511] = static_cast<uint8_t>(-sum);
  return data;
}

}  // namespace ssdfwu
