// Little- and big-endian field access for command blocks and on-disk records.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ssdfwu {

inline void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

inline void PutLe32(uint8_t* p, uint32_t v) {
  PutLe16(p, static_cast<uint16_t>(v));
  PutLe16(p + 2, static_cast<uint16_t>(v >> 16));
}

inline void PutLe64(uint8_t* p, uint64_t v) {
  PutLe32(p, static_cast<uint32_t>(v));
  PutLe32(p + 4, static_cast<uint32_t>(v >> 32));
}

inline void PutBe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

inline void PutBe32(uint8_t* p, uint32_t v) {
  PutBe16(p, static_cast<uint16_t>(v >> 16));
  PutBe16(p + 2, static_cast<uint16_t>(v));
}

inline uint16_t GetLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t GetLe32(const uint8_t* p) {
  return GetLe16(p) | (static_cast<uint32_t>(GetLe16(p + 2)) << 16);
}

inline uint64_t GetLe64(const uint8_t* p) {
  return GetLe32(p) | (static_cast<uint64_t>(GetLe32(p + 4)) << 32);
}

inline uint16_t GetBe16(const uint8_t* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

inline uint32_t GetBe32(const uint8_t* p) {
  return (static_cast<uint32_t>(GetBe16(p)) << 16) | GetBe16(p + 2);
}

}  // namespace ssdfwu
