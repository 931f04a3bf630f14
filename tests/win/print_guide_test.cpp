// The mapping guide on a real print server: the script that runs the tests starts its own cupsd with a
// PDF queue and names the folder of its own the PDFs land in (TAVRIX_PDF_DIR), whatever cups-pdf names
// them; Wine prints to it as it would to any printer. Poppler's tools, run from here as Unix programs,
// read the PDF back.
#include <gtest/gtest.h>
#include <windows.h>
// After <windows.h>, which it needs.
#include <winspool.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/common/IoError.h"
#include "core/keymap/CellTexts.h"
#include "core/shell/MappingGuide.h"
#include "tests/support/Tables.h"
#include "tests/win/support/GridDriving.h"
#include "tests/win/support/ShellDriving.h"
#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/shell/PrintGuide.h"

namespace tvx::test {
namespace {

constexpr int CopiesEdit = 0x482;  // edt3 of the print dialog

// The Unix path of a file Wine shows on drive Z:.
std::string UnixPath(std::string path) {
  path.erase(0, 2);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// Runs a Unix program to its end and expects it to have succeeded.
void RunToEnd(const std::string& command) {
  const UnixRun run = RunUnix(command);
  ASSERT_TRUE(run.ended) << command;
  ASSERT_EQ(run.status, 0) << command << "\n" << run.output;
}

// This run's print server, beside the folder its PDFs land in.
std::string PrintServer(const std::string& pdfDir) {
  return "CUPS_SERVER=" + pdfDir + "/../cups.sock; export CUPS_SERVER; ";
}

int CompletedJobs(const std::string& pdfDir) {
  const UnixRun run = RunUnix(PrintServer(pdfDir) + "lpstat -W completed -o | wc -l");
  return run.ended && run.status == 0 ? std::atoi(run.output.c_str()) : -1;
}

// Waits until the print server has completed a job more than `before` and holds none that is not: the
// backend has written the PDF whole by then. Otherwise fails with what the queue and the server's log say.
void WaitForPrintJobs(const std::string& pdfDir, int before) {
  const std::string dir = pdfDir + "/..";
  const UnixRun run = RunUnix(
      PrintServer(pdfDir) + "for _ in $(seq 600); do\n" + "  [ \"$(lpstat -W completed -o | wc -l)\" -gt " +
          std::to_string(before) + " ] && [ -z \"$(lpstat -o)\" ] && exit 0\n" + "  sleep 0.2\n" + "done\n" +
          "echo 'The queue:'; lpstat -t; echo \"cupsd's log:\"; tail -n 40 " + dir + "/log/error_log; exit 1",
      std::chrono::seconds(180));
  ASSERT_TRUE(run.ended && run.status == 0) << "the print job did not finish\n" << run.output;
}

std::vector<std::string> Matching(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return names;
}

// A binary PPM as pdftoppm writes it.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  int Grey(int x, int y) const {  // -1 unless red, green and blue agree
    const std::size_t at = 3 * (static_cast<std::size_t>(y) * width + x);
    if (at + 2 >= rgb.size()) return -1;
    const int r = rgb[at], g = rgb[at + 1], b = rgb[at + 2];
    return std::abs(r - g) < 8 && std::abs(g - b) < 8 ? g : -1;
  }
};

Picture ReadPpm(const std::string& name) {
  Picture picture;
  std::ifstream in(name, std::ios::binary);
  std::string magic;
  int maximum = 0;
  in >> magic >> picture.width >> picture.height >> maximum;
  in.get();
  picture.rgb.resize(3 * static_cast<std::size_t>(picture.width) * picture.height);
  in.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
  return picture;
}

// The guide's measures on the default printer, as the program takes them, and where the printable area
// lies on the paper.
struct PrinterGeometry {
  GuideMetrics metrics{};
  int offsetX = 0, offsetY = 0, paperWidth = 0;
};

UniqueDC DefaultPrinterDC() {
  char name[256] = {};
  DWORD size = sizeof name;
  ::GetDefaultPrinterA(name, &size);
  return UniqueDC(::CreateDCA(nullptr, name, nullptr, nullptr));
}

PrinterGeometry DefaultPrinterGeometry() {
  const UniqueDC dc = DefaultPrinterDC();
  PrinterGeometry geometry;
  if (!dc) return geometry;
  GdiCanvas canvas(dc.get(), [] {});
  geometry.metrics =
      MeasureGuide(canvas, ::GetDeviceCaps(dc.get(), HORZRES), ::GetDeviceCaps(dc.get(), VERTRES));
  geometry.offsetX = ::GetDeviceCaps(dc.get(), PHYSICALOFFSETX);
  geometry.offsetY = ::GetDeviceCaps(dc.get(), PHYSICALOFFSETY);
  geometry.paperWidth = ::GetDeviceCaps(dc.get(), PHYSICALWIDTH);
  return geometry;
}

class PrintGuide : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* dir = std::getenv("TAVRIX_PDF_DIR");
    if (!dir) GTEST_SKIP() << "no print server: the tests run without root";
    pdfDir_ = dir;
    for (const std::string& old : Matching(WindowsPathOf(pdfDir_) + "\\*.pdf"))
      ::DeleteFileA((WindowsPathOf(pdfDir_) + "\\" + old).c_str());
  }
  // The guide's cell (col, row) of the table at (columns, rows) from the margins, at its fraction
  // (fx, fy), in pixels of the rendered page.
  POINT Spot(const PrinterGeometry& g, double columns, int rows, int col, int row, double fx, double fy,
             const Picture& page) const {
    const GuideMetrics& m = g.metrics;
    const double x = g.offsetX + m.marginX + static_cast<int>(columns * m.colWidth) + (col + fx) * m.colWidth;
    const double y = g.offsetY + m.marginY + (rows + row + fy) * m.rowHeight;
    const double scale = static_cast<double>(page.width) / g.paperWidth;
    return {static_cast<int>(x * scale), static_cast<int>(y * scale)};
  }

  // Prints the guide from the program's menu, with `copies` typed into the print dialog (none: as it
  // offers), and gives the PDF of the job once the print server has finished it.
  void PrintFromTheMenu(const TavrixProcess& tavrix, const char* copies, std::string& pdf) const {
    const int jobsBefore = CompletedJobs(pdfDir_);
    ASSERT_GE(jobsBefore, 0);
    const HWND main = tavrix.MainWindow();
    ASSERT_TRUE(::PostMessageA(main, WM_COMMAND, IdMenuOutput, 0));
    const HWND dialog = WaitForDialog(tavrix.id(), "Print");
    ASSERT_NE(dialog, nullptr);
    if (copies)
      ::SendMessageA(::GetDlgItem(dialog, CopiesEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copies));
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntilGone(dialog));
    ASSERT_TRUE(WaitFor([main] { return Handled(main, WM_NULL, 0, 0); }, std::chrono::seconds(60)));
    // One job, finished: one PDF.
    WaitForPrintJobs(pdfDir_, jobsBefore);
    const std::vector<std::string> pdfs = Matching(WindowsPathOf(pdfDir_) + "\\*.pdf");
    ASSERT_EQ(pdfs.size(), 1u);
    pdf = pdfDir_ + "/" + pdfs.front();
  }

  std::string pdfDir_;
};

TEST_F(PrintGuide, ThreeCopiesAreOneJobOfThreePagesWithTheTitleTablesAndFills) {
  TavrixProcess tavrix;
  std::string pdf;
  ASSERT_NO_FATAL_FAILURE(PrintFromTheMenu(tavrix, "3", pdf));

  const std::string text = UnixPath(BuildDir()) + "/../mapping-guide.txt";
  RunToEnd("/usr/bin/pdftotext \"" + pdf + "\" \"" + text + "\"");
  std::vector<std::string> pages;
  std::string all = ReadFileText(WindowsPathOf(text)), page;
  for (char c : all) {
    if (c != '\f') {
      page += c;
      continue;
    }
    pages.push_back(page);
    page.clear();
  }
  ASSERT_EQ(pages.size(), 3u);
  for (const std::string& each : pages) {
    EXPECT_NE(each.find("Tavrix Mapping Guide For: " + tavrix.KeyFile()), std::string::npos) << each;
    for (const char* caption : {"Orig", "New", "Shift", "Ctrl", "PrtScr", "KeyP /"})
      EXPECT_NE(each.find(caption), std::string::npos) << caption;
  }

  // The first page rendered, kept beside the screenshots.
  const std::string rendered = UnixPath(BuildDir()) + "/../screenshots/mapping-guide";
  RunToEnd("/usr/bin/pdftoppm -r 100 -f 1 -l 1 -singlefile \"" + pdf + "\" \"" + rendered + "\"");
  const Picture picture = ReadPpm(WindowsPathOf(rendered + ".ppm"));
  ASSERT_GT(picture.width, 0);
  const PrinterGeometry g = DefaultPrinterGeometry();
  ASSERT_GT(g.metrics.colWidth, 0);
  const auto grey = [&](double columns, int rows, int col, int row, double fx, double fy) {
    const POINT at = Spot(g, columns, rows, col, row, fx, fy, picture);
    return picture.Grey(at.x, at.y);
  };
  // Numeric hot keys, 10 columns and 4 rows in: Win+0 is reserved, the Alt heading is light grey, and the
  // Alt+0 cell is white beside its "none".
  EXPECT_NEAR(grey(10, 4, Win, 0, 0.5, 0.5), 128, 16);
  EXPECT_NEAR(grey(10, 4, Alt, -2, 0.5, 0.5), 192, 16);
  EXPECT_NEAR(grey(10, 4, Alt, 0, 0.1, 0.5), 255, 16);
  // The Punctuation remap table's first label, the space: grey and empty.
  EXPECT_NEAR(grey(5, 4, 0, 0, 0.5, 0.5), 192, 16);
}

// Characters beyond the code page print as themselves, drawn as Unicode text; texts of hot keys in quotes,
// one too wide for its cell cut with the ellipsis.
TEST_F(PrintGuide, CharactersBeyondTheCodePageAndTextsPrintAsThemselves) {
  Tables tables;
  tables.Identity();
  tables.RemapCharacter(RemapTableId::Lower, 'q', U'α');
  tables.BindCharacter(Alphabetic, CtrlAlt, 6, U'→');
  tables.BindCharacter(Alphabetic, CtrlAlt, 7, TextId(u"Hi"));
  tables.BindCharacter(Alphabetic, CtrlAlt, 8, TextId(u"Kind regards,{Enter}Jane"));
  TavrixProcess tavrix(tables.MappingFile());
  std::string pdf;
  ASSERT_NO_FATAL_FAILURE(PrintFromTheMenu(tavrix, nullptr, pdf));
  const std::string text = UnixPath(BuildDir()) + "/../mapping-guide-unicode.txt";
  RunToEnd("/usr/bin/pdftotext -enc UTF-8 \"" + pdf + "\" \"" + text + "\"");
  const std::string page = ReadFileText(WindowsPathOf(text));
  EXPECT_NE(page.find("\xCE\xB1"), std::string::npos) << "alpha";
  EXPECT_NE(page.find("\xE2\x86\x92"), std::string::npos) << "the arrow";
  EXPECT_NE(page.find("\"Hi\""), std::string::npos) << page;
  EXPECT_NE(page.find("\"Kin"), std::string::npos) << page;
  EXPECT_NE(page.find("\xE2\x80\xA6\""), std::string::npos) << "the cut text's ellipsis: " << page;
  EXPECT_EQ(page.find("Jane"), std::string::npos) << "the cut text's end";
  RunToEnd("/usr/bin/pdftoppm -png -r 100 -f 1 -l 1 -singlefile \"" + pdf + "\" \"" + UnixPath(BuildDir()) +
           "/../screenshots/mapping-guide-unicode\"");
}

// A job that cannot start reports an input/output error and leaves nothing open; a job that is open
// refuses a second printout before its print dialog.
TEST_F(PrintGuide, AFailedStartIsReportedAndAnOpenJobRefusesAnotherPrintout) {
  const HDC screen = ::CreateCompatibleDC(nullptr);
  EXPECT_THROW(PrintJob(screen, "Tavrix"), IoError);
  ::DeleteDC(screen);
  EXPECT_FALSE(PrintJob::Printing());

  const UniqueDC printer = DefaultPrinterDC();
  ASSERT_TRUE(printer);
  std::string seen;
  {
    const PrintJob job(printer.get(), "Refused");
    ASSERT_TRUE(PrintJob::Printing());
    // The box is modal in this thread: another thread reads and closes it (or cancels a print dialog).
    std::thread answer([&seen] {
      MessageBoxInfo box;
      WaitFor([&box] { return (box = FindMessageBox(::GetCurrentProcessId())).window != nullptr; });
      seen = box.caption + ": " + box.text;
      ::PostMessageA(box.window, WM_COMMAND, box.caption == "Error" ? IDOK : IDCANCEL, 0);
    });
    TPrintDialog dialog;
    std::array<std::uint8_t, AreaSize> hotKeyBytes{}, remapBytes{};
    DoOutput(nullptr, dialog, "C:\\KEY.TVX", HotKeyAreaView(hotKeyBytes.data()),
             RemapAreaView(remapBytes.data()), nullptr);
    answer.join();
  }
  EXPECT_EQ(seen, "Error: Other print job currently in progress.");
  EXPECT_FALSE(PrintJob::Printing());
}

// The dialogs of this process on screen, newest first.
std::vector<HWND> Dialogs() {
  std::vector<HWND> found;
  for (HWND window = nullptr; (window = ::FindWindowExA(nullptr, window, "#32770", nullptr));) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == ::GetCurrentProcessId() && ::IsWindowVisible(window)) found.push_back(window);
  }
  return found;
}

std::function<void()> printAgain;

// File > Print chosen again while the first printout's dialog pumps messages (a driver's dialog does the
// same inside the job): the second is refused and the first keeps its printer.
TEST_F(PrintGuide, APrintoutStartedInsideAnotherIsRefused) {
  std::array<std::uint8_t, AreaSize> hotKeyBytes{}, remapBytes{};
  TPrintDialog dialog;
  const auto print = [&] {
    DoOutput(nullptr, dialog, "C:\\KEY.TVX", HotKeyAreaView(hotKeyBytes.data()),
             RemapAreaView(remapBytes.data()), nullptr);
  };
  printAgain = print;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (Dialogs().empty()) return;
    ::KillTimer(nullptr, id);
    printAgain();
  });
  std::string seen;
  std::thread answer([&seen] {
    std::vector<HWND> dialogs;
    WaitFor([&dialogs] { return (dialogs = Dialogs()).size() == 2; });
    if (dialogs.size() != 2) return;
    seen = WindowText(dialogs[0]) + ": " + WindowText(::GetDlgItem(dialogs[0], 0xFFFF));
    ::PostMessageA(dialogs[0], WM_COMMAND, WindowText(dialogs[0]) == "Error" ? IDOK : IDCANCEL, 0);
    WaitFor([&dialogs] { return Dialogs().size() == 1; });
    ::PostMessageA(dialogs[1], WM_COMMAND, IDCANCEL, 0);
  });
  print();
  answer.join();
  ::KillTimer(nullptr, timer);
  EXPECT_EQ(seen, "Error: Other print job currently in progress.");
}

}  // namespace
}  // namespace tvx::test
