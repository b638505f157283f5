#pragma once

#include <cstdint>

#include "host/records.h"

namespace ssdfwu {

// The volume ID from a local time, in 16-bit halves that wrap:
// low = (month × 256 + day) + (second × 256 + milliseconds ÷ 10),
// high = (hour × 256 + minute) + year.
uint32_t VolumeIdOf(const SystemTime& time);
// The volume ID of the host's local time now.
uint32_t make_volume_id();

}  // namespace ssdfwu
