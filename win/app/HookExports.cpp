#include "win/app/HookExports.h"

#include "win/sys/LateBound.h"

namespace tvx {

decltype(::TavrixHookPause)* HookPause() {
  static const auto pause = LateBound<decltype(::TavrixHookPause)>("TAVRIXHK.DLL", "TavrixHookPause");
  return pause;
}

decltype(::TavrixHookSetTables)* HookSetTables() {
  static const auto setTables =
      LateBound<decltype(::TavrixHookSetTables)>("TAVRIXHK.DLL", "TavrixHookSetTables");
  return setTables;
}

decltype(::TavrixHookPickKey)* HookPickKey() {
  static const auto pickKey = LateBound<decltype(::TavrixHookPickKey)>("TAVRIXHK.DLL", "TavrixHookPickKey");
  return pickKey;
}

}  // namespace tvx
