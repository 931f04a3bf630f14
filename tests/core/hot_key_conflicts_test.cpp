// Whether a hot key takes a character or a shortcut the user needs, on a German and a French layout read
// from the X keyboard database.
#include <gtest/gtest.h>

#include <vector>

#include "core/hook/HotKeyConflicts.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/CellTexts.h"
#include "tests/core/hook_scenario.h"
#include "tests/core/xkb_layout.h"

namespace tvx {
namespace {

class HotKeyConflicts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    german_ = new LayoutFacts(xkb::Layout("de", "German", &germanKeys_));
    french_ = new LayoutFacts(xkb::Layout("fr", "French", &frenchKeys_));
  }
  static void TearDownTestSuite() {
    delete german_;
    delete french_;
  }
  RemapAreaView Remap() { return RemapAreaView(remapBytes_.data()); }
  std::vector<std::string> Lines(const HotKeyCombination& combination, std::vector<LayoutFacts> layouts,
                                 bool registeredElsewhere = false) {
    std::vector<std::string> lines;
    for (const HotKeyConflict& conflict : FindConflicts(combination, layouts, Remap(), registeredElsewhere))
      lines.push_back(ConflictLine(combination, conflict));
    return lines;
  }

  static inline LayoutFacts* german_ = nullptr;
  static inline LayoutFacts* french_ = nullptr;
  static inline xkb::KeyLevels germanKeys_, frenchKeys_;
  std::vector<std::uint8_t> remapBytes_ = std::vector<std::uint8_t>(AreaSize);  // nothing remapped
};

int RowOf(int category, std::string_view label) {
  for (int row = 0; row < RowCount(category); ++row)
    if (RowLabelView(category, row) == label) return row;
  ADD_FAILURE() << "no row " << label;
  return -1;
}

HotKeyCombination Combination(int category, int column, std::string_view label) {
  return {category, column, RowOf(category, label)};
}

// The hook knows letters and digits by their virtual keys and the punctuation rows by what a key types
// unshifted: a German keyboard swaps Y and Z and types "/", ";", "=" and "'" only with Shift; a French
// one types its digits with Shift, and its "-" on the 6 key, which the hook takes for the 6.
TEST_F(HotKeyConflicts, ARowIsTheKeyTheHookTakesForIt) {
  struct Case {
    const LayoutFacts* layout;
    const xkb::KeyLevels* keys;
    int category;
    const char* row;
    const char* keyCode;  // nullptr: no key
  };
  const Case cases[] = {
      {german_, &germanKeys_, Alphabetic, "Z", "AD06"},   {german_, &germanKeys_, Alphabetic, "Y", "AB01"},
      {german_, &germanKeys_, Numeric, "7", "AE07"},      {german_, &germanKeys_, Punctuation, "-", "AB10"},
      {german_, &germanKeys_, Punctuation, ",", "AB08"},  {german_, &germanKeys_, Punctuation, "/", nullptr},
      {german_, &germanKeys_, Punctuation, ";", nullptr}, {german_, &germanKeys_, Punctuation, "=", nullptr},
      {german_, &germanKeys_, Punctuation, "'", nullptr}, {french_, &frenchKeys_, Alphabetic, "A", "AD01"},
      {french_, &frenchKeys_, Alphabetic, "Q", "AC01"},   {french_, &frenchKeys_, Alphabetic, "M", "AC10"},
      {french_, &frenchKeys_, Numeric, "7", "AE07"},      {french_, &frenchKeys_, Punctuation, ";", "AB08"},
      {french_, &frenchKeys_, Punctuation, "=", "AE12"},  {french_, &frenchKeys_, Punctuation, "-", nullptr},
      {french_, &frenchKeys_, Punctuation, "/", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout->name + " " + c.row);
    const auto keys = KeysOfRow(Combination(c.category, CtrlAlt, c.row), Remap(), c.layout->keys);
    if (!c.keyCode) {
      EXPECT_TRUE(keys.empty());
      continue;
    }
    EXPECT_EQ(keys, std::vector<std::uint8_t>{xkb::VirtualKeyOf(*c.keys, c.keyCode)});
  }
  EXPECT_EQ(KeysOfRow(Combination(FunctionKeys, CtrlAlt, "F5"), Remap(), german_->keys),
            std::vector<std::uint8_t>{0x74});
}

TEST_F(HotKeyConflicts, CtrlAltTakesTheCharactersAltGrTypes) {
  struct Case {
    const LayoutFacts* layout;
    HotKeyCombination combination;
    const char* line;  // nullptr: no conflict
  };
  const Case cases[] = {
      {german_, Combination(Alphabetic, CtrlAlt, "Q"),
       "In the keyboard layout German, Ctrl+Alt+Q types \"@\"."},
      {german_, Combination(Numeric, CtrlAlt, "7"), "In the keyboard layout German, Ctrl+Alt+7 types \"{\"."},
      {german_, Combination(Alphabetic, CtrlAlt, "E"),
       "In the keyboard layout German, Ctrl+Alt+E types \"\x80\"."},
      {german_, Combination(Alphabetic, CtrlAlt, "Z"),
       "In the keyboard layout German, Ctrl+Alt+Z types \"U+2190\"."},
      {german_, Combination(Alphabetic, CtrlAlt, "Y"),
       "In the keyboard layout German, Ctrl+Alt+Y types \"\xBB\"."},
      {german_, Combination(Punctuation, CtrlAlt, "/"), nullptr},
      {french_, Combination(Alphabetic, CtrlAlt, "A"),
       "In the keyboard layout French, Ctrl+Alt+A types \"\xE6\"."},
      {french_, Combination(Numeric, CtrlAlt, "7"), "In the keyboard layout French, Ctrl+Alt+7 types \"`\"."},
      {french_, Combination(Punctuation, CtrlAlt, ";"),
       "In the keyboard layout French, Ctrl+Alt+; types \"\x95\"."},
      {french_, Combination(Alphabetic, Alt, "Q"), nullptr},
      {french_, Combination(FunctionKeys, CtrlAlt, "F5"), nullptr},
      {french_, Combination(Editing, CtrlAlt, "Enter"), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout->name + " " + CombinationText(c.combination));
    const auto lines = Lines(c.combination, {*c.layout});
    EXPECT_EQ(lines, c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
  }
}

TEST_F(HotKeyConflicts, TheWarningNamesEveryConflictAtOnce) {
  const HotKeyCombination combination = Combination(Alphabetic, CtrlAlt, "Q");
  const auto conflicts = FindConflicts(combination, std::vector{*german_, *french_}, Remap(), true);
  EXPECT_EQ(ConflictWarning(combination, conflicts),
            "Ctrl+Alt+Q is used elsewhere:\n"
            "In the keyboard layout German, Ctrl+Alt+Q types \"@\".\n"
            "In the keyboard layout French, Ctrl+Alt+Q types \"@\".\n"
            "Another running program uses Ctrl+Alt+Q.\n"
            "\n"
            "Use this hot key anyway?");
}

TEST_F(HotKeyConflicts, WindowsShortcutsAreWindowsNeverAnotherProgram) {
  const LayoutFacts us{"US", scenario::UsLayout(), {}};
  struct Case {
    HotKeyCombination combination;
    bool registeredElsewhere;
    const char* line;  // nullptr: no conflict
  };
  const Case cases[] = {
      {Combination(Alphabetic, CtrlWin, "D"), true, "Windows uses Ctrl+Win+D to add a virtual desktop."},
      {Combination(Alphabetic, Win, "V"), false, "Windows uses Win+V to open the clipboard history."},
      {Combination(Editing, CtrlWin, "RightA"), true,
       "Windows uses Ctrl+Win+RightA to switch to the virtual desktop on the right."},
      {Combination(Alphabetic, AltWin, "R"), false,
       "Windows uses Alt+Win+R to start or stop recording a game."},
      {Combination(Alphabetic, CtrlWin, "J"), true, "Another running program uses Ctrl+Win+J."},
      {Combination(Alphabetic, CtrlWin, "J"), false, nullptr},
      {Combination(Alphabetic, CtrlAlt, "B"), false, nullptr},
      {Combination(Alphabetic, Win, "J"), false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(CombinationText(c.combination));
    const auto lines = Lines(c.combination, {us}, c.registeredElsewhere);
    EXPECT_EQ(lines, c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
  }
  // A shortcut on a reserved cell or on no row would never be reported.
  for (const WindowsShortcut& shortcut : WindowsShortcuts()) {
    const int row = RowOf(shortcut.category, shortcut.key);
    EXPECT_FALSE(IsReserved(shortcut.category, shortcut.column, row)) << shortcut.key;
  }
}

// The remapper comes first: with a remapped to b, the A key is the B row.
TEST_F(HotKeyConflicts, ARemappedKeyCountsForTheRowItIsRemappedTo) {
  Remap().SetByte(RemapTableId::Lower, 0, 'b');
  EXPECT_EQ(KeysOfRow(Combination(Alphabetic, CtrlAlt, "B"), Remap(), french_->keys),
            (std::vector<std::uint8_t>{'A', 'B'}));
  EXPECT_EQ(Lines(Combination(Alphabetic, CtrlAlt, "B"), {*french_}),
            (std::vector<std::string>{"In the keyboard layout French, Ctrl+Alt+B types \"\xE6\".",
                                      "In the keyboard layout French, Ctrl+Alt+B types \"\x93\"."}));
  EXPECT_TRUE(Lines(Combination(Alphabetic, CtrlAlt, "A"), {*french_}).empty());
}

// A hot key set to a character beyond the record or to a text holds 0 in the table, and is checked all the
// same.
TEST_F(HotKeyConflicts, CheckingAFileListsEachConflictingHotKeyOnce) {
  std::vector<std::uint8_t> bytes(AreaSize);
  const HotKeyAreaView hotKeys(bytes.data());
  MappingCharacters characters;
  const auto set = [&](HotKeyCombination c) {
    hotKeys.SetAction(*TableByCategory(c.category), c.column, c.row, 'x');
  };
  const auto setBeyond = [&](HotKeyCombination c, char32_t value) {
    characters.Set(HotKeyCellNumber(*TableByCategory(c.category), c.column, c.row), value);
  };
  const HotKeyCombination ctrlWinJ = Combination(Alphabetic, CtrlWin, "J");
  for (const HotKeyCombination& c : {Combination(Alphabetic, Alt, "B"), Combination(Alphabetic, Win, "D"),
                                     Combination(Editing, CtrlAlt, "Home")})
    set(c);
  setBeyond(Combination(Alphabetic, CtrlAlt, "Q"), TextId(u"x{Tab}"));
  setBeyond(Combination(Alphabetic, Win, "V"), U'\u2192');
  setBeyond(ctrlWinJ, TextId(u"y"));
  const auto probe = [&](const HotKeyCombination& c) {
    return c.category == ctrlWinJ.category && c.column == ctrlWinJ.column && c.row == ctrlWinJ.row;
  };
  EXPECT_EQ(CheckHotKeys(hotKeys, characters, Remap(), std::vector{*german_}, probe),
            (std::vector<std::string>{
                "Win+V: Windows uses Win+V to open the clipboard history.",
                "Ctrl+Alt+Q: In the keyboard layout German, Ctrl+Alt+Q types \"@\".",
                "Ctrl+Win+J: Another running program uses Ctrl+Win+J.",
            }));
  EXPECT_TRUE(CheckHotKeys(HotKeyAreaView(std::vector<std::uint8_t>(AreaSize).data()), MappingCharacters{},
                           Remap(), std::vector{*german_}, [](const HotKeyCombination&) { return true; })
                  .empty());
}

}  // namespace
}  // namespace tvx
