// The command line of ssdfwu-cli.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/emulated/emulated_disk.h"

namespace ssdfwu {

struct AttachSpec {
  std::string image;
  EmulatedDiskConfig config;
};

struct CliOptions {
  enum class Command { kNone, kList, kPrepare, kHelp, kVersion };
  Command command = Command::kNone;
  int index = -1;  // prepare INDEX
  bool yes = false;
  std::optional<std::string> from;
  std::vector<AttachSpec> attaches;
  bool verbose = false;
  bool trace = false;
};

// The options, or the one-line reason why the command line is not usable.
struct ParsedOptions {
  CliOptions options;
  std::string error;
};
ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

// IMAGE[,bridge=CODE][,vendor=TEXT][,product=TEXT][,model=TEXT][,serial=TEXT][,ro][,vanish-after=N]
std::optional<AttachSpec> ParseAttach(const std::string& text, std::string& error);

extern const char* const kUsageText;

}  // namespace ssdfwu
