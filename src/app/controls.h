// The state of the main window's controls, held by the controller and
// rendered by a view.
#pragma once

#include <string>
#include <vector>

namespace ssdfwu {

enum class ControlColor { kWindow, kButtonFace };  // clWindow, clBtnFace

struct ComboBoxState {
  std::vector<std::string> Items;
  int ItemIndex = -1;  // -1: no selection
  bool Enabled = true;
  ControlColor Color = ControlColor::kWindow;
};

struct ButtonState {
  std::string Caption;
  bool Enabled = true;
};

struct EditState {
  std::string Text;
  std::size_t MaxLength = 0;
};

struct MemoState {
  std::vector<std::string> Lines;
};

}  // namespace ssdfwu
