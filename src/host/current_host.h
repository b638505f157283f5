// The process-wide current host: set once by main (or by a test fixture)
// and used by every layer of the core.
#pragma once

#include "host/host.h"

namespace ssdfwu {

Host& CurrentHost();
// Makes host the current host and returns the previous one (may be null).
Host* SetCurrentHost(Host* host);

// Installs a host for the lifetime of a scope and restores the previous one.
class ScopedCurrentHost {
 public:
  explicit ScopedCurrentHost(Host& host) : previous_(SetCurrentHost(&host)) {}
  ~ScopedCurrentHost() { SetCurrentHost(previous_); }
  ScopedCurrentHost(const ScopedCurrentHost&) = delete;
  ScopedCurrentHost& operator=(const ScopedCurrentHost&) = delete;

 private:
  Host* previous_;
};

}  // namespace ssdfwu
