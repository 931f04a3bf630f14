#pragma once
// Extra information on every key event Tavrix itself synthesizes (the program's action keys and the
// library's own injected keys). The library lets such events through untouched: a hot key's action is
// typed exactly as its cell shows, and nothing the library injects is processed twice.

#include <cstdint>

namespace tvx {

inline constexpr std::uintptr_t TavrixKeyMarker = 0x54565839;  // "TVX9"

}  // namespace tvx
