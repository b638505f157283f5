#include "common/debug.h"

#include <cstdarg>
#include <cstdio>

#include "host/current_host.h"

namespace ssdfwu {

namespace {
constexpr int kFormattedBufferSize = 1024;
constexpr int kLineBufferSize = 260;
}  // namespace

void DebugPrintf(const char* format, ...) {
  char buffer[kFormattedBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  CurrentHost().DebugOutput(buffer);
}

void DebugLine(const char* text) {
  char buffer[kLineBufferSize];
  std::snprintf(buffer, sizeof buffer, "%s\n", text);
  CurrentHost().DebugOutput(buffer);
}

}  // namespace ssdfwu
