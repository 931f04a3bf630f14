#pragma once
// The mapping guide on the printer the user picks in the platform's print dialog.

#include <windows.h>

#include <functional>
#include <utility>

#include "core/common/ShortString.h"
#include "core/keymap/Areas.h"
#include "core/shell/MappingGuide.h"
#include "win/sys/Handles.h"

namespace tvx {

// The platform's print dialog: on OK, a device context for the chosen printer and the copies asked for.
// The copies come back to be drawn one by one; the device is set to print each page once. The printout
// takes the DC: none is kept between prints.
class TPrintDialog {
 public:
  bool Execute(HWND owner);
  UniqueDC TakeDC() { return std::move(dc_); }
  int Copies() const { return copies_; }

 private:
  UniqueDC dc_;
  int copies_ = 1;
};

// One document on a printer DC, started with its first page. A job that is not finished is aborted when
// it goes, so a failed printing call leaves no half job in the spooler. Only one is open at a time.
class PrintJob {
 public:
  PrintJob(HDC dc, const char* title);
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;
  ~PrintJob();

  void NewPage();
  void Finish();
  static bool Printing() { return open_; }

 private:
  HDC dc_;
  bool finished_ = false;
  static inline bool open_ = false;
};

// The guide's canvas on a printer DC, in the 8-point Arial print font; `newPage` moves the job on. The
// sheet of the hot keys in force draws through it on the screen, in the type size it chooses.
class GdiCanvas : public SheetCanvas {
 public:
  GdiCanvas(
      HDC dc, std::function<void()> newPage = [] {});
  TextSize TextExtent(std::string_view text) override;
  void Text(int x, int y, std::string_view text, TextBackground background) override;
  TextSize TextExtent(std::u16string_view text) override;
  void Text(int x, int y, std::u16string_view text, TextBackground background) override;
  void Fill(const GuideRect& rect, std::uint32_t colour) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void NewPage() override;
  void UseTextHeight(int pixels) override;

 private:
  HDC dc_;
  std::function<void()> newPage_;
  UniqueFont font_;
  UniqueFont sized_;  // goes after the scope has put the DC's own font back
  SelectObjectScope fontSelected_;
  UniqueBrush lightGrey_, darkGrey_;
};

// Prints the guide of the tables in force: the dialog, then one page per copy in one job.
void DoOutput(HWND owner, TPrintDialog& dialog, const ShortString& currentFile, const HotKeyAreaView& hotKeys,
              const RemapAreaView& remaps, const MappingCharacters* characters);

}  // namespace tvx
