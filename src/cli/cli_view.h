// The terminal view of TMainForm: memo lines on standard output, boxes and
// the confirmation prompt on standard error, a progress line on standard
// error while the disk is written (when it is a terminal).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "app/main_form.h"

namespace ssdfwu {

class CliView : public MainFormView {
 public:
  CliView(bool yes, bool progress) : yes_(yes), progress_(progress) {}

  // The entry the confirmation names.
  void SetEntry(std::string entry) { entry_ = std::move(entry); }
  // One command block went to a disk.
  void CommandSent(bool dataOut, uint32_t bytes);
  // Writes a line to standard error, clearing the progress line first.
  void Diagnostic(const std::string& text);

  void MemoLineAdded(const std::string& line) override;
  void ShowMessage(const std::string& text) override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;

 private:
  void ClearProgress();

  bool yes_;
  bool progress_;
  std::string entry_;
  bool writing_ = false;  // between "Formatting usb disk..." and the end
  bool progressShown_ = false;
  uint64_t commands_ = 0;
  uint64_t bytesWritten_ = 0;
  std::chrono::steady_clock::time_point lastDrawn_{};
};

}  // namespace ssdfwu
