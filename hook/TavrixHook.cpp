#define TAVRIXHK_BUILD
#include "hook/TavrixHook.h"

std::uint32_t TavrixHookInit() { return 0; }
std::uint32_t TavrixMsgHookInit() { return 0; }
void TavrixHookTerm(std::uint32_t) {}
