// RAII owners for what the core obtains through the host: a device or volume
// handle, and a block of memory. Both are released on every path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "host/host.h"

namespace ssdfwu {

class ScopedHandle {
 public:
  ScopedHandle(Host& host, HostHandle handle) : host_(host), handle_(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool valid() const { return handle_ != kInvalidHandleValue; }
  HostHandle get() const { return handle_; }
  // Closes now; returns the host's result (true when there was nothing open).
  bool Reset() {
    if (!valid()) return true;
    const bool closed = host_.Close(handle_);
    handle_ = kInvalidHandleValue;
    return closed;
  }

 private:
  Host& host_;
  HostHandle handle_;
};

class HostMemory {
 public:
  HostMemory(Host& host, std::size_t bytes)
      : host_(host), block_(static_cast<uint8_t*>(host.Allocate(bytes))), size_(bytes) {}
  ~HostMemory() { Release(); }
  HostMemory(const HostMemory&) = delete;
  HostMemory& operator=(const HostMemory&) = delete;

  explicit operator bool() const { return block_ != nullptr; }
  uint8_t* data() const { return block_; }
  std::size_t size() const { return block_ != nullptr ? size_ : 0; }
  std::span<uint8_t> span() const { return {block_, size()}; }
  // Gives the block back now; returns the host's result (true when empty).
  bool Release() {
    if (block_ == nullptr) return true;
    const bool released = host_.Release(block_);
    block_ = nullptr;
    return released;
  }

 private:
  Host& host_;
  uint8_t* block_;
  std::size_t size_;
};

}  // namespace ssdfwu
