#include "host/tracing_host.h"

#include <algorithm>
#include <cstdio>

#include "host/pass_through_header.h"

namespace ssdfwu {

namespace {

std::string Hex(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%x", value);
  return buffer;
}

std::string Outcome(bool result) {
  return result ? " ok" : " fail";
}

}  // namespace

std::string TraceLine(const CommandRecord& record) {
  std::string line = "cdb";
  for (uint8_t byte : record.cdb) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", byte);
    line += hex;
  }
  line += record.dataIn ? " in " : " out ";
  line += std::to_string(record.dataLength);
  line += record.ok() ? " ok" : " fail";
  return line;
}

std::string TracingHost::PathOf(HostHandle handle) const {
  const auto found = paths_.find(handle);
  return found == paths_.end() ? std::string() : found->second;
}

bool TracingHost::Note(const std::string& request, HostHandle handle, bool result) {
  std::string line = request;
  if (handle != kInvalidHandleValue) line += " " + PathOf(handle);
  requests_.push_back(line + Outcome(result));
  return result;
}

HostHandle TracingHost::Open(const std::string& path, uint32_t desiredAccess, uint32_t shareMode,
                             uint32_t creationDisposition, uint32_t flagsAndAttributes) {
  const HostHandle handle =
      inner_.Open(path, desiredAccess, shareMode, creationDisposition, flagsAndAttributes);
  if (handle != kInvalidHandleValue) paths_[handle] = path;
  requests_.push_back("open " + path + " access=" + Hex(desiredAccess) +
                      " share=" + Hex(shareMode) + " flags=" + Hex(flagsAndAttributes) +
                      Outcome(handle != kInvalidHandleValue));
  return handle;
}

bool TracingHost::Close(HostHandle handle) {
  const bool result = Note("close", handle, inner_.Close(handle));
  paths_.erase(handle);
  return result;
}

bool TracingHost::ScsiPassThroughDirect(HostHandle device, std::span<uint8_t> header) {
  constexpr HeaderLayout layout = NativeHeaderLayout();
  CommandRecord record;
  record.path = PathOf(device);
  if (header.size() >= HeaderSize(layout)) {
    const ScsiPassThroughDirectHeader request = DecodePassThroughHeader(header, layout);
    const std::size_t cdbLength = std::min<std::size_t>(request.CdbLength, kMaxCdbLength);
    record.cdb.assign(request.Cdb.begin(), request.Cdb.begin() + static_cast<long>(cdbLength));
    record.dataIn = request.DataIn != 0;
    record.dataLength = request.DataTransferLength;
    record.timeoutSeconds = request.TimeOutValue;
    record.targetId = request.TargetId;
    if (!record.dataIn && request.DataBuffer != 0) {
      const auto* data =
          reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(request.DataBuffer));
      record.dataOut.assign(data, data + std::min<uint32_t>(request.DataTransferLength, 16));
    }
  }
  record.completed = inner_.ScsiPassThroughDirect(device, header);
  if (header.size() >= HeaderSize(layout)) record.scsiStatus = ScsiStatusOf(header, layout);
  commands_.push_back(record);
  if (onCommand) onCommand(commands_.back());
  return record.completed;
}

bool TracingHost::QueryDeviceNumber(HostHandle handle, StorageDeviceNumber& number) {
  return Note("device-number", handle, inner_.QueryDeviceNumber(handle, number));
}

bool TracingHost::QueryGeometry(HostHandle disk, DiskGeometry& geometry) {
  return Note("geometry", disk, inner_.QueryGeometry(disk, geometry));
}

bool TracingHost::QueryPartitionInfo(HostHandle disk, PartitionInformation& partition) {
  return Note("partition-info", disk, inner_.QueryPartitionInfo(disk, partition));
}

bool TracingHost::QueryDriveLayout(HostHandle disk, DriveLayoutInformation& layout) {
  return Note("get-layout", disk, inner_.QueryDriveLayout(disk, layout));
}

bool TracingHost::WriteDriveLayout(HostHandle disk, const DriveLayoutInformation& layout) {
  return Note("set-layout", disk, inner_.WriteDriveLayout(disk, layout));
}

bool TracingHost::InitializeDisk(HostHandle disk, const CreateDiskInformation& create) {
  return Note("create-disk", disk, inner_.InitializeDisk(disk, create));
}

bool TracingHost::QueryDriveLayoutEx(HostHandle disk, DriveLayoutInformationEx& layout) {
  return Note("get-layout-ex", disk, inner_.QueryDriveLayoutEx(disk, layout));
}

bool TracingHost::WriteDriveLayoutEx(HostHandle disk, const DriveLayoutInformationEx& layout) {
  return Note("set-layout-ex", disk, inner_.WriteDriveLayoutEx(disk, layout));
}

bool TracingHost::UpdateDiskProperties(HostHandle disk) {
  return Note("update-properties", disk, inner_.UpdateDiskProperties(disk));
}

bool TracingHost::WriteRaw(HostHandle handle, std::span<const uint8_t> data, uint32_t& written) {
  return Note("write " + std::to_string(data.size()), handle,
              inner_.WriteRaw(handle, data, written));
}

bool TracingHost::DismountVolume(HostHandle volume) {
  return Note("dismount", volume, inner_.DismountVolume(volume));
}

bool TracingHost::UnlockVolume(HostHandle volume) {
  return Note("unlock", volume, inner_.UnlockVolume(volume));
}

uint32_t TracingHost::DriveTypeOf(const std::string& rootPath) {
  const uint32_t type = inner_.DriveTypeOf(rootPath);
  requests_.push_back("drive-type " + rootPath + " " + std::to_string(type));
  return type;
}

bool TracingHost::FileExists(const std::string& path) {
  return Note("exists " + path, kInvalidHandleValue, inner_.FileExists(path));
}

bool TracingHost::CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
  return Note("copy " + from + " " + to, kInvalidHandleValue,
              inner_.CopyFileTo(from, to, failIfExists));
}

bool TracingHost::DeleteFileAt(const std::string& path) {
  return Note("delete " + path, kInvalidHandleValue, inner_.DeleteFileAt(path));
}

int TracingHost::RunCommandLine(const std::string& commandLine) {
  const int status = inner_.RunCommandLine(commandLine);
  requests_.push_back("run " + commandLine + " " + std::to_string(status));
  return status;
}

void TracingHost::SleepMilliseconds(uint32_t milliseconds) {
  requests_.push_back("sleep " + std::to_string(milliseconds));
  inner_.SleepMilliseconds(milliseconds);
}

}  // namespace ssdfwu
