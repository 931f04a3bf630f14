// The library allocates nothing and throws nothing. The catalogue's string functions, which it links but
// never calls, would otherwise bring the C++ runtime's whole exception machinery (some 150 KB) into it.
#include <cstddef>
#include <new>

void* operator new(std::size_t) { __builtin_trap(); }
void operator delete(void*) noexcept {}
void operator delete(void*, std::size_t) noexcept {}

namespace std {
[[noreturn]] void __throw_bad_alloc() { __builtin_trap(); }
[[noreturn]] void __throw_logic_error(const char*) { __builtin_trap(); }
[[noreturn]] void __throw_length_error(const char*) { __builtin_trap(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { __builtin_trap(); }
}  // namespace std
