// The 512-byte IDENTIFY DEVICE answer of an emulated drive.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ssdfwu {

std::array<uint8_t, 512> BuildIdentifyData(const std::string& model, const std::string& serial,
                                           uint64_t sectors);

}  // namespace ssdfwu
