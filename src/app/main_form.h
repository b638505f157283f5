// TMainForm: the main window's controller. It holds the state of every
// control and all behaviour (discovery into the device list, the Start run,
// device events, closing); a view renders the state and forwards clicks and
// device events. The Win32 window, the Qt window and the CLI are views.
#pragma once

#include <cstdint>
#include <string>

#include "app/controls.h"
#include "app/file_list.h"
#include "host/platform_constants.h"

namespace ssdfwu {

// What a view does for the controller.
class MainFormView {
 public:
  virtual ~MainFormView() = default;
  // Register for notifications of USB device interfaces arriving and leaving.
  virtual void RegisterUsbNotification() {}
  // The state of the controls changed.
  virtual void Changed() {}
  virtual void MemoLineAdded(const std::string& /*line*/) {}
  virtual void MemoCleared() {}
  // A box with the text and an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A modal box owned by the window: returns the button pressed.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;
  // The window closes; the program ends.
  virtual void Close() {}
};

// The window message record: message number, wParam, lParam, result.
struct TMessage {
  uint32_t Msg;
  uint32_t WParam;
  int32_t LParam;
  int32_t Result;
};

// How the last Start run ended.
enum class StartOutcome {
  kNone,         // no run yet
  kNoSelection,  // no entry was selected
  kTooSmall,     // below 34 MB, or not measurable
  kDeclined,     // the user answered No
  kNoBuffer,     // the sector buffer could not be obtained
  kFail,         // "Fail"
  kDone,         // "Done"
};

inline constexpr const char* kCaption = "SSD Firmware Update Utility";
inline constexpr const char* kTooSmallText = "The device's size is too small, Please change it.";
inline constexpr const char* kConfirmText =
    "All data on the device will be lost.\nAre you sure you want to continue?";
inline constexpr const char* kConfirmCaption = "Warning!";
inline constexpr uint32_t kConfirmStyle = kMbYesNo | kMbIconExclamation | kMbDefButton2;
inline constexpr const char* kNoSelectionText = "Please select a device.";
inline constexpr const char* kFormattingLine = "Formatting usb disk.............";
inline constexpr const char* kFailLine = "Fail";
inline constexpr const char* kDoneLine = "Done";
inline constexpr int32_t kMinimumCapacityMB = 34;

class TMainForm {
 public:
  // workingDirectory: the directory whose files Start copies.
  TMainForm(MainFormView& view, std::string workingDirectory);

  void FormCreate();
  void GetTarvexDevice();
  void StartBnClick();
  void CloseBnClick();
  void WMDeviceChange(const TMessage& message);
  // Forwards a window message: WM_DEVICECHANGE to WMDeviceChange only.
  void Dispatch(const TMessage& message);

  StartOutcome lastOutcome() const { return outcome_; }
  bool running() const { return running_; }

  std::string Caption;
  ComboBoxState DeviceList;
  ButtonState StartBn;
  ButtonState CloseBn;
  EditState VolumeEdit;
  FileListBox FileListBox1;
  MemoState Memo1;

 private:
  StartOutcome RunStart();
  void AddLine(const std::string& line);
  void ClearMemo();

  MainFormView& view_;
  StartOutcome outcome_ = StartOutcome::kNone;
  bool running_ = false;
  // Device events during a run are held and handled once it has ended.
  bool rebuildHeld_ = false;
};

}  // namespace ssdfwu
