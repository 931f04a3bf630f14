// TAVRIXHK.DLL as it is where the keyboard hook cannot be installed: TavrixHookInit gives 0.
#include <cstdint>

extern "C" std::uint32_t TavrixHookInit() { return 0; }
extern "C" std::uint32_t TavrixMsgHookInit() { return 0; }
extern "C" void TavrixHookTerm(std::uint32_t) {}
extern "C" void TavrixHookPause(std::uint32_t) {}
extern "C" std::uint32_t TavrixHookSetTables(const void*) { return 1; }
extern "C" void TavrixHookPickKey(std::uint32_t) {}
