#include "app/main_form.h"

#include "discovery/enumeration.h"
#include "host/platform_constants.h"

namespace ssdfwu {

TMainForm::TMainForm(MainFormView& view, std::string workingDirectory)
    : Caption(kCaption),
      StartBn{"&Start", true},
      CloseBn{"&Close", true},
      VolumeEdit{"ISP", 11},
      FileListBox1(std::move(workingDirectory)),
      view_(view) {}

void TMainForm::FormCreate() {
  view_.RegisterUsbNotification();
  GetTarvexDevice();
}

void TMainForm::GetTarvexDevice() {
  const DiscoveryPass pass = RunDiscoveryPass();
  if (pass.interfaces >= 1) DeviceList.Items = pass.entries;
  const bool listed = !pass.entries.empty();
  DeviceList.Enabled = listed;
  DeviceList.Color = listed ? ControlColor::kWindow : ControlColor::kButtonFace;
  DeviceList.ItemIndex = listed ? 0 : -1;
  StartBn.Enabled = listed;
  view_.Changed();
}

void TMainForm::CloseBnClick() {
  view_.Close();
}

void TMainForm::WMDeviceChange(const TMessage& message) {
  if (message.WParam != kDbtDeviceArrival && message.WParam != kDbtDeviceRemoveComplete) return;
  if (running_) {
    rebuildHeld_ = true;  // the run acts only on the disk the user chose
    return;
  }
  GetTarvexDevice();
}

void TMainForm::Dispatch(const TMessage& message) {
  if (message.Msg == kWmDeviceChange) WMDeviceChange(message);
}

void TMainForm::StartBnClick() {
  running_ = true;
  outcome_ = RunStart();
  running_ = false;
  if (rebuildHeld_) {
    rebuildHeld_ = false;
    GetTarvexDevice();
  }
}

void TMainForm::AddLine(const std::string& line) {
  Memo1.Lines.push_back(line);
  view_.MemoLineAdded(line);
}

void TMainForm::ClearMemo() {
  Memo1.Lines.clear();
  view_.MemoCleared();
}

}  // namespace ssdfwu
