#include "win/shell/TrayIcon.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace tvx {
namespace {

// The pixels of a bitmap as 32-bit BGRA rows, top row first, or written back from them.
class BitmapPixels {
 public:
  explicit BitmapPixels(HBITMAP bitmap) : bitmap_(bitmap) {
    BITMAP bm{};
    ::GetObjectA(bitmap, sizeof bm, &bm);
    info_.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    pixels.resize(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
    Transfer(false);
  }
  void Store() { Transfer(true); }
  std::vector<std::uint32_t> pixels;

 private:
  void Transfer(bool store) {
    const HDC screen = ::GetDC(nullptr);
    const UINT rows = static_cast<UINT>(-info_.bmiHeader.biHeight);
    if (store)
      ::SetDIBits(screen, bitmap_, 0, rows, pixels.data(), &info_, DIB_RGB_COLORS);
    else
      ::GetDIBits(screen, bitmap_, 0, rows, pixels.data(), &info_, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
  }
  HBITMAP bitmap_;
  BITMAPINFO info_{};
};

// The paused tray icon: the same picture in light greys. The pixels the mask leaves transparent stay as
// they are, so the background shows through unchanged.
UniqueIcon GreyedCopy(HICON icon) {
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) return UniqueIcon();
  const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
  if (!colour) return UniqueIcon(::CopyIcon(icon));
  BitmapPixels picture(colour.get());
  const BitmapPixels transparent(mask.get());
  for (std::size_t i = 0; i < picture.pixels.size() && i < transparent.pixels.size(); ++i) {
    if (transparent.pixels[i] & 0xFFFFFF) continue;
    const std::uint32_t p = picture.pixels[i];
    const std::uint32_t luma = ((p >> 16 & 0xFF) * 30 + (p >> 8 & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
    const std::uint32_t grey = 96 + luma * 5 / 8;
    picture.pixels[i] = (p & 0xFF000000) | grey << 16 | grey << 8 | grey;
  }
  picture.Store();
  return UniqueIcon(::CreateIconIndirect(&info));
}

}  // namespace

void TTrayIcon::SetUp(Handlers handlers) {
  picture_ = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
                                             ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                             LR_SHARED));
  pausedPicture_ = GreyedCopy(picture_);
  icon_.SetIcon(picture_);
  icon_.SetToolTip("Tavrix");
  icon_.SetTaskIconID(0);
  icon_.OnRightClick = [rightClick = std::move(handlers.rightClick)](POINT) { rightClick(); };
  icon_.OnDblClick = std::move(handlers.dblClick);
  icon_.OnLost = std::move(handlers.lost);
}

void TTrayIcon::ShowPaused(bool paused) {
  icon_.SetIcon(paused ? pausedPicture_.get() : picture_);
  icon_.SetToolTip(paused ? "Tavrix (paused)" : "Tavrix");
}

}  // namespace tvx
