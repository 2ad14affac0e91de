#include "windows/lookup_window.h"

#include "store/record_store.h"
#include "windows/window_services.h"

namespace vq {

WindowDescription DescribeLookupWindow(EventHandler onCreated) {
  using namespace lookup;
  const FontDescription addressFont{"宋体", 12, true, true};
  const FontDescription synopsisFont{"宋体", 19, true, false};
  WindowDescription window;
  window.number = kLookupWindowNumber;
  window.title = "Vellorin-Quobarra v1.0";
  window.width = 706;
  window.height = 528;
  window.taskbarButton = true;
  window.created = onCreated;
  // name, kind, number, left, top, width, height, text; then what differs from the kind's defaults
  window.controls = {
      Row("标签7", ControlKind::Label, kCredit, 576, 472, 160, 16, "Vellorin-Quobarra 小说资料库"),
      Row("按钮2", ControlKind::Button, kAddButton, 576, 24, 96, 24, "加入数据"),
      Row("lb", ControlKind::Label, kCategory, 72, 104, 144, 16, ""),
      Row("标签5", ControlKind::Label, kCategoryLabel, 32, 104, 32, 16, "类别："),
      Row("zz", ControlKind::Label, kAuthor, 72, 72, 120, 16, ""),
      Row("标签6", ControlKind::Label, kAuthorLabel, 32, 72, 40, 16, "作者："),
      Row("gkdz", ControlKind::Label, kAddress, 104, 432, 576, 24, ""),
      Row("标签4", ControlKind::Label, kAddressLabel, 40, 432, 64, 24, "观看地址："),
      Row("标签3", ControlKind::Label, kCoverLabel, 24, 144, 72, 16, "封面图片："),
      Row("jj", ControlKind::EditBox, kSynopsis, 240, 168, 440, 224, ""),
      Row("标签2", ControlKind::Label, kSynopsisLabel, 240, 144, 72, 24, "简介："),
      Row("fmtp", ControlKind::PictureBox, kCover, 24, 168, 144, 232, ""),
      Row("按钮1", ControlKind::Button, kSearchButton, 328, 24, 72, 24, "搜索"),
      Row("标签1", ControlKind::Label, kNameLabel, 16, 24, 56, 24, "小说名："),
      Row("编辑框1", ControlKind::EditBox, kName, 80, 24, 224, 24, ""),
  };
  for (ControlDescription& control : window.controls) {
    switch (control.number) {
      case kAddButton: control.clicked = OnAddClicked; break;
      case kSearchButton: control.clicked = OnSearchClicked; break;
      case kAddress:
        control.textColour = Rgb(0, 0, 255);
        control.font = addressFont;
        control.leftButtonPressed = OnAddressPressed;
        break;
      case kSynopsis:
        control.multiLine = true;
        control.readOnly = true;
        control.verticalScrollBar = true;
        control.backgroundColour = Rgb(192, 192, 192);
        control.font = synopsisFont;
        break;
      default: break;
    }
  }
  window.tabOrder = {kName, kSearchButton, kSynopsis, kAddButton};
  return window;
}

HandlerResult OnSearchClicked(const Event& event) {
  using namespace lookup;
  WindowServices& services = event.services;
  const std::uint32_t window = kLookupWindowNumber;
  const Text name = services.ReadText(window, kName, property::kContent);
  LookupResult record = services.Store().LookupRecord(name.c_str());
  if (!record.found) {
    services.ShowMessage(kNotFoundMessage);
    return HandlerResult::NoValue;
  }
  // Each field is released right after it has been written.
  services.WriteText(window, kAuthor, property::kCaption, record.author.get());
  record.author.Reset();
  services.WriteText(window, kSynopsis, property::kContent, record.synopsis.get());
  record.synopsis.Reset();
  services.WriteText(window, kCategory, property::kCaption, record.category.get());
  record.category.Reset();
  services.WriteBytes(window, kCover, property::kPicture, record.cover.get());
  record.cover.Reset();
  services.WriteInteger(window, kCover, property::kDisplayMode, 1);
  services.WriteText(window, kAddress, property::kCaption, record.readingAddress.get());
  record.readingAddress.Reset();
  return HandlerResult::NoValue;
}

HandlerResult OnAddClicked(const Event& event) {
  event.services.LoadWindowModal(kEntryWindowNumber);
  return HandlerResult::NoValue;
}

HandlerResult OnAddressPressed(const Event& event) {
  const Text address = event.services.ReadText(kLookupWindowNumber, lookup::kAddress, property::kCaption);
  event.services.OpenAddress(address.c_str());
  return HandlerResult::NoValue;  // the press goes on to the label
}

}  // namespace vq
