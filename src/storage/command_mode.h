// The two process-wide command-mode flags. ScsiDeviceMode says the disk is
// reached with SCSI commands (and gives SCSI data-in commands the long
// timeout); ScsiCommandSet, taken from it by Start, chooses SCSI block
// commands over ATA commands tunnelled in ATA PASS-THROUGH(12).
#pragma once

#include <cstdint>

namespace ssdfwu {

extern uint32_t ScsiDeviceMode;
extern uint8_t ScsiCommandSet;

// Timeouts in seconds.
inline constexpr uint32_t kPassThroughInLongTimeout = 300;  // ScsiDeviceMode set
inline constexpr uint32_t kPassThroughInShortTimeout = 5;   // ScsiDeviceMode clear
inline constexpr uint32_t kPassThroughOutTimeout = 100;
inline constexpr uint32_t kDeviceCommandInLongTimeout = 300;  // ScsiDeviceMode set
inline constexpr uint32_t kDeviceCommandInShortTimeout = 10;
inline constexpr uint32_t kDeviceCommandOutTimeout = 10;

}  // namespace ssdfwu
