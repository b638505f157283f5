#include "host/emulated/emulated_host.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <thread>

#include "host/emulated/disk_layout.h"
#include "host/emulated/volume_files.h"
#include "host/mbr_codec.h"
#include "host/pass_through_header.h"
#include "host/platform_constants.h"

namespace ssdfwu {

namespace {

constexpr uint32_t kSystemDiskNumber = 0;
constexpr char kFirstAssignedLetter = 'E';
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

// --- Disk control ---------------------------------------------------------------

bool EmulatedHost::QueryDeviceNumber(HostHandle handle, StorageDeviceNumber& number) {
  const auto found = handles_.find(handle);
  if (found == handles_.end() || found->second.kind == Kind::kInterfaceSet) {
    return Fail(kErrorInvalidHandle);
  }
  const OpenObject& object = found->second;
  if (object.kind == Kind::kDisk) {
    if (disk(object.disk).vanished()) return Fail(kErrorDeviceNotConnected);
    number = {kFileDeviceDisk, static_cast<uint32_t>(object.disk) + 1, 0};
    return Succeed();
  }
  const Volume* volume = VolumeAt(object.letter);
  if (volume == nullptr) return Fail(kErrorDeviceNotConnected);
  number = volume->number;
  return Succeed();
}

bool EmulatedHost::QueryGeometry(HostHandle handle, DiskGeometry& geometry) {
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  const EmulatedDiskConfig& c = d->config();
  const uint64_t perCylinder =
      static_cast<uint64_t>(c.bytesPerSector) * c.tracksPerCylinder * c.sectorsPerTrack;
  const uint64_t bytes = d->SectorCount() * kImageSectorSize;
  geometry.Cylinders = perCylinder == 0 ? 0 : static_cast<int64_t>(bytes / perCylinder);
  geometry.MediaType = c.removable ? kRemovableMedia : kFixedMedia;
  geometry.TracksPerCylinder = c.tracksPerCylinder;
  geometry.SectorsPerTrack = c.sectorsPerTrack;
  geometry.BytesPerSector = c.bytesPerSector;
  return Succeed();
}

bool EmulatedHost::QueryPartitionInfo(HostHandle handle, PartitionInformation& partition) {
  // On a disk handle the answer describes the whole disk (partition 0).
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  partition = PartitionInformation{};
  partition.PartitionLength = static_cast<int64_t>(d->SectorCount() * kImageSectorSize);
  return Succeed();
}

bool EmulatedHost::ReadSector0(int diskId, std::array<uint8_t, 512>& sector) {
  return disk(diskId).ReadSector(0, sector.data());
}

bool EmulatedHost::WriteSector0(int diskId, const std::array<uint8_t, 512>& sector) {
  return disk(diskId).WriteSector(0, sector.data());
}

namespace {
LayoutGeometry GeometryForLayout(const EmulatedDisk& d) {
  const EmulatedDiskConfig& c = d.config();
  return {c.bytesPerSector, c.tracksPerCylinder, c.sectorsPerTrack,
          d.SectorCount() * kImageSectorSize};
}
}  // namespace

bool EmulatedHost::QueryDriveLayout(HostHandle handle, DriveLayoutInformation& layout) {
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  SectorImage sector0{};
  if (!ReadSector0(Find(handle, Kind::kDisk)->disk, sector0)) return Fail(kErrorIoDevice);
  layout = LayoutOfSector(sector0, GeometryForLayout(*d));
  return Succeed();
}

bool EmulatedHost::WriteDriveLayout(HostHandle handle, const DriveLayoutInformation& layout) {
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  if (d->config().readOnly) return Fail(kErrorWriteProtect);
  const int id = Find(handle, Kind::kDisk)->disk;
  SectorImage sector0{};
  if (!ReadSector0(id, sector0)) return Fail(kErrorIoDevice);
  if (!ApplyLayout(sector0, layout, GeometryForLayout(*d))) return Fail(kErrorInvalidParameter);
  if (!WriteSector0(id, sector0)) return Fail(kErrorIoDevice);
  RefreshVolumes();
  return Succeed();
}

bool EmulatedHost::InitializeDisk(HostHandle handle, const CreateDiskInformation& create) {
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  if (create.PartitionStyle != kPartitionStyleMbr) return Fail(kErrorInvalidParameter);
  if (d->config().readOnly) return Fail(kErrorWriteProtect);
  if (!WriteSector0(Find(handle, Kind::kDisk)->disk, EmptyMbr(create.Signature))) {
    return Fail(kErrorIoDevice);
  }
  RefreshVolumes();
  return Succeed();
}

bool EmulatedHost::QueryDriveLayoutEx(HostHandle handle, DriveLayoutInformationEx& layout) {
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  SectorImage sector0{};
  if (!ReadSector0(Find(handle, Kind::kDisk)->disk, sector0)) return Fail(kErrorIoDevice);
  layout = LayoutExOfSector(sector0, GeometryForLayout(*d));
  return Succeed();
}

bool EmulatedHost::WriteDriveLayoutEx(HostHandle handle, const DriveLayoutInformationEx& layout) {
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  if (d->config().readOnly) return Fail(kErrorWriteProtect);
  const int id = Find(handle, Kind::kDisk)->disk;
  SectorImage sector0{};
  if (!ReadSector0(id, sector0)) return Fail(kErrorIoDevice);
  if (!ApplyLayoutEx(sector0, layout, GeometryForLayout(*d))) return Fail(kErrorInvalidParameter);
  if (!WriteSector0(id, sector0)) return Fail(kErrorIoDevice);
  RefreshVolumes();
  return Succeed();
}

bool EmulatedHost::UpdateDiskProperties(HostHandle handle) {
  if (DiskOf(handle) == nullptr) return false;
  RefreshVolumes();
  return Succeed();
}

bool EmulatedHost::WriteRaw(HostHandle handle, std::span<const uint8_t> data, uint32_t& written) {
  written = 0;
  EmulatedDisk* d = DiskOf(handle);
  if (d == nullptr) return false;
  OpenObject& object = *Find(handle, Kind::kDisk);
  if ((object.access & kGenericWrite) == 0) return Fail(kErrorAccessDenied);
  // Raw disk writes go in whole sectors from a sector boundary.
  if (data.size() % kImageSectorSize != 0 || object.position % kImageSectorSize != 0) {
    return Fail(kErrorInvalidParameter);
  }
  if (d->config().readOnly) return Fail(kErrorWriteProtect);
  const uint64_t lba = object.position / kImageSectorSize;
  const uint32_t count = static_cast<uint32_t>(data.size() / kImageSectorSize);
  if (!d->image().Write(lba, count, data.data())) return Fail(kErrorIoDevice);
  object.position += data.size();
  written = static_cast<uint32_t>(data.size());
  return Succeed();
}

bool EmulatedHost::DismountVolume(HostHandle handle) {
  if (Find(handle, Kind::kVolume) == nullptr) return Fail(kErrorInvalidHandle);
  return Succeed();
}

bool EmulatedHost::UnlockVolume(HostHandle handle) {
  if (Find(handle, Kind::kVolume) == nullptr) return Fail(kErrorInvalidHandle);
  return Succeed();
}

// --- Enumeration ----------------------------------------------------------------

HostHandle EmulatedHost::OpenDiskInterfaceSet() {
  return NewHandle({.kind = Kind::kInterfaceSet});
}

bool EmulatedHost::DiskInterfacePath(HostHandle set, uint32_t memberIndex, std::string& path) {
  if (Find(set, Kind::kInterfaceSet) == nullptr) return Fail(kErrorInvalidHandle);
  uint32_t present = 0;
  for (const Interface& i : interfaces_) {
    if (i.disk >= 0 && disk(i.disk).vanished()) continue;
    if (present++ == memberIndex) {
      path = i.path;
      return Succeed();
    }
  }
  return Fail(259);  // no more items
}

void EmulatedHost::CloseDiskInterfaceSet(HostHandle set) {
  const auto found = handles_.find(set);
  if (found != handles_.end() && found->second.kind == Kind::kInterfaceSet) handles_.erase(found);
}

// --- Volumes and letters ----------------------------------------------------------

void EmulatedHost::RefreshVolumes() {
  std::map<std::pair<int, int>, Volume> present;
  for (int id = 0; id < diskCount(); ++id) {
    EmulatedDisk& d = disk(id);
    SectorImage sector0{};
    if (d.vanished() || !ReadSector0(id, sector0) || !HasBootSignature(sector0)) continue;
    for (int entry = 0; entry < kMbrEntryCount; ++entry) {
      const MbrEntry e = ReadMbrEntry(sector0, entry);
      if (!IsRecognizedPartitionType(e.type) || e.sectors == 0) continue;
      present[{id, entry}] = {
          id,
          entry,
          d.config().removable ? kDriveRemovable : kDriveFixed,
          {kFileDeviceDisk, static_cast<uint32_t>(id) + 1, static_cast<uint32_t>(entry) + 1},
          e.lbaFirst};
    }
  }
  // Letters of volumes that went away are free again; new volumes take the
  // lowest free letter from E, in disk and entry order.
  std::erase_if(letters_, [&](const auto& kv) { return present.count(kv.first) == 0; });
  std::set<char> taken;
  for (const ForeignVolume& f : foreignVolumes_) taken.insert(f.letter);
  for (const auto& [key, letter] : letters_) taken.insert(letter);
  for (const auto& [key, volume] : present) {
    if (letters_.count(key) != 0) continue;
    char letter = kFirstAssignedLetter;
    while (letter <= 'Z' && taken.count(letter) != 0) ++letter;
    if (letter > 'Z') continue;
    letters_[key] = letter;
    taken.insert(letter);
  }
  volumes_.clear();
  for (const ForeignVolume& f : foreignVolumes_)
    volumes_[f.letter] = {-1, -1, f.driveType, f.number, 0};
  for (const auto& [key, letter] : letters_) volumes_[letter] = present.at(key);
}

const EmulatedHost::Volume* EmulatedHost::VolumeAt(char letter) {
  RefreshVolumes();
  const auto found =
      volumes_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  return found == volumes_.end() ? nullptr : &found->second;
}

uint32_t EmulatedHost::LogicalDrives() {
  RefreshVolumes();
  uint32_t mask = 0;
  for (const auto& [letter, volume] : volumes_) mask |= 1u << (letter - 'A');
  return mask;
}

uint32_t EmulatedHost::DriveTypeOf(const std::string& rootPath) {
  if (rootPath.size() != 3 || rootPath[1] != ':' || rootPath[2] != '\\') return kDriveNoRootDir;
  const Volume* volume = VolumeAt(rootPath[0]);
  return volume == nullptr ? kDriveNoRootDir : volume->driveType;
}

// --- Files ------------------------------------------------------------------------

bool EmulatedHost::MtoolsVolumeOf(char letter, MtoolsVolume& volume) {
  const Volume* found = VolumeAt(letter);
  if (found == nullptr || found->disk < 0) return false;
  const std::string image = disk(found->disk).image().FilePath();
  if (image.empty()) return false;  // a memory image has no file for mtools
  volume = {image, found->firstSector * kImageSectorSize};
  return true;
}

bool EmulatedHost::VolumeFileOf(const std::string& path, MtoolsVolume& volume, std::string& name) {
  if (path.size() < 4 || path[1] != ':' || path[2] != '\\') return false;
  name = path.substr(3);
  return MtoolsVolumeOf(path[0], volume);
}

bool EmulatedHost::FileExists(const std::string& path) {
  MtoolsVolume volume;
  std::string name;
  if (VolumeFileOf(path, volume, name)) return VolumeFileExists(volume, name);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool EmulatedHost::CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
  MtoolsVolume volume;
  std::string name;
  if (!VolumeFileOf(to, volume, name)) return Fail(kErrorNotSupported);
  std::error_code error;
  if (!std::filesystem::is_regular_file(from, error)) return Fail(kErrorFileNotFound);
  if (failIfExists && VolumeFileExists(volume, name)) return Fail(kErrorFileExists);
  return CopyIntoVolume(volume, from, name) ? Succeed() : Fail(kErrorIoDevice);
}

bool EmulatedHost::DeleteFileAt(const std::string& path) {
  MtoolsVolume volume;
  std::string name;
  if (!VolumeFileOf(path, volume, name)) return Fail(kErrorNotSupported);
  return DeleteFromVolume(volume, name) ? Succeed() : Fail(kErrorFileNotFound);
}

int EmulatedHost::RunCommandLine(const std::string& commandLine) {
  // The copy command, "xcopy *.* /S /Y X:\", copies the current directory.
  const std::string form = "xcopy *.* /s /y ";
  std::string lower = commandLine;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower.size() != form.size() + 3 || lower.compare(0, form.size(), form) != 0 ||
      lower.compare(form.size() + 1, 2, ":\\") != 0) {
    return -1;
  }
  MtoolsVolume volume;
  if (!MtoolsVolumeOf(commandLine[form.size()], volume)) return 4;
  std::error_code error;
  const std::string directory = std::filesystem::current_path(error).string();
  return error ? 4 : CopyDirectoryTree(volume, directory);
}

bool EmulatedHost::ChangeDirectory(const std::string& directory) {
  std::error_code error;
  std::filesystem::current_path(directory, error);
  return error ? Fail(kErrorFileNotFound) : Succeed();
}

std::vector<std::string> EmulatedHost::PlainFilesOfCurrentDirectory() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind('.', 0) == 0) continue;  // hidden
    if (entry.is_regular_file(error)) names.push_back(name);
  }
  // By name, as a list box sorts: letter case aside, then byte order.
  const auto folded = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  };
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    const std::string fa = folded(a);
    const std::string fb = folded(b);
    return fa != fb ? fa < fb : a < b;
  });
  return names;
}

// --- Process ------------------------------------------------------------------------

void* EmulatedHost::Allocate(std::size_t bytes) {
  if (failAllocationIn_ > 0 && --failAllocationIn_ == 0) {
    Fail(kErrorNotEnoughMemory);
    return nullptr;
  }
  void* block = new uint8_t[bytes == 0 ? 1 : bytes]();
  allocations_[block] = bytes;
  return block;
}

bool EmulatedHost::Release(void* block) {
  const auto found = allocations_.find(block);
  if (found == allocations_.end()) return Fail(kErrorInvalidParameter);
  const std::size_t size = found->second;
  delete[] static_cast<uint8_t*>(block);
  allocations_.erase(found);
  // A release that "fails" still frees, so that tests do not leak.
  if (failReleaseOfSize_ && *failReleaseOfSize_ == size) return Fail(kErrorInvalidParameter);
  return Succeed();
}

bool EmulatedHost::QueryVersion(OsVersionInfo& info) {
  if (info.dwOSVersionInfoSize != kOsVersionInfoSize) return Fail(kErrorInvalidParameter);
  info.dwMajorVersion = 6;
  info.dwMinorVersion = 1;
  info.dwPlatformId = settings_.platformId;
  return Succeed();
}

SystemTime EmulatedHost::LocalTime() {
  if (settings_.fixedLocalTime) return *settings_.fixedLocalTime;
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const std::tm local = *std::localtime(&seconds);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  SystemTime t;
  t.wYear = static_cast<uint16_t>(local.tm_year + 1900);
  t.wMonth = static_cast<uint16_t>(local.tm_mon + 1);
  t.wDayOfWeek = static_cast<uint16_t>(local.tm_wday);
  t.wDay = static_cast<uint16_t>(local.tm_mday);
  t.wHour = static_cast<uint16_t>(local.tm_hour);
  t.wMinute = static_cast<uint16_t>(local.tm_min);
  t.wSecond = static_cast<uint16_t>(local.tm_sec);
  t.wMilliseconds = static_cast<uint16_t>(millis);
  return t;
}

int64_t EmulatedHost::CounterFrequency() {
  return settings_.counterFrequency ? *settings_.counterFrequency : 1'000'000'000;
}

int64_t EmulatedHost::CounterValue() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void EmulatedHost::SleepMilliseconds(uint32_t milliseconds) {
  slept_ += milliseconds;
  if (settings_.realSleep) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void EmulatedHost::DebugOutput(const char* text) {
  debug_.emplace_back(text);
  if (onDebugOutput) onDebugOutput(text);
}

void EmulatedHost::StandardOutput(const char* text) {
  stdout_.emplace_back(text);
  if (onStandardOutput) onStandardOutput(text);
}

int EmulatedHost::OwnerlessMessageBox(const char* text, const char* caption, uint32_t style) {
  boxes_.emplace_back(text);
  if (onMessageBox) return onMessageBox(text, caption, style);
  return kIdOk;
}

}  // namespace ssdfwu
