#include "host/current_host.h"

#include <cstdio>
#include <cstdlib>

namespace ssdfwu {

namespace {
Host* g_currentHost = nullptr;
}  // namespace

Host& CurrentHost() {
  if (g_currentHost == nullptr) {
    // A program that reaches the core without a host is wired wrongly; there
    // is no device it could safely touch.
    std::fputs("ssdfwu: no host installed\n", stderr);
    std::abort();
  }
  return *g_currentHost;
}

Host* SetCurrentHost(Host* host) {
  Host* previous = g_currentHost;
  g_currentHost = host;
  return previous;
}

}  // namespace ssdfwu
