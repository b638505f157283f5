#include "host/emulated/emulated_host.h"

#include <algorithm>
#include <cctype>

#include "host/pass_through_header.h"
#include "host/platform_constants.h"

namespace ssdfwu {

namespace {

constexpr uint32_t kSystemDiskNumber = 0;
constexpr const char* kDiskInterfaceClass = "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// "\\.\X:" names the volume of letter X.
char VolumeLetterOfPath(const std::string& path) {
  if (path.size() == 6 && path.compare(0, 4, "\\\\.\\") == 0 && path[5] == ':') {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(path[4])));
  }
  return 0;
}

std::string InstanceText(const std::string& text) {
  std::string out;
  for (char c : text) out += c == ' ' ? '_' : c;
  return out;
}

// The shape of a USB mass-storage disk interface path.
std::string UsbInterfacePath(const EmulatedDiskConfig& c, int id) {
  return "\\\\?\\USBSTOR#Disk&Ven_" + InstanceText(c.vendor) + "&Prod_" + InstanceText(c.product) +
         "&Rev_" + InstanceText(c.revision) + "#" + InstanceText(c.serial) + "&" +
         std::to_string(id) + "#" + kDiskInterfaceClass;
}

}  // namespace

EmulatedHost::EmulatedHost() {
  // The system drive lives on a disk that is not emulated.
  foreignVolumes_.push_back({'C', kDriveFixed, {kFileDeviceDisk, kSystemDiskNumber, 1}});
}

EmulatedHost::~EmulatedHost() {
  for (const auto& [block, size] : allocations_) delete[] static_cast<uint8_t*>(block);
}

// --- Configuration ------------------------------------------------------------

int EmulatedHost::Attach(std::unique_ptr<DiskImage> image, EmulatedDiskConfig config) {
  const int id = static_cast<int>(disks_.size());
  std::string path =
      config.interfacePath.empty() ? UsbInterfacePath(config, id) : config.interfacePath;
  disks_.push_back({std::make_unique<EmulatedDisk>(std::move(image), std::move(config)), path});
  interfaces_.push_back({id, path});
  return id;
}

const std::string& EmulatedHost::InterfacePathOf(int id) const {
  return disks_.at(static_cast<std::size_t>(id)).interfacePath;
}

void EmulatedHost::Remove(int id) {
  EmulatedDisk& d = disk(id);
  if (d.vanished()) return;
  d.Vanish();
  RefreshVolumes();
  if (onDeviceChange) onDeviceChange(kDbtDeviceRemoveComplete);
}

void EmulatedHost::AddForeignInterface(std::string path) {
  interfaces_.push_back({-1, std::move(path)});
}

void EmulatedHost::AddForeignVolume(ForeignVolume volume) {
  volume.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(volume.letter)));
  foreignVolumes_.push_back(volume);
}

char EmulatedHost::LetterOf(int diskId, int entry) {
  RefreshVolumes();
  const auto found = letters_.find({diskId, entry});
  return found == letters_.end() ? 0 : found->second;
}

// --- Handles ----------------------------------------------------------------

bool EmulatedHost::Fail(uint32_t error) {
  lastError_ = error;
  return false;
}

bool EmulatedHost::Succeed() {
  lastError_ = kErrorSuccess;
  return true;
}

EmulatedHost::OpenObject* EmulatedHost::Find(HostHandle handle, Kind kind) {
  const auto found = handles_.find(handle);
  if (found == handles_.end() || found->second.kind != kind) return nullptr;
  return &found->second;
}

EmulatedDisk* EmulatedHost::DiskOf(HostHandle handle) {
  OpenObject* object = Find(handle, Kind::kDisk);
  if (object == nullptr) {
    Fail(kErrorInvalidHandle);
    return nullptr;
  }
  EmulatedDisk& d = disk(object->disk);
  if (d.vanished()) {
    Fail(kErrorDeviceNotConnected);
    return nullptr;
  }
  return &d;
}

HostHandle EmulatedHost::NewHandle(OpenObject object) {
  const HostHandle handle = nextHandle_;
  nextHandle_ += 4;
  handles_.emplace(handle, object);
  Succeed();
  return handle;
}

bool EmulatedHost::SharingAllows(int diskId, uint32_t access, uint32_t share) const {
  for (const auto& [handle, open] : handles_) {
    if (open.kind != Kind::kDisk || open.disk != diskId) continue;
    // Each side must share what the other one asks for.
    const auto needs = [](uint32_t a) {
      return ((a & kGenericRead) ? kFileShareRead : 0u) |
             ((a & kGenericWrite) ? kFileShareWrite : 0u);
    };
    if ((needs(access) & ~open.share) != 0 || (needs(open.access) & ~share) != 0) return false;
  }
  return true;
}

HostHandle EmulatedHost::Open(const std::string& path, uint32_t desiredAccess, uint32_t shareMode,
                              uint32_t creationDisposition, uint32_t) {
  if (creationDisposition != kOpenExisting) {
    Fail(kErrorInvalidParameter);
    return kInvalidHandleValue;
  }
  if (const char letter = VolumeLetterOfPath(path); letter != 0) {
    const Volume* volume = VolumeAt(letter);
    if (volume == nullptr) {
      Fail(kErrorFileNotFound);
      return kInvalidHandleValue;
    }
    return NewHandle({.kind = Kind::kVolume,
                      .disk = volume->disk,
                      .entry = volume->entry,
                      .letter = letter,
                      .access = desiredAccess,
                      .share = shareMode});
  }
  for (int id = 0; id < diskCount(); ++id) {
    if (!EqualsIgnoringCase(path, disks_[static_cast<std::size_t>(id)].interfacePath)) continue;
    EmulatedDisk& d = disk(id);
    if (d.vanished()) break;
    if (d.faults().failOpens > 0) {
      --d.faults().failOpens;
      Fail(kErrorSharingViolation);
      return kInvalidHandleValue;
    }
    if (!SharingAllows(id, desiredAccess, shareMode)) {
      Fail(kErrorSharingViolation);
      return kInvalidHandleValue;
    }
    return NewHandle(
        {.kind = Kind::kDisk, .disk = id, .access = desiredAccess, .share = shareMode});
  }
  Fail(kErrorFileNotFound);
  return kInvalidHandleValue;
}

bool EmulatedHost::Close(HostHandle handle) {
  const auto found = handles_.find(handle);
  if (found == handles_.end() || found->second.kind == Kind::kInterfaceSet) {
    return Fail(kErrorInvalidHandle);
  }
  handles_.erase(found);
  return Succeed();
}

// --- Pass-through -----------------------------------------------------------

bool EmulatedHost::ScsiPassThroughDirect(HostHandle device, std::span<uint8_t> header) {
  const OpenObject* object = Find(device, Kind::kDisk);
  if (object == nullptr) return Fail(kErrorInvalidHandle);
  constexpr HeaderLayout layout = NativeHeaderLayout();
  if (header.size() != HeaderSize(layout)) return Fail(kErrorInvalidParameter);
  ScsiPassThroughDirectHeader request = DecodePassThroughHeader(header, layout);
  if (request.Length != HeaderSize(layout) || request.CdbLength == 0 ||
      request.CdbLength > kMaxCdbLength || request.DataIn > kScsiIoctlDataIn ||
      (request.DataTransferLength > 0 && request.DataBuffer == 0)) {
    return Fail(kErrorInvalidParameter);
  }
  // Pass-through asks for read and write access on the handle.
  if ((object->access & (kGenericRead | kGenericWrite)) != (kGenericRead | kGenericWrite)) {
    return Fail(kErrorAccessDenied);
  }
  const int diskId = object->disk;
  EmulatedDisk& d = disk(diskId);
  if (d.vanished()) return Fail(kErrorDeviceNotConnected);

  auto* data = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(request.DataBuffer));
  const ScsiAnswer answer = d.Execute(
      std::span<const uint8_t>(request.Cdb.data(), request.CdbLength),
      request.DataIn == kScsiIoctlDataIn, std::span<uint8_t>(data, request.DataTransferLength));
  request.ScsiStatus = answer.status;
  request.DataTransferLength = answer.transferred;
  EncodePassThroughHeader(request, layout, header);
  AfterCommand(diskId);
  return Succeed();
}

void EmulatedHost::AfterCommand(int diskId) {
  EmulatedDisk& d = disk(diskId);
  if (d.faults().vanishAfter && d.commandCount() >= *d.faults().vanishAfter) Remove(diskId);
}

}  // namespace ssdfwu
