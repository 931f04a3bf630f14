// Per-application mappings: the bindings in the settings file, the default rule, the sets prepared from
// the files, and keys decided by the foreground window's set, with gestures that outlive a switch.
#include <gtest/gtest.h>

#include "core/app/AppSets.h"
#include "core/settings/Applications.h"
#include "tests/core/fake_files.h"
#include "tests/core/hook_scenario.h"

namespace tvx {
namespace {

// An INI section in memory, in the order its keys were written.
class SectionStore : public ProfileStore {
 public:
  std::vector<std::pair<std::string, std::string>> keys;
  std::string Get(const char*, const char* key, const char* defaultValue, std::size_t) override {
    for (const auto& [name, value] : keys)
      if (name == key) return value;
    return defaultValue;
  }
  void Put(const char*, const char* key, const std::string& value) override {
    for (auto& [name, old] : keys)
      if (name == key) {
        old = value;
        return;
      }
    keys.emplace_back(key, value);
  }
  std::vector<std::string> Keys(const char*) override {
    std::vector<std::string> names;
    for (const auto& entry : keys) names.push_back(entry.first);
    return names;
  }
  void Remove(const char*, const char* key) override {
    std::erase_if(keys, [&](const auto& entry) { return entry.first == key; });
  }
};

TEST(Applications, BindingsAreFoundByProgramFileNameWithoutRegardToCase) {
  SectionStore store;
  TApplications apps;
  EXPECT_TRUE(BindProgram(apps, store, "notepad.exe", "C:\\M\\NOTE.TVX", "C:\\KEY.TVX"));
  EXPECT_TRUE(BindProgram(apps, store, "C:\\Games\\Quake.exe", "C:\\M\\GAME.TVX", "C:\\KEY.TVX"));
  ASSERT_NE(apps.BindingOf("C:\\WINDOWS\\NOTEPAD.EXE"), nullptr);
  EXPECT_EQ(apps.BindingOf("NotePad.Exe")->file, "C:\\M\\NOTE.TVX");
  EXPECT_EQ(apps.BindingOf("QUAKE.EXE")->program, "Quake.exe");
  EXPECT_EQ(apps.BindingOf("NOTEPAD2.EXE"), nullptr);
  EXPECT_EQ(apps.BindingOf("C:\\NOTEPAD.EXE\\WORD.EXE"), nullptr);

  // Binding again replaces; the key as first written stays.
  EXPECT_TRUE(BindProgram(apps, store, "NOTEPAD.EXE", "C:\\M\\OTHER.TVX", "C:\\KEY.TVX"));
  EXPECT_EQ(apps.bindings.size(), 2u);
  const TApplications read = LoadApplications(store);
  EXPECT_EQ(read.bindings, apps.bindings);
  EXPECT_EQ(read.Default, "C:\\KEY.TVX");

  UnbindProgram(apps, store, "QUAKE.EXE");
  EXPECT_EQ(LoadApplications(store).bindings, apps.bindings);
  for (const char* refused : {"", "  ", "Default", "A=B.EXE", "[X].EXE"})
    EXPECT_FALSE(BindProgram(apps, store, refused, "C:\\X.TVX", "C:\\KEY.TVX")) << refused;
}

TEST(Applications, AtMost32BindingsAreKeptOrRead) {
  SectionStore store;
  TApplications apps;
  for (int i = 0; i < 32; ++i)
    EXPECT_TRUE(BindProgram(apps, store, "P" + std::to_string(i) + ".EXE", "C:\\A.TVX", "C:\\KEY.TVX"));
  EXPECT_FALSE(BindProgram(apps, store, "ONE_MORE.EXE", "C:\\A.TVX", "C:\\KEY.TVX"));
  EXPECT_TRUE(BindProgram(apps, store, "P5.EXE", "C:\\B.TVX", "C:\\KEY.TVX"));  // a change is no new one
  store.keys.emplace_back("HAND_EDITED.EXE", "C:\\A.TVX");
  store.keys.emplace_back("EMPTY.EXE", "");
  const TApplications read = LoadApplications(store);
  EXPECT_EQ(read.bindings.size(), 32u);
  EXPECT_EQ(read.BindingOf("HAND_EDITED.EXE"), nullptr);
}

TEST(Applications, TheDefaultIsTheLastFileCurrentWhileBoundToNoProgram) {
  SectionStore store;
  TApplications apps;
  EXPECT_EQ(apps.DefaultFile("C:\\KEY.TVX"), "C:\\KEY.TVX");  // no bindings: the current file, as ever
  NoteCurrentFile(apps, store, "C:\\OTHER.TVX");
  EXPECT_TRUE(store.keys.empty());

  BindProgram(apps, store, "NOTEPAD.EXE", "C:\\NOTE.TVX", "C:\\KEY.TVX");
  NoteCurrentFile(apps, store, "C:\\note.tvx");  // opened to be edited: bound, so not the default
  EXPECT_EQ(apps.DefaultFile("C:\\note.tvx"), "C:\\KEY.TVX");
  NoteCurrentFile(apps, store, "C:\\WORK.TVX");
  EXPECT_EQ(apps.DefaultFile("C:\\NOTE.TVX"), "C:\\WORK.TVX");
  EXPECT_EQ(LoadApplications(store).Default, "C:\\WORK.TVX");

  UnbindProgram(apps, store, "NOTEPAD.EXE");  // the last one: the current file again
  EXPECT_EQ(apps.DefaultFile("C:\\NOTE.TVX"), "C:\\NOTE.TVX");
  EXPECT_TRUE(store.keys.empty());
}

Bytes Record(std::uint8_t fill) {
  Bytes bytes(MappingRecordSize, 0);
  bytes[HotKeyRunSize] = fill;  // the first remap entry
  return bytes;
}

TEST(AppTableSets, EachFileLoadedOnceTheCurrentOneIsTheAreasAndAMissingOneUsesTheDefault) {
  FakeFiles files;
  files.files["C:\\KEY.TVX"] = Record(1);
  files.files["C:\\NOTE.TVX"] = Record(2);
  files.files["C:\\SHORT.TVX"] = Bytes(100, 0);
  SectionStore store;
  TApplications apps;
  BindProgram(apps, store, "NOTEPAD.EXE", "C:\\NOTE.TVX", "C:\\KEY.TVX");
  BindProgram(apps, store, "WRITE.EXE", "c:\\note.tvx", "C:\\KEY.TVX");
  BindProgram(apps, store, "GONE.EXE", "C:\\GONE.TVX", "C:\\KEY.TVX");
  BindProgram(apps, store, "SHORT.EXE", "C:\\SHORT.TVX", "C:\\KEY.TVX");
  std::array<std::uint8_t, AreaSize> hot{}, remap{};
  const TableSetAreas areas{hot.data(), remap.data()};

  AppTableSets sets;
  sets.Prepare(apps, "C:\\NOTE.TVX", areas, files);  // the bound file is open in the main window
  const std::uint8_t note = sets.SetOfProgram("C:\\Apps\\notepad.exe");
  EXPECT_NE(note, 0);
  EXPECT_EQ(sets.SetOfProgram("WRITE.EXE"), note);
  EXPECT_EQ(sets.Sets().sets[note].remap, areas.remap);              // its edits are in force at once
  EXPECT_EQ(sets.Sets().sets[0].remap[remap_area::TablesBegin], 1);  // the default, KEY.TVX, loaded
  EXPECT_EQ(sets.SetOfProgram("GONE.EXE"), 0);
  EXPECT_EQ(sets.SetOfProgram("SHORT.EXE"), 0);
  EXPECT_EQ(sets.SetOfProgram("OTHER.EXE"), 0);
  EXPECT_EQ(sets.Failed(), (std::vector<ShortString>{"C:\\GONE.TVX", "C:\\SHORT.TVX"}));

  sets.Prepare(apps, "C:\\KEY.TVX", areas, files);
  EXPECT_EQ(sets.Sets().sets[0].remap, areas.remap);
  EXPECT_EQ(sets.Sets().sets[sets.SetOfProgram("NOTEPAD.EXE")].remap[remap_area::TablesBegin], 2);
}

// A bound file's characters beyond its record come with its set; the current file's set carries the
// program's own; a stale extension leaves the record in force and is listed once for the notice, as are
// texts an older version dropped.
TEST(AppTableSets, EachSetCarriesItsFilesCharacters) {
  FakeFiles files;
  Bytes withCharacters = Record('A');
  MappingRecord record;
  std::copy_n(withCharacters.begin(), MappingRecordSize, record.begin());
  MappingCharacters characters;
  characters.Set(HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 6), U'→');
  characters.Set(HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 12), TextId(u"Καλημέρα{Enter}"));
  const std::vector<std::uint8_t> extension = ExtensionBytes(record, characters);
  withCharacters.insert(withCharacters.end(), extension.begin(), extension.end());
  files.files["C:\\GREEK.TVX"] = withCharacters;
  Bytes stale = withCharacters;
  stale[HotKeyRunSize] = 'B';
  files.files["C:\\STALE.TVX"] = stale;
  // As a version that knows no texts saved it: the placeholder kept, the text dropped.
  MappingCharacters placeholder;
  placeholder.Set(HotKeyCellNumber(*TableByCategory(Alphabetic), CtrlAlt, 12), TextPlaceholder);
  files.files["C:\\OLD.TVX"] = MappingBytes(record, placeholder);
  PassOver(files.files["C:\\OLD.TVX"], EntryType::TextsKnown);
  files.files["C:\\KEY.TVX"] = Record('A');
  SectionStore store;
  TApplications apps;
  BindProgram(apps, store, "GREEK.EXE", "C:\\GREEK.TVX", "C:\\KEY.TVX");
  BindProgram(apps, store, "STALE.EXE", "C:\\STALE.TVX", "C:\\KEY.TVX");
  BindProgram(apps, store, "OLD.EXE", "C:\\OLD.TVX", "C:\\KEY.TVX");
  std::array<std::uint8_t, AreaSize> hot{}, remap{};
  MappingCharacters current;
  const TableSetAreas areas{hot.data(), remap.data(), &current};

  AppTableSets sets;
  sets.Prepare(apps, "C:\\KEY.TVX", areas, files);
  const TableSetAreas& greek = sets.Sets().sets[sets.SetOfProgram("GREEK.EXE")];
  ASSERT_NE(greek.characters, nullptr);
  EXPECT_EQ(*greek.characters, characters);
  EXPECT_EQ(TablesOfSet(sets.Sets(), sets.SetOfProgram("GREEK.EXE")).characters, greek.characters);
  EXPECT_EQ(sets.Sets().sets[0].characters, &current);
  const TableSetAreas& staleSet = sets.Sets().sets[sets.SetOfProgram("STALE.EXE")];
  EXPECT_TRUE(staleSet.characters->Empty());
  EXPECT_EQ(staleSet.remap[remap_area::TablesBegin], 'B');
  EXPECT_TRUE(sets.Sets().sets[sets.SetOfProgram("OLD.EXE")].characters->Empty());
  ASSERT_EQ(sets.ExtensionProblems().size(), 2u);
  EXPECT_EQ(sets.ExtensionProblems()[0].first, ShortString("C:\\STALE.TVX"));
  EXPECT_EQ(sets.ExtensionProblems()[0].second.state, ExtensionState::Stale);
  EXPECT_EQ(sets.ExtensionProblems()[1].first, ShortString("C:\\OLD.TVX"));
  EXPECT_EQ(sets.ExtensionProblems()[1].second.state, ExtensionState::TextsLeftOut);
}

// Held by a writer for a moment, say: the other programs keep the default's tables, not the current file's.
TEST(AppTableSets, ADefaultThatCannotBeReadKeepsTheTablesItHad) {
  FakeFiles files;
  files.files["C:\\KEY.TVX"] = Record(1);
  files.files["C:\\NOTE.TVX"] = Record(2);
  SectionStore store;
  TApplications apps;
  BindProgram(apps, store, "NOTEPAD.EXE", "C:\\NOTE.TVX", "C:\\KEY.TVX");
  std::array<std::uint8_t, AreaSize> hot{}, remap{};
  const TableSetAreas areas{hot.data(), remap.data()};
  AppTableSets sets;
  sets.Prepare(apps, "C:\\NOTE.TVX", areas, files);
  files.files.erase("C:\\KEY.TVX");
  sets.Prepare(apps, "C:\\NOTE.TVX", areas, files, sets.Sets().sets[0]);
  EXPECT_EQ(sets.Failed(), std::vector<ShortString>{"C:\\KEY.TVX"});
  EXPECT_NE(sets.Sets().sets[0].remap, areas.remap);
  EXPECT_EQ(sets.Sets().sets[0].remap[remap_area::TablesBegin], 1);
  sets.Prepare(apps, "C:\\NOTE.TVX", areas, files);  // nothing to keep: the current file's, as before
  EXPECT_EQ(sets.Sets().sets[0].remap, areas.remap);
}

TEST(AppTableSets, ThirtyTwoBoundFilesAndADefaultOfItsOwnAreAllInForce) {
  FakeFiles files;
  SectionStore store;
  TApplications apps;
  files.files["C:\\KEY.TVX"] = Record(100);
  for (int i = 0; i < 32; ++i) {
    const std::string file = "C:\\F" + std::to_string(i) + ".TVX";
    files.files[file] = Record(static_cast<std::uint8_t>(i));
    ASSERT_TRUE(BindProgram(apps, store, "P" + std::to_string(i) + ".EXE", file, "C:\\KEY.TVX"));
  }
  std::array<std::uint8_t, AreaSize> hot{}, remap{};
  AppTableSets sets;
  sets.Prepare(apps, "C:\\OTHER.TVX", {hot.data(), remap.data()}, files);  // current: neither
  EXPECT_TRUE(sets.Failed().empty());
  EXPECT_EQ(sets.Sets().sets[0].remap[remap_area::TablesBegin], 100);
  for (int i = 0; i < 32; ++i) {
    const std::uint8_t set = sets.SetOfProgram("P" + std::to_string(i) + ".EXE");
    ASSERT_NE(set, 0) << i;
    EXPECT_EQ(sets.Sets().sets[set].remap[remap_area::TablesBegin], i);
  }
}

}  // namespace

namespace scenario {
namespace {

// The default file: q types z, Alt+A types "a". NOTEPAD's (window 7): q types y, Alt+A types "b".
struct TwoSets {
  Tables normal, bound;
  TableSets sets;
  TwoSets() {
    for (Tables* t : {&normal, &bound}) t->Identity();
    normal.Remap(RemapTableId::Lower, 'q', 'z');
    normal.Bind(Alphabetic, Alt, 0, 'a');
    bound.Remap(RemapTableId::Lower, 'q', 'y');
    bound.Bind(Alphabetic, Alt, 0, 'b');
    sets.sets[0] = {normal.hot.data(), normal.remap.data()};
    sets.sets[1] = {bound.hot.data(), bound.remap.data()};
    sets.setCount = 2;
    sets.windows[0] = {5, 0};
    sets.windows[1] = {7, 1};
    sets.windows[2] = {9, 3};  // a set that does not exist
    sets.windowCount = 3;
  }
};

// A window the program has not resolved yet (a dialog its program just opened) takes its root owner's set.
TEST(AppTableSets, AnUnlistedWindowTakesItsRootOwnersSet) {
  const TwoSets two;
  const struct {
    std::uintptr_t window, rootOwner;
    std::uint8_t set;
  } rows[] = {
      {7, 0, 1},  // listed
      {7, 5, 1},  // listed: its own entry, whatever its owner's
      {8, 7, 1},  // unlisted: the owner's
      {8, 5, 0},  //   the owner listed with the default
      {8, 6, 0},  //   the owner unlisted too
      {8, 9, 0},  //   the owner's entry names no set
      {8, 8, 0},  //   its own root owner
  };
  for (const auto& row : rows)
    EXPECT_EQ(SetOfWindow(two.sets, row.window, row.rootOwner), row.set)
        << row.window << " " << row.rootOwner;
}

TEST(AppTableSets, KeysFollowTheForegroundWindowAndEndWithTheSetOfTheirPress) {
  const TwoSets two;
  const KeyLayout layout = UsLayout();
  const Scenario scenarios[] = {
      {"each window's keys by its set; unlisted and broken entries use the default",
       "+q -q focus7 +q -q +lalt +a -a -lalt focus8 +q -q focus9 +q -q",
       "swallow 'z'v 'z'^ | swallow | swallow 'y'v 'y'^ | swallow | pass | swallow +mask -mask -lalt post "
       "0101/0 "
       "=98 "
       "| swallow | swallow | swallow 'z'v 'z'^ | swallow | swallow 'z'v 'z'^ | swallow"},
      {"a key held across a switch repeats and ends as pressed", "focus7 +q focus1 *q -q +q",
       "swallow 'y'v 'y'^ | swallow 'y'v 'y'^ | swallow | swallow 'z'v 'z'^"},
      {"... and its release goes through where the switch made the system believe it down",
       "focus7 +q focus1 resync -q +q", "swallow 'y'v 'y'^ | pass | swallow 'z'v 'z'^"},
      {"a key passed in one set and released in another where it is remapped", "+lshift +q focus7 -q -lshift",
       "pass | pass | pass | pass"},
      {"a hot key held across a switch repeats its own action", "focus7 +lalt +a -lalt focus1 *a -a",
       "pass | swallow +mask -mask -lalt post 0101/0 =98 | swallow | swallow post 0101/0 =98 | swallow"},
      {"Alt pressed in one window, the key in another: the set of the key's window",
       "+lalt focus7 +a -a -lalt", "pass | swallow +mask -mask -lalt post 0101/0 =98 | swallow | swallow"},
  };
  for (const Scenario& s : scenarios) {
    Session session;
    EXPECT_EQ(Play(session, two.normal, s.events, layout, &two.sets), s.expected) << s.what;
    EXPECT_EQ(session.strayReleases, 0) << s.what;
  }
}

}  // namespace
}  // namespace scenario
}  // namespace tvx
