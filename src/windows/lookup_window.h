// The start-up window: look a novel up by name and show what is stored.
#pragma once

#include "windows/window_description.h"

namespace vq {

namespace lookup {
inline constexpr std::uint32_t kCredit = 369164363;        // 标签7
inline constexpr std::uint32_t kAddButton = 369164327;     // 按钮2
inline constexpr std::uint32_t kCategory = 369164326;      // lb
inline constexpr std::uint32_t kCategoryLabel = 369164325; // 标签5
inline constexpr std::uint32_t kAuthor = 369164324;        // zz
inline constexpr std::uint32_t kAuthorLabel = 369164323;   // 标签6
inline constexpr std::uint32_t kAddress = 369164322;       // gkdz
inline constexpr std::uint32_t kAddressLabel = 369164321;  // 标签4
inline constexpr std::uint32_t kCoverLabel = 369164320;    // 标签3
inline constexpr std::uint32_t kSynopsis = 369164319;      // jj
inline constexpr std::uint32_t kSynopsisLabel = 369164317; // 标签2
inline constexpr std::uint32_t kCover = 369164316;         // fmtp
inline constexpr std::uint32_t kSearchButton = 369164315;  // 按钮1
inline constexpr std::uint32_t kNameLabel = 369164314;     // 标签1
inline constexpr std::uint32_t kName = 369164313;          // 编辑框1
}  // namespace lookup

inline constexpr char kNotFoundMessage[] = "没有此小说的信息，请点击添加数据！";

// The description, with `created` bound to the given handler (the skin set-up).
WindowDescription DescribeLookupWindow(EventHandler onCreated);

HandlerResult OnSearchClicked(const Event& event);
HandlerResult OnAddClicked(const Event& event);
HandlerResult OnAddressPressed(const Event& event);

}  // namespace vq
