// A host whose disks are images posing as USB disks behind bridges. Tests
// and `ssdfwu-cli --attach` use it; a program running on it touches no real
// disk. Disk control answers as the platform does for a USB disk; volumes
// with drive letters appear for recognised partitions; faults come on demand.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/emulated/disk_layout.h"
#include "host/emulated/emulated_disk.h"
#include "host/emulated/volume_files.h"
#include "host/host.h"

namespace ssdfwu {

// A volume that is not on an emulated disk: the system drive, a CD-ROM, a
// network drive.
struct ForeignVolume {
  char letter;
  uint32_t driveType;
  StorageDeviceNumber number;
};

struct EmulatedHostSettings {
  uint32_t platformId = 2;  // the NT family
  std::string windowsDirectory = "C:\\WINDOWS";
  // Unset: the real local time.
  std::optional<SystemTime> fixedLocalTime;
  // Unset: a real counter in nanoseconds.
  std::optional<int64_t> counterFrequency;
  // Sleeps really wait only when set; they are always added up.
  bool realSleep = false;
  std::string programPath = "ssdfwu";
};

class EmulatedHost : public Host {
 public:
  EmulatedHost();
  ~EmulatedHost() override;

  // --- Configuration ---------------------------------------------------
  // Adds a disk; returns its id (0, 1, ... in attach order). Its device
  // number is id + 1; 0 belongs to the system disk.
  int Attach(std::unique_ptr<DiskImage> image, EmulatedDiskConfig config);
  EmulatedDisk& disk(int id) { return *disks_.at(static_cast<std::size_t>(id)).disk; }
  int diskCount() const { return static_cast<int>(disks_.size()); }
  const std::string& InterfacePathOf(int id) const;
  // The disk stops answering and leaves the interface list.
  void Remove(int id);
  // A disk interface whose path opens nothing (an IDE disk, a path that
  // cannot be reached, ...), listed in order with the attached disks.
  void AddForeignInterface(std::string path);
  void AddForeignVolume(ForeignVolume volume);
  EmulatedHostSettings& settings() { return settings_; }
  // The nth allocation from now, counting from 1, fails.
  void FailAllocation(uint32_t nth) { failAllocationIn_ = nth; }
  // Releases of blocks of this size report failure (and still free them).
  void FailReleaseOfSize(std::size_t bytes) { failReleaseOfSize_ = bytes; }

  // --- Observation ----------------------------------------------------------
  std::function<void(const char*)> onDebugOutput;
  std::function<void(const char*)> onStandardOutput;
  std::function<int(const char* text, const char* caption, uint32_t style)> onMessageBox;
  // A device arrived or went away (the notification's event code).
  std::function<void(uint32_t event)> onDeviceChange;
  const std::vector<std::string>& debugOutput() const { return debug_; }
  const std::vector<std::string>& standardOutput() const { return stdout_; }
  const std::vector<std::string>& messageBoxes() const { return boxes_; }
  uint64_t sleptMilliseconds() const { return slept_; }
  std::size_t openHandleCount() const { return handles_.size(); }
  std::size_t outstandingAllocations() const { return allocations_.size(); }
  // The letter the volume of partition entry `entry` of a disk has, or 0.
  char LetterOf(int diskId, int entry = 0);

  // --- Host -----------------------------------------------------------------------
  HostHandle Open(const std::string& path, uint32_t desiredAccess, uint32_t shareMode,
                  uint32_t creationDisposition, uint32_t flagsAndAttributes) override;
  bool Close(HostHandle handle) override;
  uint32_t LastError() override { return lastError_; }
  bool ScsiPassThroughDirect(HostHandle device, std::span<uint8_t> header) override;
  bool QueryDeviceNumber(HostHandle handle, StorageDeviceNumber& number) override;
  bool QueryGeometry(HostHandle disk, DiskGeometry& geometry) override;
  bool QueryPartitionInfo(HostHandle disk, PartitionInformation& partition) override;
  bool QueryDriveLayout(HostHandle disk, DriveLayoutInformation& layout) override;
  bool WriteDriveLayout(HostHandle disk, const DriveLayoutInformation& layout) override;
  bool InitializeDisk(HostHandle disk, const CreateDiskInformation& create) override;
  bool QueryDriveLayoutEx(HostHandle disk, DriveLayoutInformationEx& layout) override;
  bool WriteDriveLayoutEx(HostHandle disk, const DriveLayoutInformationEx& layout) override;
  bool UpdateDiskProperties(HostHandle disk) override;
  bool WriteRaw(HostHandle handle, std::span<const uint8_t> data, uint32_t& written) override;
  bool DismountVolume(HostHandle volume) override;
  bool UnlockVolume(HostHandle volume) override;
  HostHandle OpenDiskInterfaceSet() override;
  bool DiskInterfacePath(HostHandle set, uint32_t memberIndex, std::string& path) override;
  void CloseDiskInterfaceSet(HostHandle set) override;
  uint32_t LogicalDrives() override;
  uint32_t DriveTypeOf(const std::string& rootPath) override;
  std::string WindowsDirectory() override { return settings_.windowsDirectory; }
  bool FileExists(const std::string& path) override;
  bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) override;
  bool DeleteFileAt(const std::string& path) override;
  int RunCommandLine(const std::string& commandLine) override;
  bool ChangeDirectory(const std::string& directory) override;
  std::vector<std::string> PlainFilesOfCurrentDirectory() override;
  std::string ProgramPath() override { return settings_.programPath; }
  void* Allocate(std::size_t bytes) override;
  bool Release(void* block) override;
  bool QueryVersion(OsVersionInfo& info) override;
  SystemTime LocalTime() override;
  int64_t CounterFrequency() override;
  int64_t CounterValue() override;
  void SleepMilliseconds(uint32_t milliseconds) override;
  void DebugOutput(const char* text) override;
  void StandardOutput(const char* text) override;
  int OwnerlessMessageBox(const char* text, const char* caption, uint32_t style) override;

 private:
  struct AttachedDisk {
    std::unique_ptr<EmulatedDisk> disk;
    std::string interfacePath;
  };
  enum class Kind { kDisk, kVolume, kInterfaceSet };
  struct OpenObject {
    Kind kind;
    int disk = -1;    // kDisk, and kVolume on an emulated disk
    int entry = -1;   // kVolume: partition entry; -1 for a foreign volume
    char letter = 0;  // kVolume
    uint32_t access = 0;
    uint32_t share = 0;
    uint64_t position = 0;  // kDisk: byte offset of the next raw write
  };
  struct Volume {
    int disk;  // -1: foreign
    int entry;
    uint32_t driveType;
    StorageDeviceNumber number;
    uint64_t firstSector;  // on an emulated disk
  };
  // The interface list: an attached disk's id, or a foreign path.
  struct Interface {
    int disk;  // -1: foreign
    std::string path;
  };

  bool Fail(uint32_t error);
  bool Succeed();
  OpenObject* Find(HostHandle handle, Kind kind);
  EmulatedDisk* DiskOf(HostHandle handle);
  HostHandle NewHandle(OpenObject object);
  bool SharingAllows(int disk, uint32_t access, uint32_t share) const;
  void AfterCommand(int diskId);
  void RefreshVolumes();
  const Volume* VolumeAt(char letter);
  bool MtoolsVolumeOf(char letter, MtoolsVolume& volume);
  // The mtools volume and the name on it of a path "X:\NAME".
  bool VolumeFileOf(const std::string& path, MtoolsVolume& volume, std::string& name);
  // Sector 0 of a disk handle's disk, read or rewritten (a write-protected
  // disk refuses; a table the writer rejects is an invalid parameter).
  using TableReader = std::function<void(const SectorImage&, const LayoutGeometry&)>;
  using TableWriter = std::function<bool(SectorImage&, const LayoutGeometry&)>;
  bool ReadTable(HostHandle handle, const TableReader& read);
  bool RewriteTable(HostHandle handle, const TableWriter& apply);
  bool ReadSector0(int disk, std::array<uint8_t, 512>& sector);
  bool WriteSector0(int disk, const std::array<uint8_t, 512>& sector);

  std::vector<AttachedDisk> disks_;
  std::vector<Interface> interfaces_;
  std::vector<ForeignVolume> foreignVolumes_;
  // Letters stay with a volume (disk, entry) while it exists.
  std::map<std::pair<int, int>, char> letters_;
  std::map<char, Volume> volumes_;
  std::map<HostHandle, OpenObject> handles_;
  HostHandle nextHandle_ = 0x100;
  uint32_t lastError_ = 0;
  EmulatedHostSettings settings_;
  std::vector<std::string> debug_;
  std::vector<std::string> stdout_;
  std::vector<std::string> boxes_;
  uint64_t slept_ = 0;
  std::map<void*, std::size_t> allocations_;
  uint32_t failAllocationIn_ = 0;
  std::optional<std::size_t> failReleaseOfSize_;
};

}  // namespace ssdfwu
