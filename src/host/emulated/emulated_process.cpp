// Process services of the emulated host: memory with faults on demand, the
// version, clocks, sleeps and the output channels.
#include "host/emulated/emulated_host.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "host/platform_constants.h"

namespace ssdfwu {

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
