#pragma once
// The three exports of TAVRIXHK.DLL, bound by name at load time.

#include <cstdint>

#ifdef TAVRIXHK_BUILD
#define TAVRIXHK_API extern "C" __declspec(dllexport)
#else
#define TAVRIXHK_API extern "C" __declspec(dllimport)
#endif

TAVRIXHK_API std::uint32_t TavrixHookInit();
TAVRIXHK_API std::uint32_t TavrixMsgHookInit();
TAVRIXHK_API void TavrixHookTerm(std::uint32_t hookHandle);
