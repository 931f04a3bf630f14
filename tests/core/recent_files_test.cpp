#include <gtest/gtest.h>

#include "core/files/RecentFiles.h"

namespace tvx {
namespace {

TEST(RecentFiles, TheFileLeftEntersAtTheHeadAndTheOneOpenedLeaves) {
  struct Case {
    RecentFiles before;
    const char* oldName;
    const char* newName;
    RecentFiles after;
  };
  const Case cases[] = {
      // the opened file leaves from the middle, the rest close up
      {{"A", "C", "D", "E", "F"}, "B", "A", {"B", "C", "D", "E", "F"}},
      {{"C", "A", "D", "", ""}, "B", "A", {"B", "C", "D", "", ""}},
      // not in the list: the last entry is dropped
      {{"C", "D", "E", "F", "G"}, "B", "A", {"B", "C", "D", "E", "F"}},
      // the current file opened again enters the list too
      {{"", "", "", "", ""}, "B", "B", {"B", "", "", "", ""}},
      // the match is byte for byte: another case is another entry
      {{"a", "C", "", "", ""}, "B", "A", {"B", "a", "C", "", ""}},
      // only the first match leaves
      {{"A", "A", "", "", ""}, "B", "A", {"B", "A", "", "", ""}},
  };
  for (const Case& c : cases) {
    RecentFiles list = c.before;
    UpdateRecentFiles(list, c.oldName, c.newName);
    EXPECT_EQ(list, c.after) << c.oldName << " -> " << c.newName << ", first " << c.before[0].str();
  }
}

TEST(RecentFiles, CaptionsAndTheExtensionCheck) {
  EXPECT_EQ(RecentFileCaption(2, "C:\\KEYS\\HOME.TVX"), "&2   C:\\KEYS\\HOME.TVX");
  EXPECT_TRUE(HasTavrixExtension("C:\\A.TVX"));
  EXPECT_TRUE(HasTavrixExtension("c:\\a.tVx"));
  EXPECT_TRUE(HasTavrixExtension(".TVX"));
  EXPECT_FALSE(HasTavrixExtension("C:\\A.TXT"));
  EXPECT_FALSE(HasTavrixExtension("C:\\A.TVXX"));
  EXPECT_FALSE(HasTavrixExtension("TVX"));
}

}  // namespace
}  // namespace tvx
