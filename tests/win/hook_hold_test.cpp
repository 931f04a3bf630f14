// Real X keystrokes: the user's modifiers do not leak into a hot key's action, nothing stays down, no
// menu opens on the Alt release, held keys repeat their replacement, and no keystroke lands in a file.
#include <gtest/gtest.h>

#include "tests/win/support/hook_harness.h"
// After <windows.h>.
#include <shlobj.h>

#include <chrono>
#include <cstdio>

namespace tvx::test {
namespace {

Tables HoldTables() {
  Tables tables;
  tables.Identity();
  tables.Bind(Editing, CtrlAlt, 2, 260);  // Ctrl+Alt+Home: F5
  tables.Bind(Alphabetic, Alt, 9, 'x');   // Alt+J
  tables.Bind(Alphabetic, Win, 9, 'x');   // Win+J
  tables.Remap(RemapTableId::Lower, 'q', 'z');
  return tables;
}

// The modifiers the target saw held when the key went down ("m" line after its "k" line).
std::string ModifiersAt(const std::string& log, const std::string& keyDown) {
  const std::size_t at = log.find("k " + keyDown + "\nm ");
  return at == std::string::npos ? "not received" : log.substr(at + 8, log.find('\n', at + 8) - at - 8);
}

class HookHold : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tavrix_ = new TavrixRun(HoldTables()); }
  static void TearDownTestSuite() { delete tavrix_; }
  void SetUp() override {
    ASSERT_TRUE(tavrix_->loaded());
    ASSERT_TRUE(target_.Focus());
  }

  static TavrixRun* tavrix_;
  Target target_{"hold"};
};
TavrixRun* HookHold::tavrix_ = nullptr;

TEST_F(HookHold, CtrlAltHomeReachesTheTargetAsF5Alone) {
  const std::size_t mark = target_.Mark();
  Xdotool("key --delay 30 ctrl+alt+Home");
  const std::string log = target_.Settled().substr(mark);
  EXPECT_EQ(ModifiersAt(log, "74v"), "0") << log;
  EXPECT_EQ(log.find("k 24"), std::string::npos) << "Home itself came through";
  EXPECT_EQ(target_.KeysDown(), "");
}

TEST_F(HookHold, AltAndWinHotKeysOpenNoMenuAndLeaveNothingDown) {
  for (const char* keys : {"alt+j", "super+j", "alt+j alt+j"}) {
    const std::size_t mark = target_.Mark();
    Xdotool(std::string("key --delay 30 ") + keys);
    EXPECT_EQ(target_.Since(mark, "c"), keys[0] == 'a' && keys[5] ? "0078 0078" : "0078") << keys;
    EXPECT_FALSE(target_.MenuOpened(mark)) << keys << ": " << target_.Settled().substr(mark);
    EXPECT_EQ(target_.KeysDown(), "") << keys;
  }
  // Alt alone does open the menu bar: the check above can fail.
  const std::size_t mark = target_.Mark();
  Xdotool("key alt");
  EXPECT_TRUE(target_.MenuOpened(mark));
  Xdotool("key Escape");
}

// Xvfb does not repeat keys held through XTest, so the held key comes as an on-screen keyboard sends it:
// injected by another program, press, press, press, release.
std::string HeldThrice(const Target& target, WORD vk, WORD scan) {
  const std::size_t mark = target.Mark();
  INPUT inputs[4] = {};
  for (INPUT& input : inputs) input = {INPUT_KEYBOARD, {.ki = {vk, scan, 0, 0, 0}}};
  inputs[3].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(4, inputs, sizeof(INPUT));
  return target.Since(mark, "c");
}

TEST_F(HookHold, HeldRemappedKeyGivesOneReplacementPerRepeat) {
  EXPECT_EQ(HeldThrice(target_, 'W', 0x11), "0077 0077 0077");
  EXPECT_EQ(HeldThrice(target_, 'Q', 0x10), "007A 007A 007A");
  EXPECT_EQ(target_.KeysDown(), "");
}

// Where a folder really is once every link on its way is followed ("\\?\C:\users\..."), or "" when it
// cannot be opened.
std::string RealPath(const std::string& folder) {
  const UniqueFile handle(::CreateFileA(folder.c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  char path[MAX_PATH] = {};
  if (!handle || !::GetFinalPathNameByHandleA(handle.get(), path, MAX_PATH, FILE_NAME_NORMALIZED)) return "";
  std::string real(path);
  if (real.back() != '\\') real += '\\';
  return real;
}

// Files written since the start that hold the text, in the places the program and the library can write.
// The search stays inside the prefix's drive: in a Wine prefix some of those folders are links to the
// user's home, and from there a lasting prefix's Z: leads to the whole file system. It is bounded too, and
// says when it was cut short, since a search that stopped early proves nothing.
class TextSearch {
 public:
  TextSearch(std::string text, const FILETIME& since)
      : text_(std::move(text)), since_(since), drive_(RealPath("C:\\")) {}

  // The folder's files, and those below it when deep.
  void Folder(const std::string& folder, bool deep, int depth = 0) {
    const std::string real = RealPath(folder);
    if (real.rfind(drive_, 0) != 0) {
      outside_.push_back(folder + " (" + real + ")");
      return;
    }
    if (++folders_ > MaxFolders || depth > MaxDepth) {
      cutShort_ = true;
      return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        outside_.push_back(folder + name);
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (deep) Folder(folder + name + "\\", deep, depth + 1);
      } else if (::CompareFileTime(&found.ftLastWriteTime, &since_) >= 0 &&
                 ReadFileText(folder + name).find(text_) != std::string::npos) {
        holding_.push_back(folder + name);
      }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }

  // The drive's root, the Windows folder, the temporary folder (the program runs from there) and the
  // application data folders.
  void WritablePlaces() {
    Folder("C:\\", false);
    Folder("C:\\windows\\", false);
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    Folder(folder, true);
    for (int id : {CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA}) {
      if (::SHGetFolderPathA(nullptr, id, nullptr, 0, folder) == S_OK)
        Folder(std::string(folder) + "\\", true);
    }
  }

  const std::vector<std::string>& holding() const { return holding_; }
  bool cutShort() const { return cutShort_; }
  int folders() const { return folders_; }
  std::string outside() const {
    std::string joined;
    for (const std::string& folder : outside_) joined += "\n  " + folder;
    return joined;
  }

 private:
  // A fresh prefix's writable places hold a few hundred folders.
  static constexpr int MaxFolders = 5000;
  static constexpr int MaxDepth = 12;

  std::string text_;
  FILETIME since_;
  std::string drive_;
  std::vector<std::string> holding_, outside_;
  int folders_ = 0;
  bool cutShort_ = false;
};

std::vector<std::string> FilesHolding(const std::string& text, const FILETIME& since) {
  const auto began = std::chrono::steady_clock::now();
  TextSearch search(text, since);
  search.WritablePlaces();
  const auto took =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
  std::printf("searched %d folders in %lld ms; left out, outside the prefix:%s\n", search.folders(),
              static_cast<long long>(took.count()), search.outside().c_str());
  EXPECT_FALSE(search.cutShort()) << "the search was cut short";
  return search.holding();
}

// A program of its own, since the test ends it to see what it writes on closing.
TEST(HookFiles, TypedTextIsInNoFile) {
  FILETIME start;
  ::GetSystemTimeAsFileTime(&start);
  TavrixRun tavrix(HoldTables());
  ASSERT_TRUE(tavrix.loaded());
  Target target("files");
  ASSERT_TRUE(target.Focus());
  const TempDir probeFolder;
  const std::string probe = probeFolder.File("probe.txt");
  WriteFileText(probe, "canaryxwv");
  EXPECT_EQ(FilesHolding("canaryxwv", start), std::vector<std::string>{probe}) << "the search finds a file";
  ::DeleteFileA(probe.c_str());
  const std::size_t mark = target.Mark();
  Xdotool("type --delay 30 canaryxwv");
  EXPECT_EQ(target.Since(mark, "c"), "0063 0061 006E 0061 0072 0079 0078 0077 0076");
  EXPECT_EQ(tavrix.Close(), 0);  // and whatever it writes on closing is written by now
  EXPECT_EQ(FilesHolding("canaryxwv", start), std::vector<std::string>{});
}

}  // namespace
}  // namespace tvx::test
