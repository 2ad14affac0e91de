#include "windows/entry_window.h"

#include "store/record_store.h"
#include "windows/window_services.h"

namespace vq {

WindowDescription DescribeEntryWindow() {
  using namespace entry;
  WindowDescription window;
  window.number = kEntryWindowNumber;
  window.title = "添加";
  window.width = 358;
  window.height = 530;
  window.created = OnEntryWindowCreated;
  // name, kind, number, left, top, width, height, text; then what differs from the kind's defaults
  window.controls = {
      Row("标签7", ControlKind::Label, kDragHint, 16, 128, 80, 24, "（支持拖拽）"),
      Row("拖放对象1", ControlKind::DropTarget, kDropTarget, 0, 0, 0, 0, ""),
      Row("编辑框5", ControlKind::EditBox, kCategory, 72, 72, 160, 24, ""),
      Row("标签6", ControlKind::Label, kCategoryLabel, 16, 72, 40, 16, "类别："),
      Row("通用对话框1", ControlKind::FileDialog, kFileDialog, 0, 0, 0, 0, ""),
      Row("按钮1", ControlKind::Button, kSaveButton, 120, 464, 96, 24, "保存"),
      Row("标签5", ControlKind::Label, kAddressLabel, 24, 424, 64, 24, "观看地址："),
      Row("编辑框4", ControlKind::EditBox, kAddress, 96, 424, 224, 24, ""),
      Row("标签4", ControlKind::Label, kSynopsisLabel, 8, 336, 104, 24, "简介粘贴进去即可：\r\n"),
      Row("编辑框3", ControlKind::EditBox, kSynopsis, 112, 336, 208, 72, ""),
      Row("标签3", ControlKind::Label, kCoverLabel, 8, 112, 104, 16, "点击添加封面图片"),
      Row("fmtp", ControlKind::PictureBox, kCover, 112, 96, 144, 232, ""),
      Row("编辑框2", ControlKind::EditBox, kAuthor, 72, 40, 160, 24, ""),
      Row("标签2", ControlKind::Label, kAuthorLabel, 16, 40, 48, 16, "作者："),
      Row("标签1", ControlKind::Label, kNameLabel, 16, 8, 56, 24, "小说名："),
      Row("编辑框1", ControlKind::EditBox, kName, 72, 8, 160, 24, ""),
  };
  for (ControlDescription& control : window.controls) {
    switch (control.number) {
      case kDropTarget:
        control.attachedTo = kCover;
        control.filesDropped = OnCoverFilesDropped;
        break;
      case kSaveButton: control.clicked = OnSaveClicked; break;
      case kSynopsis: control.multiLine = true; break;
      case kCoverLabel:
        control.font = {"宋体", 12, false, true};
        control.leftButtonPressed = OnCoverLabelPressed;
        break;
      default: break;
    }
  }
  window.tabOrder = {kName, kAuthor, kSynopsis, kAddress, kSaveButton, kCategory};
  return window;
}

HandlerResult OnEntryWindowCreated(const Event& event) {
  WindowServices& services = event.services;
  RecordStore& store = services.Store();
  {
    const Text runDirectory = store.GetRunDirectory();
    store.MakeDirectory(JoinTexts(runDirectory, kDataFolderPart).get());  // an existing folder is the normal case
  }
  services.RegisterDropWindow(kEntryWindowNumber, entry::kDropTarget,
                              services.ControlWindowHandle(kEntryWindowNumber, entry::kCover));
  return HandlerResult::NoValue;
}

HandlerResult OnSaveClicked(const Event& event) {
  using namespace entry;
  WindowServices& services = event.services;
  const std::uint32_t window = kEntryWindowNumber;
  // The name cannot change while the handler runs, so every path uses the same one.
  const Text name = services.ReadText(window, kName, property::kContent);
  const Bytes cover = services.ReadBytes(window, kCover, property::kPicture);
  const Text author = services.ReadText(window, kAuthor, property::kContent);
  const Text synopsis = services.ReadText(window, kSynopsis, property::kContent);
  const Text address = services.ReadText(window, kAddress, property::kContent);
  const Text category = services.ReadText(window, kCategory, property::kContent);
  NovelRecord record;
  record.name = name.c_str();
  record.cover = cover.or_empty();
  record.author = author.c_str();
  record.synopsis = synopsis.c_str();
  record.readingAddress = address.c_str();
  record.category = category.c_str();
  const SaveResult saved = services.Store().SaveRecord(record);
  switch (saved.outcome) {
    case SaveOutcome::Saved: services.ShowMessage(kSavedMessage); break;
    case SaveOutcome::NameNotPlain: services.ShowMessage(kBadNameMessage); break;
    case SaveOutcome::NameTooLong: services.ShowMessage(kNameTooLongMessage); break;
    case SaveOutcome::Failed: {
      const Text message = JoinTexts(kSaveFailedMessage, "\r\n", saved.reason);
      services.ShowMessage(message.c_str());
      break;
    }
  }
  return HandlerResult::NoValue;  // the window stays open as the user left it
}

// Loads the file the user confirmed in the open-file dialog into the cover box.
// Cancel, or a dialog that failed, leaves the box exactly as it was.
HandlerResult OnCoverLabelPressed(const Event& event) {
  using namespace entry;
  WindowServices& services = event.services;
  const std::uint32_t window = kEntryWindowNumber;
  if (!services.ShowFileDialog(window, kFileDialog)) return HandlerResult::NoValue;
  const Text fileName = services.ReadText(window, kFileDialog, property::kFileName);
  const Bytes file = services.Store().ReadWholeFile(fileName.c_str());
  services.WriteBytes(window, kCover, property::kPicture, file.get());
  services.WriteInteger(window, kCover, property::kDisplayMode, 1);
  return HandlerResult::NoValue;
}

// The event text is one path, or several each followed by CR LF; the first
// path is the one loaded.
HandlerResult OnCoverFilesDropped(const Event& event) {
  using namespace entry;
  WindowServices& services = event.services;
  const char* text = event.text != nullptr ? event.text : "";
  const char* end = text;
  while (*end != '\0' && *end != '\r' && *end != '\n') ++end;
  const Text firstPath = MakeText(text, static_cast<std::int32_t>(end - text));
  const Bytes file = services.Store().ReadWholeFile(firstPath.c_str());
  services.WriteBytes(kEntryWindowNumber, kCover, property::kPicture, file.get());
  services.WriteInteger(kEntryWindowNumber, kCover, property::kDisplayMode, 1);
  return HandlerResult::NoValue;
}

}  // namespace vq
