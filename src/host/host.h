// The seam to the operating system. Every contact of the core with devices,
// volumes, files and the process goes through one Host, shaped like the
// platform operations it stands for, so that a platform host makes one
// system call per seam call with the arguments the core chose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "host/records.h"

namespace ssdfwu {

using HostHandle = std::intptr_t;
inline constexpr HostHandle kInvalidHandleValue = -1;

class Host {
 public:
  virtual ~Host() = default;

  // --- Devices and volumes, opened by path -------------------------------
  virtual HostHandle Open(const std::string& path, uint32_t desiredAccess, uint32_t shareMode,
                          uint32_t creationDisposition, uint32_t flagsAndAttributes) = 0;
  virtual bool Close(HostHandle handle) = 0;
  // The calling thread's last-error code, as the last failing call left it.
  virtual uint32_t LastError() = 0;

  // One request through direct SCSI pass-through. header is the
  // SCSI_PASS_THROUGH_DIRECT image in the program's own layout, handed in
  // and received back (ScsiStatus, DataTransferLength).
  virtual bool ScsiPassThroughDirect(HostHandle device, std::span<uint8_t> header) = 0;

  virtual bool QueryDeviceNumber(HostHandle handle, StorageDeviceNumber& number) = 0;
  virtual bool QueryGeometry(HostHandle disk, DiskGeometry& geometry) = 0;
  virtual bool QueryPartitionInfo(HostHandle disk, PartitionInformation& partition) = 0;
  virtual bool QueryDriveLayout(HostHandle disk, DriveLayoutInformation& layout) = 0;
  virtual bool WriteDriveLayout(HostHandle disk, const DriveLayoutInformation& layout) = 0;
  virtual bool InitializeDisk(HostHandle disk, const CreateDiskInformation& create) = 0;
  virtual bool QueryDriveLayoutEx(HostHandle disk, DriveLayoutInformationEx& layout) = 0;
  virtual bool WriteDriveLayoutEx(HostHandle disk, const DriveLayoutInformationEx& layout) = 0;
  virtual bool UpdateDiskProperties(HostHandle disk) = 0;
  // One write at the handle's position (byte 0 after opening).
  virtual bool WriteRaw(HostHandle handle, std::span<const uint8_t> data, uint32_t& written) = 0;
  virtual bool DismountVolume(HostHandle volume) = 0;
  virtual bool UnlockVolume(HostHandle volume) = 0;

  // --- Present disk device interfaces -------------------------------------
  virtual HostHandle OpenDiskInterfaceSet() = 0;
  // The path of member memberIndex; false when there is none (or it fails).
  virtual bool DiskInterfacePath(HostHandle set, uint32_t memberIndex, std::string& path) = 0;
  virtual void CloseDiskInterfaceSet(HostHandle set) = 0;

  // --- Drive letters --------------------------------------------------------
  // Bit i set: letter 'A' + i is present.
  virtual uint32_t LogicalDrives() = 0;
  virtual uint32_t DriveTypeOf(const std::string& rootPath) = 0;
  virtual std::string WindowsDirectory() = 0;

  // --- Files ----------------------------------------------------------------
  // Paths are "X:\NAME" on a volume or names relative to the current directory.
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual bool DeleteFileAt(const std::string& path) = 0;
  // Runs one command line through the command interpreter and waits for it:
  // its exit status, or -1 when it could not be started.
  virtual int RunCommandLine(const std::string& commandLine) = 0;
  virtual bool ChangeDirectory(const std::string& directory) = 0;
  // Names of the plain files of the current directory (no directories, no
  // hidden or system files), sorted by name.
  virtual std::vector<std::string> PlainFilesOfCurrentDirectory() = 0;
  virtual std::string ProgramPath() = 0;

  // --- Process ----------------------------------------------------------------
  // Zero-filled memory; nullptr when it cannot be obtained.
  virtual void* Allocate(std::size_t bytes) = 0;
  virtual bool Release(void* block) = 0;
  virtual bool QueryVersion(OsVersionInfo& info) = 0;
  virtual SystemTime LocalTime() = 0;
  virtual int64_t CounterFrequency() = 0;
  virtual int64_t CounterValue() = 0;
  virtual void SleepMilliseconds(uint32_t milliseconds) = 0;
  // The debug channel.
  virtual void DebugOutput(const char* text) = 0;
  // Standard output of the process (the formatter's report lines).
  virtual void StandardOutput(const char* text) = 0;
  // A message box without owner window; returns the button pressed.
  virtual int OwnerlessMessageBox(const char* text, const char* caption, uint32_t style) = 0;
};

}  // namespace ssdfwu
