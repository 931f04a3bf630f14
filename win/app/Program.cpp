#include "win/app/Program.h"

namespace tvx {

TSettings Settings;
ShortString ProgramDir;
bool BrowseOnly = false;
bool FullBrowseOnly = false;
bool Paused = false;
std::int32_t ScreenWidth = 0;
std::int32_t ScreenHeight = 0;
DialogShowingFlags Showing;

DialogContext Dialog(bool DialogShowingFlags::*showing) {
  return {&(Showing.*showing), {ScreenWidth, ScreenHeight}};
}

}  // namespace tvx
