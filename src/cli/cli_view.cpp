#include "cli/cli_view.h"

#include <cstdio>
#include <iostream>

#include "host/console.h"
#include "host/platform_constants.h"

namespace ssdfwu {

namespace {
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
}  // namespace

void CliView::ClearProgress() {
  if (!progressShown_) return;
  std::fputs("\r\033[K", stderr);
  progressShown_ = false;
}

void CliView::Diagnostic(const std::string& text) {
  ClearProgress();
  std::fputs(text.c_str(), stderr);
  if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
  std::fflush(stderr);
}

void CliView::CommandSent(bool dataOut, uint32_t bytes) {
  ++commands_;
  if (dataOut) bytesWritten_ += bytes;
  if (!progress_ || !writing_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastDrawn_ < kProgressInterval) return;
  lastDrawn_ = now;
  static const char kSpinner[] = "|/-\\";
  std::fprintf(stderr, "\r\033[K%c writing the disk: %llu commands, %.1f MiB written",
               kSpinner[(now.time_since_epoch().count() / 100'000'000) % 4],
               static_cast<unsigned long long>(commands_), bytesWritten_ / 1048576.0);
  std::fflush(stderr);
  progressShown_ = true;
}

void CliView::MemoLineAdded(const std::string& line) {
  ClearProgress();
  if (line == kFormattingLine) writing_ = true;
  if (line == kDoneLine || line == kFailLine) writing_ = false;
  std::cout << line << '\n' << std::flush;
}

void CliView::ShowMessage(const std::string& text) {
  Diagnostic(text);
}

int CliView::MessageBox(const std::string& text, const std::string& caption, uint32_t) {
  if (yes_) return kIdYes;
  if (!StandardInputIsTerminal()) {
    Diagnostic(caption + " " + text + "\nNot confirmed: no terminal to ask (use --yes).");
    return kIdNo;
  }
  ClearProgress();
  std::cerr << caption << '\n'
            << text << '\n'
            << "Device: " << entry_ << '\n'
            << "Continue? [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return kIdNo;
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" ? kIdYes : kIdNo;
}

}  // namespace ssdfwu
