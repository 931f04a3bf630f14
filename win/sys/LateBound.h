#pragma once
// A function of a system library that is loaded when the function is first needed, so that the program
// does not load the library at start-up: the common dialogs are wanted only when the user asks for one.

#include <windows.h>

namespace tvx {

// The function, or null where the library or the function cannot be had.
template <typename Function>
Function* LateBound(const char* library, const char* name) {
  const HMODULE module = ::LoadLibraryA(library);
  if (!module) return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace tvx
