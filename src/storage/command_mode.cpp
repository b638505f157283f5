#include "storage/command_mode.h"

namespace ssdfwu {

uint32_t ScsiDeviceMode = 0;
uint8_t ScsiCommandSet = 0;

}  // namespace ssdfwu
