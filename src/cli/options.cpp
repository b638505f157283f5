#include "cli/options.h"

#include <cstdlib>

namespace ssdfwu {

const char* const kUsageText =
    "Usage: ssdfwu-cli [OPTIONS] list\n"
    "       ssdfwu-cli [OPTIONS] prepare INDEX [--yes] [--from DIR]\n"
    "\n"
    "Turns a USB disk into a bootable FreeDOS disk carrying the files of a directory.\n"
    "\n"
    "Commands:\n"
    "  list                 one line per USB disk: INDEX: ENTRY\n"
    "  prepare INDEX        partition, format and make bootable the disk of entry INDEX,\n"
    "                       then copy the directory's files onto it (ALL DATA IS LOST)\n"
    "\n"
    "Options:\n"
    "  --yes                answer Yes to the confirmation\n"
    "  --from DIR           the directory whose files are copied (default: the current one)\n"
    "  --attach IMAGE[,bridge=CODE][,vendor=TEXT][,product=TEXT][,model=TEXT][,serial=TEXT]\n"
    "           [,ro][,vanish-after=N]\n"
    "                       an emulated USB disk backed by IMAGE (repeatable); bridge is the\n"
    "                       four-character bridge code (q413, q418, ... drive the disk with\n"
    "                       ATA commands) or none (the default: SCSI commands)\n"
    "  --verbose            the debug channel and the formatter's report on standard error\n"
    "  --trace              one line per command block on standard error\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 refused or declined, 64 usage error.\n";

namespace {

bool ParseCount(const std::string& text, uint64_t& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::strtoull(text.c_str(), nullptr, 10);
  return true;
}

}  // namespace

std::optional<AttachSpec> ParseAttach(const std::string& text, std::string& error) {
  AttachSpec spec;
  std::size_t start = 0;
  bool first = true;
  while (start <= text.size()) {
    const std::size_t comma = text.find(',', start);
    const std::string part =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    start = comma == std::string::npos ? text.size() + 1 : comma + 1;
    if (first) {
      spec.image = part;
      first = false;
      continue;
    }
    const std::size_t equals = part.find('=');
    const std::string key = part.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : part.substr(equals + 1);
    uint64_t count = 0;
    if (key == "ro" && equals == std::string::npos) {
      spec.config.readOnly = true;
    } else if (key == "bridge" && (value == "none" || value.size() == 4)) {
      spec.config.bridgeCode = value == "none" ? "" : value;
    } else if (key == "vendor" && equals != std::string::npos) {
      spec.config.vendor = value;
    } else if (key == "product" && equals != std::string::npos) {
      spec.config.product = value;
    } else if (key == "model" && equals != std::string::npos) {
      spec.config.model = value;
    } else if (key == "serial" && equals != std::string::npos) {
      spec.config.serial = value;
    } else if (key == "vanish-after" && ParseCount(value, count)) {
      spec.config.faults.vanishAfter = count;
    } else {
      error = "--attach: '" + part +
              "' is not IMAGE's setting (bridge=CODE of 4 characters or "
              "none, vendor=, product=, model=, serial=, ro, vanish-after=N)";
      return std::nullopt;
    }
  }
  if (spec.image.empty()) {
    error = "--attach needs an image file";
    return std::nullopt;
  }
  return spec;
}

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
  ParsedOptions parsed;
  CliOptions& o = parsed.options;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (a == "--help" || a == "-h") {
      o.command = CliOptions::Command::kHelp;
      return parsed;
    } else if (a == "--version") {
      o.command = CliOptions::Command::kVersion;
      return parsed;
    } else if (a == "--yes" || a == "-y") {
      o.yes = true;
    } else if (a == "--verbose" || a == "-v") {
      o.verbose = true;
    } else if (a == "--trace") {
      o.trace = true;
    } else if (a == "--from" || a == "--attach") {
      if (!hasValue) {
        parsed.error = a + " needs a value";
        return parsed;
      }
      const std::string& value = arguments[++i];
      if (a == "--from") {
        o.from = value;
      } else if (std::optional<AttachSpec> spec = ParseAttach(value, parsed.error)) {
        o.attaches.push_back(*spec);
      } else {
        return parsed;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      parsed.error = "unknown option " + a;
      return parsed;
    } else {
      positional.push_back(a);
    }
  }
  if (positional.empty()) {
    parsed.error = "a command is needed: list or prepare INDEX";
  } else if (positional[0] == "list" && positional.size() == 1) {
    o.command = CliOptions::Command::kList;
    if (o.yes || o.from) parsed.error = "--yes and --from go with prepare";
  } else if (positional[0] == "prepare" && positional.size() == 2) {
    uint64_t index = 0;
    if (!ParseCount(positional[1], index) || index > 255) {
      parsed.error = "prepare: INDEX must be an entry number, not '" + positional[1] + "'";
    } else {
      o.command = CliOptions::Command::kPrepare;
      o.index = static_cast<int>(index);
    }
  } else if (positional[0] == "list") {
    parsed.error = "list takes no arguments";
  } else if (positional[0] == "prepare") {
    parsed.error = "prepare takes one INDEX";
  } else {
    parsed.error = "unknown command '" + positional[0] + "' (list, prepare INDEX)";
  }
  return parsed;
}

}  // namespace ssdfwu
