// The window where a novel's items are typed, given a cover and saved.
#pragma once

#include "windows/window_description.h"

namespace vq {

namespace entry {
inline constexpr std::uint32_t kDragHint = 369164358;       // 标签7
inline constexpr std::uint32_t kDropTarget = 369164355;     // 拖放对象1
inline constexpr std::uint32_t kCategory = 369164354;       // 编辑框5
inline constexpr std::uint32_t kCategoryLabel = 369164353;  // 标签6
inline constexpr std::uint32_t kFileDialog = 369164342;     // 通用对话框1
inline constexpr std::uint32_t kSaveButton = 369164341;     // 按钮1
inline constexpr std::uint32_t kAddressLabel = 369164340;   // 标签5
inline constexpr std::uint32_t kAddress = 369164339;        // 编辑框4
inline constexpr std::uint32_t kSynopsisLabel = 369164338;  // 标签4
inline constexpr std::uint32_t kSynopsis = 369164337;       // 编辑框3
inline constexpr std::uint32_t kCoverLabel = 369164336;     // 标签3
inline constexpr std::uint32_t kCover = 369164335;          // fmtp
inline constexpr std::uint32_t kAuthor = 369164333;         // 编辑框2
inline constexpr std::uint32_t kAuthorLabel = 369164332;    // 标签2
inline constexpr std::uint32_t kNameLabel = 369164331;      // 标签1
inline constexpr std::uint32_t kName = 369164330;           // 编辑框1
}  // namespace entry

inline constexpr char kSavedMessage[] = "保存成功！~";
inline constexpr char kSaveFailedMessage[] = "保存失败！";
inline constexpr char kBadNameMessage[] = "小说名不能为空，也不能包含 \\ / : * ? \" < > | 等字符！";
inline constexpr char kNameTooLongMessage[] = "小说名太长！";

WindowDescription DescribeEntryWindow();

HandlerResult OnEntryWindowCreated(const Event& event);
HandlerResult OnSaveClicked(const Event& event);
HandlerResult OnCoverLabelPressed(const Event& event);
HandlerResult OnCoverFilesDropped(const Event& event);

}  // namespace vq
