// The calculator's four pages as the user sees them.
#pragma once

#include <string>

namespace e2e {

struct PageInfo {
  int index;
  const wchar_t* caption;
  const char* name;  // names the tests of this page
};

inline constexpr PageInfo kClothingPage{0, L"衣服Shape转换", "Clothing"};
inline constexpr PageInfo kWeaponsPage{1, L"武器Shape转换", "Weapons"};
inline constexpr PageInfo kNpcPage{2, L"npc外观转换", "Npc"};
inline constexpr PageInfo kMonsterPage{3, L"怪物外观转换", "Monster"};
inline constexpr PageInfo kPages[] = {kClothingPage, kWeaponsPage, kNpcPage, kMonsterPage};

inline constexpr wchar_t kTitle[] = L"Zorvik素材计算工具";

// The crash reporter's simple dialog as the calculator's options show it.
inline constexpr wchar_t kCrashDialogCaption[] = L"Error occurred";
inline constexpr int kCrashDialogMessage = 103;
inline constexpr int kCrashDialogRestartBox = 104;
inline constexpr int kCrashDialogDetailsLead = 107;
inline constexpr int kCrashDialogEmail = 111;
inline constexpr int kCrashDialogDontSend = 1001;

}  // namespace e2e
