#include <gtest/gtest.h>

#include "core/app/FileCaption.h"

namespace tvx {
namespace {

TEST(FileCaption, BaseNameBetweenParenthesesAndTheModeSuffixes) {
  struct Case {
    const char* file;
    bool browseOnly;
    bool paused;
    const char* caption;
  };
  const Case cases[] = {
      {"C:\\KEYS\\OFFICE.TVX", false, false, "Tavrix 98 (OFFICE)"},
      {"C:KEY.TVX", false, false, "Tavrix 98 (KEY)"},
      {"C:\\KEYS\\A.TV", false, false, "Tavrix 98 ()"},  // four characters or fewer leave nothing
      {"C:\\KEYS\\OFFICE.TVX", true, false, "Tavrix 98 (OFFICE)  [Browse Only Mode]"},
      {"C:\\KEYS\\OFFICE.TVX", false, true, "Tavrix 98 (OFFICE)  [Paused]"},
      {"C:\\KEYS\\OFFICE.TVX", true, true, "Tavrix 98 (OFFICE)  [Browse Only Mode]  [Paused]"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileCaptionOf(c.file, c.browseOnly, c.paused), c.caption) << c.file;
  // The caption stays a short string, suffixes and all.
  EXPECT_EQ(FileCaptionOf("C:\\" + std::string(300, 'X') + ".TVX", true, true).size(), 255u);
}

}  // namespace
}  // namespace tvx
