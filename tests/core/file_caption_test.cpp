#include <gtest/gtest.h>

#include "core/app/FileCaption.h"

namespace tvx {
namespace {

TEST(FileCaption, BaseNameBetweenParenthesesAndTheBrowseOnlySuffix) {
  struct Case {
    const char* file;
    bool browseOnly;
    const char* caption;
  };
  const Case cases[] = {
      {"C:\\KEYS\\OFFICE.TVX", false, "Tavrix 98 (OFFICE)"},
      {"C:KEY.TVX", false, "Tavrix 98 (KEY)"},
      {"C:\\KEYS\\A.TV", false, "Tavrix 98 ()"},  // four characters or fewer leave nothing
      {"C:\\KEYS\\OFFICE.TVX", true, "Tavrix 98 (OFFICE)  [Browse Only Mode]"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileCaptionOf(c.file, c.browseOnly), c.caption) << c.file;
  // The caption stays a short string, suffix and all.
  EXPECT_EQ(FileCaptionOf("C:\\" + std::string(300, 'X') + ".TVX", true).size(), 255u);
}

}  // namespace
}  // namespace tvx
