// The interface list and the volumes of the emulated machine: a recognised
// partition on an emulated disk is a volume with a drive letter from E upward.
#include "host/emulated/emulated_host.h"

#include <cctype>
#include <set>

#include "host/emulated/disk_layout.h"
#include "host/mbr_codec.h"
#include "host/platform_constants.h"

namespace ssdfwu {

namespace {
constexpr char kFirstAssignedLetter = 'E';
constexpr uint32_t kErrorNoMoreItems = 259;
}  // namespace

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
  return Fail(kErrorNoMoreItems);
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

}  // namespace ssdfwu
