// Characters beyond the code page through the real program and library, with real X keystrokes into a
// window that records the UTF-16 units it receives: a remapped key types its character from the hook, a
// hot key's character goes through the main window, one beyond U+FFFF as its surrogate pair.
#include <gtest/gtest.h>

#include "tests/win/support/hook_harness.h"

namespace tvx::test {
namespace {

TEST(UnicodeCharacters, ARemappedKeyAndHotKeysTypeCharactersBeyondTheCodePage) {
  Tables tables;
  tables.Identity();
  tables.RemapCharacter(RemapTableId::Lower, 'q', U'α');
  tables.BindCharacter(Alphabetic, CtrlAlt, 6, U'→');  // Ctrl+Alt+G
  tables.BindCharacter(Alphabetic, Alt, 7, 0x1F600);   // Alt+H
  tables.Bind(Alphabetic, Alt, 0, 'x');                // a hot key of the record beside them
  TavrixRun tavrix(tables);
  ASSERT_TRUE(tavrix.loaded());
  Target target;
  ASSERT_TRUE(target.Focus());

  std::size_t mark = target.Mark();
  Xdotool("key q");
  EXPECT_EQ(Units(target, mark, 1), "03B1") << "q";
  mark = target.Mark();
  Xdotool("key ctrl+alt+g");
  EXPECT_EQ(Units(target, mark, 1), "2192") << "Ctrl+Alt+G";
  mark = target.Mark();
  Xdotool("key alt+h");
  EXPECT_EQ(Units(target, mark, 2), "D83D DE00") << "Alt+H";
  mark = target.Mark();
  Xdotool("key alt+a");
  EXPECT_EQ(Units(target, mark, 1), "0078") << "Alt+A";
  EXPECT_EQ(target.KeysDown(), "") << "a key stayed down";
}

// An older version saved the file since: its record is in force, and the program says once why the
// characters are gone.
TEST(UnicodeCharacters, AStaleExtensionIsIgnoredAndReported) {
  Tables tables;
  tables.Identity();
  tables.RemapCharacter(RemapTableId::Lower, 'q', U'α');
  std::vector<std::uint8_t> file = tables.MappingFile();
  file[1078] = 'C';  // the older version remapped A to C and saved the record alone over the first bytes
  TavrixProcess tavrix(file);
  MessageBoxInfo box;
  ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(tavrix.id())).window != nullptr; }, 20s));
  EXPECT_EQ(box.caption, "Notice");
  EXPECT_NE(box.text.find("an older version of Tavrix 98 has saved the file since"), std::string::npos)
      << box.text;
  EXPECT_EQ(AnswerMessageBoxes(tavrix.id()), 1);
  EXPECT_TRUE(WaitFor([&] {
    return TablesInForce() == std::vector<std::uint8_t>(file.begin(), file.begin() + 1171);
  })) << "the record as the older version left it";
}

}  // namespace
}  // namespace tvx::test
