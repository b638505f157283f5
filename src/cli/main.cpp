// ssdfwu-cli: the main window's controller on a terminal.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "cli/cli_view.h"
#include "cli/options.h"
#include "host/console.h"
#include "host/current_host.h"
#include "host/emulated/disk_image.h"
#include "host/emulated/emulated_host.h"
#include "host/platform_constants.h"
#include "host/tracing_host.h"

namespace {

using namespace ssdfwu;

constexpr int kExitDone = 0;
constexpr int kExitFail = 1;
constexpr int kExitRefused = 2;
constexpr int kExitUsage = 64;

int Usage(const std::string& reason) {
  std::cerr << "ssdfwu-cli: " << reason << " (see ssdfwu-cli --help)\n";
  return kExitUsage;
}

int ExitStatusOf(StartOutcome outcome) {
  switch (outcome) {
    case StartOutcome::kDone:
      return kExitDone;
    case StartOutcome::kFail:
    case StartOutcome::kNoBuffer:
      return kExitFail;
    default:
      return kExitRefused;
  }
}

int Run(const CliOptions& options, const std::string& programPath) {
  EmulatedHost host;
  host.settings().realSleep = true;
  host.settings().programPath = programPath;
  TracingHost tracer(host);
  ScopedCurrentHost installed(tracer);

  std::error_code error;
  std::string directory = std::filesystem::current_path(error).string();
  if (options.from) {
    if (!std::filesystem::is_directory(*options.from, error)) {
      return Usage("--from: '" + *options.from + "' is not a directory");
    }
    directory = std::filesystem::absolute(*options.from, error).string();
  }
  for (const AttachSpec& spec : options.attaches) {
    std::string why;
    std::unique_ptr<FileImage> image = FileImage::Open(spec.image, why, spec.config.readOnly);
    if (!image) return Usage("--attach: " + why);
    host.Attach(std::move(image), spec.config);
  }
  if (options.attaches.empty()) {
    std::cerr << "ssdfwu-cli: this build has no real-disk host; attach an emulated USB disk "
                 "with --attach IMAGE\n";
  }

  CliView view(options.yes, StandardErrorIsTerminal());
  TMainForm form(view, directory);
  tracer.onCommand = [&](const CommandRecord& record) {
    view.CommandSent(!record.dataIn, record.dataLength);
    if (options.trace) view.Diagnostic(TraceLine(record));
  };
  if (options.verbose) {
    host.onDebugOutput = [&](const char* text) { view.Diagnostic(text); };
    host.onStandardOutput = [&](const char* text) { view.Diagnostic(text); };
  }
  host.onMessageBox = [&](const char* text, const char*, uint32_t) {
    view.Diagnostic(std::string("ssdfwu-cli: ") + text);
    return kIdOk;
  };
  host.onDeviceChange = [&](uint32_t event) { form.Dispatch({kWmDeviceChange, event, 0, 0}); };

  form.FormCreate();
  const std::vector<std::string>& entries = form.DeviceList.Items;
  if (options.command == CliOptions::Command::kList) {
    for (std::size_t i = 0; i < entries.size(); ++i) std::cout << i << ": " << entries[i] << '\n';
    return kExitDone;
  }
  if (options.index < 0 || static_cast<std::size_t>(options.index) >= entries.size()) {
    std::cerr << "ssdfwu-cli: there is no entry " << options.index << " (" << entries.size()
              << " listed)\n";
    return kExitRefused;
  }
  form.DeviceList.ItemIndex = options.index;
  view.SetEntry(entries[static_cast<std::size_t>(options.index)]);
  form.StartBnClick();
  return ExitStatusOf(form.lastOutcome());
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const ParsedOptions parsed = ParseOptions(arguments);
  if (!parsed.error.empty()) return Usage(parsed.error);
  switch (parsed.options.command) {
    case CliOptions::Command::kHelp:
      std::cout << kUsageText;
      return kExitDone;
    case CliOptions::Command::kVersion:
      std::cout << "ssdfwu-cli " SSDFWU_VERSION "\n";
      return kExitDone;
    default:
      break;
  }
  std::error_code error;
  const std::string programPath = std::filesystem::absolute(argv[0], error).string();
  return Run(parsed.options, programPath);
}
