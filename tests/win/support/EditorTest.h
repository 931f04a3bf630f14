#pragma once
// What the tests of both editors share: the program under test, waiting for an edit to end, the
// current mapping file, and cancelling a picker dialog.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "tests/win/support/TavrixProcess.h"

namespace tvx::test {

class EditorTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Waits for the edit to end (the dialog gone, the main window back at its message loop).
  void Finish(HWND dialog);
  // Returns once the program has handled everything posted to it so far.
  void Settle();
  std::vector<std::uint8_t> File() const { return ReadFileBytes(tavrix_->KeyFile()); }
  // Opens a picker with `open` twice: Escape to the control `escapeTargetId` leaves it on screen, then
  // its Cancel button and its close box each end it.
  void CancelBothWays(const std::function<HWND()>& open, int escapeTargetId);

  std::unique_ptr<TavrixProcess> tavrix_;
};

}  // namespace tvx::test
