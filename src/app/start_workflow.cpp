// StartBnClick's run: turns the selected disk into a bootable DOS disk
// carrying the working directory's files, reporting in the memo.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "app/main_form.h"
#include "discovery/device_table.h"
#include "discovery/drive_letters.h"
#include "host/current_host.h"
#include "host/platform_constants.h"
#include "host/scoped.h"
#include "storage/capacity.h"
#include "storage/command_mode.h"
#include "storage/identity.h"
#include "storage/volume_handle.h"
#include "volume/boot_install.h"
#include "volume/fat32_formatter.h"
#include "volume/partition_writer.h"

namespace ssdfwu {

namespace {

// How long the copy steps wait for the system to mount the new volume.
constexpr uint32_t kMountWaitMs = 10'000;
constexpr uint8_t kAtaFamiliesInOrder[] = {7, 1, 11, 8};

// ScsiDeviceMode 0 for the ATA bridge families (each asked afresh), else 1.
void SetCommandMode(std::string_view path) {
  ScsiDeviceMode = 1;
  for (uint8_t family : kAtaFamiliesInOrder) {
    if (GetBridgeFamily(path) == family) {
      ScsiDeviceMode = 0;
      break;
    }
  }
  ScsiCommandSet = static_cast<uint8_t>(ScsiDeviceMode & 0xFF);
}

void DismountVolumeOf(std::string_view path, char remembered) {
  // Only a volume of this disk is dismounted.
  const char letter = VolumeLetterOnDisk(path, remembered, 0);
  const HostHandle volume = OpenVolume(letter);
  DismountVolume(volume);
  UnlockVolume(volume);
  CloseVolume(volume);
}

std::string Target(char letter, const std::string& name) {
  return std::string(1, letter) + ":\\" + name;
}

// xcopy's exit status: 0 copied, 1 nothing to copy, 2 and above failed.
bool CopyCommandCopied(int status) {
  return status == 0 || status == 1;
}

}  // namespace

StartOutcome TMainForm::RunStart() {
  Host& host = CurrentHost();
  const bool nt = IsNtPlatform();
  const int selected = DeviceList.ItemIndex;
  if (selected < 0 || selected >= static_cast<int>(DeviceList.Items.size())) {
    view_.ShowMessage(kNoSelectionText);
    return StartOutcome::kNoSelection;
  }
  const int8_t index = static_cast<int8_t>(selected);
  DeviceRecord& entry = DeviceTable[static_cast<std::size_t>(index)];
  const std::string path(PathOfIndex(index));

  SetCommandMode(path);
  char line[64];
  std::snprintf(line, sizeof line, "Capacity Byte = %" PRIu64, GetCapacityBytes(index));
  AddLine(line);
  std::snprintf(line, sizeof line, "Capacity MB = %d", GetCapacityMB(index));
  AddLine(line);

  entry.CapacityMB = GetCapacityMB(index);
  if (entry.CapacityMB < kMinimumCapacityMB) {
    view_.ShowMessage(kTooSmallText);
    return StartOutcome::kTooSmall;
  }
  if (view_.MessageBox(kConfirmText, kConfirmCaption, kConfirmStyle) != kIdYes) {
    return StartOutcome::kDeclined;
  }
  HostMemory buffer(host, 512);
  if (!buffer) return StartOutcome::kNoBuffer;
  const auto fail = [this] {
    AddLine(kFailLine);
    return StartOutcome::kFail;
  };

  ClearMemo();
  AddLine(kFormattingLine);
  const int partitioned = nt ? PartitionByMbrImage(path) : PartitionByCreateDisk(path, index);
  if (partitioned == 0) return fail();
  if (FormatFat32(path, VolumeEdit.Text.c_str(), index) == 0) return fail();
  DismountVolumeOf(path, entry.DriveLetter);
  if (!InstallBootProgram(index, std::span<uint8_t, 512>(buffer.data(), 512))) return fail();

  // The copy steps go only to a volume of this disk.
  const char letter = VolumeLetterOnDisk(path, entry.DriveLetter, kMountWaitMs);
  if (letter == 0) return fail();
  const std::vector<std::string>& files = FileListBox1.Items();  // also enters the directory
  char command[32];
  std::snprintf(command, sizeof command, "xcopy *.* /S /Y %c:\\", letter);
  if (!CopyCommandCopied(host.RunCommandLine(command))) return fail();

  const std::string ownName = ExtractFileName(host.ProgramPath());
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& name = files[i];
    const std::string target = Target(letter, name);
    if (IsProgramsOwnFile(name, ownName)) {
      host.DeleteFileAt(target);
      continue;
    }
    if (host.FileExists(target)) continue;
    if (!host.CopyFileTo(name, target, true)) return fail();
  }
  buffer.Release();
  AddLine(kDoneLine);
  return StartOutcome::kDone;
}

}  // namespace ssdfwu
