#include <gtest/gtest.h>

#include "core/app/CommandLine.h"
#include "core/common/Numbers.h"

namespace tvx {
namespace {

TEST(CommandLine, EachArgumentAsksForOneOptionInTheFixedOrder) {
  struct Case {
    const char* argument;
    OptionKind kind;
  };
  const Case cases[] = {
      {"/b", OptionKind::BrowseOnly}, {"/ba", OptionKind::FullBrowseOnly},  // whole argument, any case
      {"/S", OptionKind::AutoSync},   {"/N", OptionKind::NetworkMode},     {"/t", OptionKind::Tray},
      {"/BAX", OptionKind::None},  // no prefix match for "/B"
      {"/NX", OptionKind::None},      {"/TRAY", OptionKind::None},         {"KEY.TVX", OptionKind::None},
      {"", OptionKind::None},         {"/SM30", OptionKind::SyncMinutes},  {"/Fc:\\x.tvx", OptionKind::File},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadOption(c.argument).kind, c.kind) << c.argument;
}

TEST(CommandLine, TheFileNameIsGluedOnAndKeptInUpperCaseOfTheLettersAToZ) {
  EXPECT_EQ(ReadOption("/fc:\\keys\\office.tvx").fileName, "C:\\KEYS\\OFFICE.TVX");
  EXPECT_EQ(ReadOption("/F").fileName, "");                            // names no file
  EXPECT_EQ(ReadOption("/f\xe9t\xe9.tvx").fileName, "\xe9T\xe9.TVX");  // other bytes stay as they are
  // A 300-character argument reaches the option as its first 255 characters.
  const std::string longName = "/F" + std::string(298, 'a');
  EXPECT_EQ(ReadOption(ShortString(longName)).fileName.size(), 253u);
}

TEST(CommandLine, SyncMinutesFromOneTo98AndNothingElse) {
  struct Case {
    const char* argument;
    int minutes;  // 0: the option asks for nothing
  };
  const Case cases[] = {
      {"/SM30", 30}, {"/sm1", 1},   {"/SM98", 98},         {"/SM99", 0},   {"/SM0", 0},    {"/SM", 0},
      {"/SM5x", 5},  {"/SM  7", 7}, {"/SM$1E", 30},        {"/SM$1e", 30}, {"/SM+12", 12}, {"/SM-5", 0},
      {"/SM$", 0},   {"/SMx5", 0},  {"/SM4294967326", 30},  // wraps like a 32-bit integer
  };
  for (const Case& c : cases) {
    const CommandOption option = ReadOption(c.argument);
    if (c.minutes == 0) {
      EXPECT_EQ(option.kind, OptionKind::None) << c.argument;
    } else {
      EXPECT_EQ(option.kind, OptionKind::SyncMinutes) << c.argument;
      EXPECT_EQ(option.minutes, c.minutes) << c.argument;
    }
  }
}

TEST(Numbers, HexadecimalOnlyWhereAsked) {
  EXPECT_EQ(ReadInteger("$1E"), 0);
  EXPECT_EQ(ReadIntegerOrHex("$1E"), 30);
  EXPECT_EQ(ReadIntegerOrHex("-$10"), -16);
  EXPECT_EQ(ReadIntegerOrHex("$FFFFFFFF"), -1);
  EXPECT_EQ(ReadIntegerOrHex("1E"), 1);  // decimal stops at the letter
}

}  // namespace
}  // namespace tvx
