// Faults inside the program's own windows, in process: an error in a handler, in a paint or while a modal
// form shows must leave a usable program, reported once through the general error report.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/win/support/TavrixProcess.h"
#include "win/app/MainWin.h"
#include "win/ui/DrawGrid.h"
#include "win/ui/Form.h"

namespace tvx::test {
namespace {

// Presses OK on every message box this process shows, and keeps their texts.
class BoxAnswerer {
 public:
  BoxAnswerer()
      : thread_([this] {
          while (!stop_) {
            const MessageBoxInfo box = FindMessageBox(::GetCurrentProcessId());
            if (box.window && box.window != last_) {
              last_ = box.window;
              texts_.push_back(box.text);
              PressOk(box);
            }
            ::Sleep(20);
          }
        }) {}
  ~BoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  // The texts once the boxes shown so far have been answered.
  std::vector<std::string> Texts() {
    WaitFor([] { return FindMessageBox(::GetCurrentProcessId()).window == nullptr; });
    return texts_;
  }

 private:
  std::atomic<bool> stop_{false};
  HWND last_ = nullptr;
  std::vector<std::string> texts_;
  std::thread thread_;
};

HWND TopWindow() {
  return ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 300, nullptr, nullptr,
                           nullptr, nullptr);
}

class FailingForm : public ModalForm {
 public:
  int closed = 0;

 protected:
  void Create(HWND owner) override {
    RegisterWindowClass("TvxFailingForm", reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateWin(0, "TvxFailingForm", "", WS_POPUP, RECT{0, 0, 100, 100}, owner, nullptr);
  }
  void FormShow() override { throw std::runtime_error("show failed"); }
  void FormClose() override { ++closed; }
  void Command(int, int) override {}
};

TEST(WindowFaults, AModalFormThatFailsToShowGivesItsOwnerBack) {
  const HWND owner = TopWindow();
  FailingForm form;
  EXPECT_THROW(form.ShowModal(owner), std::runtime_error);
  EXPECT_TRUE(::IsWindowEnabled(owner));
  EXPECT_EQ(form.hwnd(), nullptr);
  EXPECT_EQ(form.closed, 1);
  ::DestroyWindow(owner);
}

class ThrowingWindow : public Window {
 public:
  void Create() {
    RegisterWindowClass("TvxThrowingWindow", nullptr);
    CreateWin(0, "TvxThrowingWindow", "", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, nullptr);
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_APP) throw 42;  // not a std::exception
    return Window::HandleMessage(message, wParam, lParam);
  }
};

TEST(WindowFaults, AnyErrorOfAHandlerIsReportedAndTheWindowGoesOn) {
  BoxAnswerer answerer;
  ThrowingWindow window;
  window.Create();
  ::SendMessageA(window.hwnd(), WM_APP, 0, 0);
  EXPECT_EQ(answerer.Texts(), std::vector<std::string>{"Unexpected error"});
  EXPECT_TRUE(::IsWindow(window.hwnd()));
}

// The paint ends (the region is validated) and its error shows once, however often the grid repaints.
TEST(WindowFaults, AFailingPaintIsReportedOnceAndEndsItsPaint) {
  BoxAnswerer answerer;
  RegisterDrawGridClass();
  const HWND owner = TopWindow();
  const HWND window = ::CreateWindowExA(0, DrawGridClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 200,
                                        owner, nullptr, nullptr, nullptr);
  DrawGrid& grid = *DrawGrid::From(window);
  grid.OnDrawCell = [](const GridCellPaint&) { throw std::runtime_error("paint failed"); };
  for (int repaint = 0; repaint < 3; ++repaint) {
    ::InvalidateRect(window, nullptr, FALSE);
    ::UpdateWindow(window);
    EXPECT_FALSE(::GetUpdateRect(window, nullptr, FALSE));
  }
  EXPECT_EQ(answerer.Texts(), std::vector<std::string>{"paint failed"});
  ::DestroyWindow(owner);
}

// The name is taken from the full path before anything is cut to 255 characters: a path of 259 characters
// (the most Windows takes) and a relative one that expands past that still show the name.
TEST(WindowFaults, TheCaptionOfAVeryLongPathShowsTheName) {
  const TempDir folder;
  ASSERT_TRUE(::SetCurrentDirectoryA(folder.path().c_str()));
  const std::size_t pad = 259 - (folder.path().size() + 1) - std::string("\\LONG.TVX").size();
  std::string deep;
  for (int level = 0; level < 24; ++level) deep += "abcdefghi\\";
  for (const std::string& name : {std::string(pad, 'a') + "\\LONG.TVX", deep + "LONG.TVX"}) {
    EXPECT_EQ(FileCaption(name).str(), "Tavrix 98 (LONG)") << name.size();
  }
  ::SetCurrentDirectoryA("C:\\");
}

}  // namespace
}  // namespace tvx::test
