#pragma once
// Move-only owners for the Win32 handles the program holds.

#include <windows.h>

#include <utility>

namespace tvx {

// Traits: `Type`, `Invalid()` and `Release(value)`.
template <typename Traits>
class Unique {
 public:
  using T = typename Traits::Type;
  Unique() = default;
  explicit Unique(T value) : value_(value) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Traits::Invalid())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, Traits::Invalid()));
    return *this;
  }
  ~Unique() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Invalid(); }
  void reset(T value = Traits::Invalid()) {
    if (value_ != Traits::Invalid()) Traits::Release(value_);
    value_ = value;
  }
  T release() { return std::exchange(value_, Traits::Invalid()); }

 private:
  T value_ = Traits::Invalid();
};

namespace detail {
template <typename H, void (*ReleaseFn)(H)>
struct NullTraits {
  using Type = H;
  static H Invalid() { return nullptr; }
  static void Release(H value) { ReleaseFn(value); }
};
inline void CloseKernelHandle(HANDLE h) { ::CloseHandle(h); }
inline void Unmap(void* view) { ::UnmapViewOfFile(view); }
inline void DestroyWin(HWND window) { ::DestroyWindow(window); }
inline void DeleteDc(HDC dc) { ::DeleteDC(dc); }
inline void FreeGlobal(HGLOBAL memory) { ::GlobalFree(memory); }
inline void DestroyIconHandle(HICON icon) { ::DestroyIcon(icon); }
struct FileTraits {
  using Type = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Release(HANDLE h) { ::CloseHandle(h); }
};
template <typename G>
inline void DeleteGdi(G object) {
  ::DeleteObject(object);
}
}  // namespace detail

using UniqueHandle = Unique<detail::NullTraits<HANDLE, detail::CloseKernelHandle>>;
using UniqueFile = Unique<detail::FileTraits>;
using MappedView = Unique<detail::NullTraits<void*, detail::Unmap>>;
using UniqueFont = Unique<detail::NullTraits<HFONT, detail::DeleteGdi<HFONT>>>;
using UniqueBrush = Unique<detail::NullTraits<HBRUSH, detail::DeleteGdi<HBRUSH>>>;
using UniqueBitmap = Unique<detail::NullTraits<HBITMAP, detail::DeleteGdi<HBITMAP>>>;
using UniqueWindow = Unique<detail::NullTraits<HWND, detail::DestroyWin>>;
using UniqueDC = Unique<detail::NullTraits<HDC, detail::DeleteDc>>;  // a DC from CreateDC or a print dialog
using UniqueGlobal = Unique<detail::NullTraits<HGLOBAL, detail::FreeGlobal>>;
using UniqueIcon = Unique<detail::NullTraits<HICON, detail::DestroyIconHandle>>;

// Selects an object into a DC for one scope.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;
  ~SelectObjectScope() { ::SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace tvx
