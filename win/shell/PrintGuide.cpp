#include "win/shell/PrintGuide.h"

#include <commdlg.h>

#include <algorithm>
#include <utility>

#include "core/common/IoError.h"
#include "win/sys/LateBound.h"
#include "win/sys/SystemError.h"
#include "win/ui/CellPainting.h"

namespace tvx {
namespace {

// A printing call that failed ends the printout through the general error report.
void Check(bool succeeded) {
  if (!succeeded) throw SystemIoError(::GetLastError());
}

// The hourglass for the whole printout; the default cursor again afterwards, however it ends.
class Hourglass {
 public:
  Hourglass() { ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)); }
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;
  ~Hourglass() { ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW)); }
};

HFONT ArialOfHeight(int pixels) {
  return ::CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
}

HFONT PrintFont(HDC dc) { return ArialOfHeight(PointsToPixels(dc, 8)); }

// A driver that makes the copies itself would multiply ours: its count goes to the drawn copies.
int TakeDriverCopies(HDC dc, HGLOBAL devMode) {
  auto* mode = static_cast<DEVMODEA*>(::GlobalLock(devMode));
  if (!mode) return 1;
  int copies = 1;
  if ((mode->dmFields & DM_COPIES) && mode->dmCopies > 1) {
    copies = mode->dmCopies;
    mode->dmCopies = 1;
    ::ResetDCA(dc, mode);
  }
  ::GlobalUnlock(devMode);
  return copies;
}

}  // namespace

bool TPrintDialog::Execute(HWND owner) {
  PRINTDLGA print{};
  print.lStructSize = sizeof print;
  print.hwndOwner = owner;
  print.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
  print.nCopies = 1;
  static const auto printDialog = LateBound<decltype(::PrintDlgA)>("comdlg32.dll", "PrintDlgA");
  const bool chosen = printDialog && printDialog(&print);
  const UniqueGlobal devMode(print.hDevMode), devNames(print.hDevNames);
  dc_.reset(print.hDC);
  if (!chosen || !dc_) return false;
  copies_ = std::max<int>(print.nCopies, TakeDriverCopies(dc_.get(), devMode.get()));
  return true;
}

PrintJob::PrintJob(HDC dc, const char* title) : dc_(dc) {
  DOCINFOA document{};
  document.cbSize = sizeof document;
  document.lpszDocName = title;
  Check(::StartDocA(dc_, &document) > 0);
  open_ = true;
  if (::StartPage(dc_) <= 0) {
    const DWORD error = ::GetLastError();
    ::AbortDoc(dc_);
    open_ = false;
    throw SystemIoError(error);
  }
}

PrintJob::~PrintJob() {
  if (!finished_) ::AbortDoc(dc_);
  open_ = false;
}

void PrintJob::NewPage() {
  Check(::EndPage(dc_) > 0);
  Check(::StartPage(dc_) > 0);
}

void PrintJob::Finish() {
  Check(::EndPage(dc_) > 0);
  Check(::EndDoc(dc_) > 0);
  finished_ = true;
}

GdiCanvas::GdiCanvas(HDC dc, std::function<void()> newPage)
    : dc_(dc),
      newPage_(std::move(newPage)),
      font_(PrintFont(dc)),
      fontSelected_(dc, font_.get()),
      lightGrey_(::CreateSolidBrush(GuideLightGrey)),
      darkGrey_(::CreateSolidBrush(GuideDarkGrey)) {
  ::SetTextColor(dc_, RGB(0, 0, 0));
  ::SetBkColor(dc_, GuideWhite);
}

TextSize GdiCanvas::TextExtent(std::string_view text) {
  SIZE size{};
  ::GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  return {size.cx, size.cy};
}

void GdiCanvas::Text(int x, int y, std::string_view text, TextBackground background) {
  ::SetBkMode(dc_, background == TextBackground::Transparent ? TRANSPARENT : OPAQUE);
  ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

TextSize GdiCanvas::TextExtent(std::u16string_view text) {
  SIZE size{};
  ::GetTextExtentPoint32W(dc_, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
                          &size);
  return {size.cx, size.cy};
}

void GdiCanvas::Text(int x, int y, std::u16string_view text, TextBackground background) {
  ::SetBkMode(dc_, background == TextBackground::Transparent ? TRANSPARENT : OPAQUE);
  ::TextOutW(dc_, x, y, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()));
}

// The guide fills with its two greys only.
void GdiCanvas::Fill(const GuideRect& rect, std::uint32_t colour) {
  const RECT area{rect.left, rect.top, rect.right, rect.bottom};
  ::FillRect(dc_, &area, colour == GuideDarkGrey ? darkGrey_.get() : lightGrey_.get());
}

void GdiCanvas::Line(int x1, int y1, int x2, int y2) {
  ::MoveToEx(dc_, x1, y1, nullptr);
  ::LineTo(dc_, x2, y2);
}

void GdiCanvas::UseTextHeight(int pixels) {
  UniqueFont font(ArialOfHeight(pixels));
  ::SelectObject(dc_, font.get());
  sized_ = std::move(font);
}

// Some drivers start each page with the DC's defaults.
void GdiCanvas::NewPage() {
  newPage_();
  ::SelectObject(dc_, font_.get());
  ::SetBkColor(dc_, GuideWhite);
}

namespace {

// A printout runs from its print dialog to the end of its job. The dialogs and some drivers pump
// messages meanwhile: a second printout started from there must not take the printer from the first.
class PrintoutScope {
 public:
  PrintoutScope() { running_ = true; }
  PrintoutScope(const PrintoutScope&) = delete;
  PrintoutScope& operator=(const PrintoutScope&) = delete;
  ~PrintoutScope() { running_ = false; }
  static bool Running() { return running_; }

 private:
  static inline bool running_ = false;
};

}  // namespace

void DoOutput(HWND owner, TPrintDialog& dialog, const ShortString& currentFile, const HotKeyAreaView& hotKeys,
              const RemapAreaView& remaps, const MappingCharacters* characters) {
  if (PrintJob::Printing() || PrintoutScope::Running()) {
    ::MessageBoxA(owner, "Other print job currently in progress.", "Error", MB_OK);
    return;
  }
  const PrintoutScope printout;
  if (!dialog.Execute(owner)) return;
  const Hourglass hourglass;
  const UniqueDC printer = dialog.TakeDC();
  const HDC dc = printer.get();
  const int pageWidth = ::GetDeviceCaps(dc, HORZRES), pageHeight = ::GetDeviceCaps(dc, VERTRES);
  PrintJob job(dc, "Tavrix");
  GdiCanvas canvas(dc, [&job] { job.NewPage(); });
  DrawMappingGuide(canvas, MeasureGuide(canvas, pageWidth, pageHeight), dialog.Copies(), currentFile, hotKeys,
                   remaps, characters);
  job.Finish();
}

}  // namespace tvx
