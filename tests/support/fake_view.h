// A view of TMainForm for tests: it records what the controller shows and
// answers the confirmation box as told, optionally doing something while
// the box is open (as window messages are handled then).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "host/platform_constants.h"

namespace ssdfwu::testing {

class FakeView : public MainFormView {
 public:
  void RegisterUsbNotification() override { ++registrations; }
  void Changed() override { ++changes; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
    boxes.push_back(caption + "|" + text + "|" + std::to_string(style));
    if (whileBoxOpen) whileBoxOpen();
    return answer;
  }
  void Close() override { closed = true; }

  int answer = kIdYes;
  std::function<void()> whileBoxOpen;
  std::vector<std::string> messages;
  std::vector<std::string> boxes;
  int registrations = 0;
  int changes = 0;
  bool closed = false;
};

}  // namespace ssdfwu::testing
