#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/TextAction.h"
#include "core/keymap/CellTexts.h"
#include "tests/core/recording_keyboard.h"

namespace tvx {
namespace {

// Steps as "U+0048" (a character), "Ctrl+VK43" (a virtual key), "Alt+U+0040" (the key of a character),
// "Delay 20", one space between them.
std::string Describe(const std::vector<TextStep>& steps) {
  std::string text;
  for (const TextStep& step : steps) {
    if (!text.empty()) text += ' ';
    if (step.kind == TextStep::Kind::Delay) {
      text += "Delay " + std::to_string(step.delayMs);
      continue;
    }
    for (const auto& [bit, name] :
         {std::pair{TextCtrl, "Ctrl+"}, {TextAlt, "Alt+"}, {TextShift, "Shift+"}, {TextWin, "Win+"}})
      if (step.modifiers & bit) text += name;
    char code[16];
    if (step.kind == TextStep::Kind::Key && step.vk)
      std::snprintf(code, sizeof code, "VK%02X", step.vk);
    else
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(step.character));
    text += code;
  }
  return text;
}

struct Parsing {
  std::u16string source;
  const char* steps;    // as Describe writes them, when it parses
  std::size_t errorAt;  // 1-based, when it does not
};

TEST(TextAction, ParsesCharactersKeysAndDelays) {
  const Parsing rows[] = {
      {u"Hé€😀", "U+0048 U+00E9 U+20AC U+1F600", 0},
      {u"{Enter}{Tab}x", "VK0D VK09 U+0078", 0},
      {u"{{a}}", "U+007B U+0061 U+007D", 0},
      {u"{{}}{{{Tab}", "U+007B U+007D U+007B VK09", 0},
      // Tab and line breaks in the text itself are those keys: one Enter for CR LF.
      {u"a\tb\r\nc\nd\re", "U+0061 VK09 U+0062 VK0D U+0063 VK0D U+0064 VK0D U+0065", 0},
      // The action keys by the dialog's names, letter case ignored, and the usual aliases.
      {u"{F5}{f24}{PgUp}{ESC}{KeyP 0}{keyp +}{PA1}{Bkspc}{LeftA}{PrtScr}",
       "VK74 VK87 VK21 VK1B VK60 VK6B VKFD VK08 VK25 VK2C", 0},
      {u"{enter}{Return}{esc}{Escape}{Space}{Backspace}{BS}", "VK0D VK0D VK1B VK1B VK20 VK08 VK08", 0},
      {u"{Left}{RIGHT}{Up}{Down}{Del}{Delete}{Ins}{Insert}", "VK25 VK27 VK26 VK28 VK2E VK2E VK2D VK2D", 0},
      {u"{Home}{End}{PageUp}{PageDown}{PgDn}{Break}{capslock}{VK E2}",
       "VK24 VK23 VK21 VK22 VK22 VK13 VK14 VKE2", 0},
      // Modifiers from the left while they match; a letter or digit is its virtual key in either case.
      {u"{Ctrl+C}{ctrl+shift+c}{Shift+Ctrl+v}", "Ctrl+VK43 Ctrl+Shift+VK43 Ctrl+Shift+VK56", 0},
      {u"{Ctrl+Alt+Shift+Win+F5}{Win+1}{alt+f4}", "Ctrl+Alt+Shift+Win+VK74 Win+VK31 Alt+VK73", 0},
      {u"{Ctrl+Ctrl+a}", "Ctrl+VK41", 0},
      // Any other character names the key that types it, braces and "+" included.
      {u"{Ctrl++}{+}{Ctrl+}}{}}{Alt+{}{Shift+é}",
       "Ctrl+U+002B U+002B Ctrl+U+007D U+007D Alt+U+007B Shift+U+00E9", 0},
      {u"a{Delay 1}b{DELAY 5000}{delay 0042}", "U+0061 Delay 1 U+0062 Delay 5000 Delay 42", 0},
      {std::u16string(255, u'a'), nullptr, 0},
      {std::u16string(253, u'a') + u"😀", nullptr, 0},
      // Errors, each at its position.
      {u"", nullptr, 1},
      {std::u16string(256, u'a'), nullptr, 256},
      {std::u16string(254, u'a') + u"😀", nullptr, 256},
      {u"ab}c", nullptr, 3},
      {u"x{Enter", nullptr, 2},
      {u"{Tab}{", nullptr, 6},
      {u"{}", nullptr, 2},
      {u"ab{Ctrl+}", nullptr, 9},
      {u"{Foo}", nullptr, 2},
      {u"ab{Ctrl+Foo}", nullptr, 9},
      {u"{Ctrl}", nullptr, 2},
      {u"{ Enter}", nullptr, 2},
      {u"{Delay}", nullptr, 2},
      {u"{Delay 0}", nullptr, 8},
      {u"{Delay 5001}", nullptr, 8},
      {u"{Delay 99999999999}", nullptr, 8},
      {u"{Delay -5}", nullptr, 8},
      {u"{Delay 5ms}", nullptr, 8},
      {u"{Ctrl+Delay 5}", nullptr, 7},
      {u"a\x01", nullptr, 2},
      {u"\x7F", nullptr, 1},
      {u"ab\u0085", nullptr, 3},
      {u"a\xD83D", nullptr, 2},
      {u"\xDE00\xD83D", nullptr, 1},
      {u"{Ctrl+\xD83D}", nullptr, 7},
      {u"{Ctrl+\x1B}", nullptr, 7},
      {u"{Ctrl+😀}", nullptr, 7},
  };
  for (const Parsing& row : rows) {
    const std::string source(row.source.begin(), row.source.end());  // for the failure message only
    const ParsedText parsed = ParseText(row.source);
    if (row.errorAt) {
      ASSERT_TRUE(parsed.error) << source;
      EXPECT_EQ(parsed.error->position, row.errorAt) << source;
      EXPECT_EQ(parsed.error->message.rfind("Position " + std::to_string(row.errorAt) + ": ", 0), 0u)
          << parsed.error->message;
      EXPECT_TRUE(parsed.steps.empty()) << source;
    } else {
      EXPECT_FALSE(parsed.error) << source << ": " << parsed.error->message;
      if (row.steps) {
        EXPECT_EQ(Describe(parsed.steps), row.steps) << source;
      }
    }
  }
}

// With the layout in front, a character named in braces must have a key there that types it.
TEST(TextAction, ACharacterNamedInBracesNeedsAKeyOfTheLayout) {
  struct Row {
    const char* layout;
    std::u16string source;
    std::size_t errorAt;
  };
  const Row
      rows[] =
          {
              {"us", u"{Ctrl+@}", 0},  {"us", u"{Ctrl+é}", 7}, {"fr", u"{Ctrl+é}", 0},
              {"de", u"{Ctrl+@}", 0},  {"de", u"x{^}", 3},     {"us", u"{Ctrl+€}é", 7},
              {"us", u"é{Ctrl+C}", 0},  // characters outside braces need no key, nor do letters
          };
  for (const Row& row : rows) {
    RecordingKeyboard keyboard(row.layout);
    const ParsedText parsed = ParseText(row.source, [&](char16_t ch) { return keyboard.KeyFor(ch); });
    EXPECT_EQ(parsed.error ? parsed.error->position : 0, row.errorAt) << row.layout << " " << row.errorAt;
  }
}

struct Playing {
  const char* layout;
  std::u16string source;
  bool capsLock;
  const char* events;
};

// Characters go as TypeCharacter types them; keys with their modifiers pressed around them, left ones,
// released in reverse, nothing left held.
TEST(TextAction, PlaysCharactersAndKeysWithNothingLeftHeld) {
  const Playing rows[] = {
      {"us", u"Hé{Enter}", false, "10v 48v 48^ 10^ u00E9v u00E9^ 0Dv 0D^"},
      {"us", u"😀x", false, "uD83Dv uD83D^ uDE00v uDE00^ 58v 58^"},
      {"us", u"a\tb", false, "41v 41^ 09v 09^ 42v 42^"},
      {"us", u"a", true, "u0061v u0061^"},
      {"us", u"{Ctrl+Shift+Esc}", false, "A2v A0v 1Bv 1B^ A0^ A2^"},
      {"us", u"{Ctrl+Alt+Shift+Win+F5}", false, "A2v A4v A0v 5Bv 74v 74^ 5B^ A0^ A4^ A2^"},
      {"us", u"{Ctrl+c}", true, "A2v 43v 43^ A2^"},
      // A named character adds the shift state its layout needs: Shift on us, AltGr (Ctrl+Alt) on de.
      {"us", u"{Ctrl+@}", false, "A2v A0v 32v 32^ A0^ A2^"},
      {"de", u"{Ctrl+@}", false, "A2v A4v 51v 51^ A4^ A2^"},
      {"de", u"{Ctrl+y}", false, "A2v 59v 59^ A2^"},
      // Parsed for another layout: a character this one has no key for is left out.
      {"us", u"{Ctrl+é}{Tab}", false, "09v 09^"},
  };
  for (const Playing& row : rows) {
    RecordingKeyboard keyboard(row.layout);
    const ParsedText parsed = ParseText(row.source);
    ASSERT_FALSE(parsed.error) << row.events;
    const TextSegment end = PlayTextSegment(keyboard, parsed.steps, 0, row.capsLock);
    EXPECT_EQ(keyboard.events, row.events);
    EXPECT_EQ(end.next, parsed.steps.size()) << row.events;
    EXPECT_EQ(end.delayMs, 0u) << row.events;
  }
}

TEST(TextAction, PlaysOneSegmentUpToEachDelay) {
  const ParsedText parsed = ParseText(u"a{Delay 20}{Delay 30}b");
  RecordingKeyboard keyboard;
  TextSegment segment = PlayTextSegment(keyboard, parsed.steps, 0, false);
  EXPECT_EQ(keyboard.events, "41v 41^");
  EXPECT_EQ(segment.next, 2u);
  EXPECT_EQ(segment.delayMs, 20u);
  segment = PlayTextSegment(keyboard, parsed.steps, segment.next, false);
  EXPECT_EQ(keyboard.events, "41v 41^");
  EXPECT_EQ(segment.next, 3u);
  EXPECT_EQ(segment.delayMs, 30u);
  segment = PlayTextSegment(keyboard, parsed.steps, segment.next, false);
  EXPECT_EQ(keyboard.events, "41v 41^ 42v 42^");
  EXPECT_EQ(segment.next, 4u);
  EXPECT_EQ(segment.delayMs, 0u);
  segment = PlayTextSegment(keyboard, parsed.steps, 9, false);
  EXPECT_EQ(segment.next, 4u);
  EXPECT_EQ(keyboard.events, "41v 41^ 42v 42^");
}

TEST(CellTexts, EqualTextsShareOneIdPastEveryCodePoint) {
  const char32_t first = TextId(u"my e-mail address");
  const char32_t second = TextId(u"{Ctrl+C}{Tab}{Ctrl+V}");
  EXPECT_TRUE(IsTextId(first));
  EXPECT_TRUE(IsTextId(second));
  EXPECT_NE(first, second);
  EXPECT_EQ(TextId(std::u16string(u"my e-mail address")), first);
  EXPECT_EQ(TextOfId(first), u"my e-mail address");
  EXPECT_EQ(TextOfId(second), u"{Ctrl+C}{Tab}{Ctrl+V}");
  EXPECT_EQ(TextOfId(0x41), u"");
  EXPECT_EQ(TextOfId(0xFFFFFFFF), u"");
  EXPECT_FALSE(IsTextId(0x10FFFF));
}

}  // namespace
}  // namespace tvx
