// A decorator around any host that records what the core asks of it: every
// command block with its direction, length, timeout and outcome, and every
// other device request in order. The CLI's --trace and the tests read it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/host.h"

namespace ssdfwu {

struct CommandRecord {
  std::string path;  // the path the handle was opened with
  std::vector<uint8_t> cdb;
  bool dataIn = false;
  uint32_t dataLength = 0;  // DataTransferLength as handed to the system
  uint32_t timeoutSeconds = 0;
  uint8_t targetId = 0;
  bool completed = false;  // the system completed the request
  uint8_t scsiStatus = 0;
  // Up to the first 16 bytes of a data-out transfer.
  std::vector<uint8_t> dataOut;

  bool ok() const { return completed && scsiStatus == 0; }
};

// "cdb <bytes in lower-case hex> <in|out> <data length> <ok|fail>"
std::string TraceLine(const CommandRecord& record);

class TracingHost : public Host {
 public:
  explicit TracingHost(Host& inner) : inner_(inner) {}

  std::function<void(const CommandRecord&)> onCommand;
  const std::vector<CommandRecord>& commands() const { return commands_; }
  // Device requests other than command blocks, one line each, in order,
  // e.g. "open <path> access=c0000000 share=3", "set-layout", "close".
  const std::vector<std::string>& requests() const { return requests_; }
  void Clear() {
    commands_.clear();
    requests_.clear();
  }

  HostHandle Open(const std::string& path, uint32_t desiredAccess, uint32_t shareMode,
                  uint32_t creationDisposition, uint32_t flagsAndAttributes) override;
  bool Close(HostHandle handle) override;
  uint32_t LastError() override { return inner_.LastError(); }
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
  HostHandle OpenDiskInterfaceSet() override { return inner_.OpenDiskInterfaceSet(); }
  bool DiskInterfacePath(HostHandle set, uint32_t memberIndex, std::string& path) override {
    return inner_.DiskInterfacePath(set, memberIndex, path);
  }
  void CloseDiskInterfaceSet(HostHandle set) override { inner_.CloseDiskInterfaceSet(set); }
  uint32_t LogicalDrives() override { return inner_.LogicalDrives(); }
  uint32_t DriveTypeOf(const std::string& rootPath) override;
  std::string WindowsDirectory() override { return inner_.WindowsDirectory(); }
  bool FileExists(const std::string& path) override;
  bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) override;
  bool DeleteFileAt(const std::string& path) override;
  int RunCommandLine(const std::string& commandLine) override;
  bool ChangeDirectory(const std::string& directory) override {
    return inner_.ChangeDirectory(directory);
  }
  std::vector<std::string> PlainFilesOfCurrentDirectory() override {
    return inner_.PlainFilesOfCurrentDirectory();
  }
  std::string ProgramPath() override { return inner_.ProgramPath(); }
  void* Allocate(std::size_t bytes) override { return inner_.Allocate(bytes); }
  bool Release(void* block) override { return inner_.Release(block); }
  bool QueryVersion(OsVersionInfo& info) override { return inner_.QueryVersion(info); }
  SystemTime LocalTime() override { return inner_.LocalTime(); }
  int64_t CounterFrequency() override { return inner_.CounterFrequency(); }
  int64_t CounterValue() override { return inner_.CounterValue(); }
  void SleepMilliseconds(uint32_t milliseconds) override;
  void DebugOutput(const char* text) override { inner_.DebugOutput(text); }
  void StandardOutput(const char* text) override { inner_.StandardOutput(text); }
  int OwnerlessMessageBox(const char* text, const char* caption, uint32_t style) override {
    return inner_.OwnerlessMessageBox(text, caption, style);
  }

 private:
  bool Note(const std::string& request, HostHandle handle, bool result);
  std::string PathOf(HostHandle handle) const;

  Host& inner_;
  std::map<HostHandle, std::string> paths_;
  std::vector<CommandRecord> commands_;
  std::vector<std::string> requests_;
};

}  // namespace ssdfwu
