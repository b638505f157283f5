#include "volume/volume_id.h"

#include "host/current_host.h"

namespace ssdfwu {

uint32_t VolumeIdOf(const SystemTime& t) {
  const uint16_t low =
      static_cast<uint16_t>((t.wMonth * 256 + t.wDay) + (t.wSecond * 256 + t.wMilliseconds / 10));
  const uint16_t high = static_cast<uint16_t>((t.wHour * 256 + t.wMinute) + t.wYear);
  return (static_cast<uint32_t>(high) << 16) | low;
}

uint32_t make_volume_id() {
  return VolumeIdOf(CurrentHost().LocalTime());
}

}  // namespace ssdfwu
