#pragma once
// A keyboard layout's facts as Windows would report them, built from the X keyboard database
// (/usr/share/X11/xkb/symbols): an independent source for what a German or French keyboard types.
// Levels 1 and 2 give what VkKeyScanEx finds (no shift, Shift), level 3 what AltGr types, level 4 AltGr
// with Shift.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "core/app/KeyAction.h"
#include "core/hook/HotKeyConflicts.h"

namespace tvx::xkb {

inline constexpr char SymbolsDir[] = "/usr/share/X11/xkb/symbols/";

// Windows-1252 at 0x80..0x9F; elsewhere it is Latin-1.
inline constexpr std::array<char16_t, 32> Cp1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

inline std::uint8_t Ansi(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
  for (std::size_t i = 0; i < Cp1252High.size(); ++i)
    if (Cp1252High[i] == c) return static_cast<std::uint8_t>(0x80 + i);
  return 0;
}

// Keysym names with their characters, from X's own table (the "U+" comment of each definition).
inline const std::map<std::string, char16_t>& Keysyms() {
  static const std::map<std::string, char16_t> keysyms = [] {
    std::map<std::string, char16_t> names;
    std::ifstream in("/usr/include/X11/keysymdef.h");
    EXPECT_TRUE(in) << "missing /usr/include/X11/keysymdef.h (package x11proto-dev)";
    for (std::string line; std::getline(in, line);) {
      const std::size_t name = line.find("#define XK_"), code = line.find("/* U+");
      if (name != 0 || code == std::string::npos) continue;
      names[line.substr(11, line.find_first_of(" \t", 11) - 11)] =
          static_cast<char16_t>(std::stoul(line.substr(code + 5, 4), nullptr, 16));
    }
    return names;
  }();
  return keysyms;
}

// The character of a keysym name; a dead key gives the spacing mark Windows reports for it, or 0.
inline char16_t KeysymChar(const std::string& name) {
  if (name.size() == 1) return static_cast<unsigned char>(name[0]);
  if (name.size() == 5 && name[0] == 'U')
    return static_cast<char16_t>(std::stoul(name.substr(1), nullptr, 16));
  if (name == "NoSymbol" || name == "VoidSymbol") return 0;
  const bool dead = name.rfind("dead_", 0) == 0;
  std::string spacing = dead ? name.substr(5) : name;
  if (spacing == "circumflex") spacing = "asciicircum";
  if (spacing == "tilde") spacing = "asciitilde";
  const auto found = Keysyms().find(spacing);
  if (found == Keysyms().end() && !dead) ADD_FAILURE() << "keysym " << name << " has no character";
  return found == Keysyms().end() ? 0 : found->second;
}

// The main block of keys, in the order Windows' scan of a layout meets them.
inline constexpr std::array<const char*, 48> KeyCodes{
    "TLDE", "AE01", "AE02", "AE03", "AE04", "AE05", "AE06", "AE07", "AE08", "AE09", "AE10", "AE11",
    "AE12", "AD01", "AD02", "AD03", "AD04", "AD05", "AD06", "AD07", "AD08", "AD09", "AD10", "AD11",
    "AD12", "AC01", "AC02", "AC03", "AC04", "AC05", "AC06", "AC07", "AC08", "AC09", "AC10", "AC11",
    "BKSL", "LSGT", "AB01", "AB02", "AB03", "AB04", "AB05", "AB06", "AB07", "AB08", "AB09", "AB10"};

// Keysym names of the first four levels, by key code.
using KeyLevels = std::map<std::string, std::array<std::string, 4>>;

inline std::string ReadSymbols(const std::string& file) {
  std::ifstream in(SymbolsDir + file);
  EXPECT_TRUE(in) << "missing " << SymbolsDir << file << " (package xkb-data)";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Reads one section (the file's default one for an empty name) with its includes into `keys`.
inline void ReadSection(const std::string& file, const std::string& section, KeyLevels& keys) {
  const std::string text = ReadSymbols(file);
  const std::size_t start =
      section.empty() ? text.find("xkb_symbols", text.find("default")) : text.find("\"" + section + "\"");
  ASSERT_NE(start, std::string::npos) << file << "(" << section << ")";
  const std::string body = text.substr(start, text.find("\n};", start) - start);
  std::size_t at = body.find('{') + 1;
  while (true) {
    const std::size_t include = body.find("include \"", at), key = body.find("key <", at);
    if (include == std::string::npos && key == std::string::npos) break;
    if (include < key) {
      const std::size_t from = include + 9, to = body.find('"', from);
      const std::string name = body.substr(from, to - from);
      const std::size_t paren = name.find('(');
      if (paren == std::string::npos)
        ReadSection(name, "", keys);
      else
        ReadSection(name.substr(0, paren), name.substr(paren + 1, name.size() - paren - 2), keys);
      at = to;
      continue;
    }
    const std::string code = body.substr(key + 5, body.find('>', key) - key - 5);
    const std::size_t end = body.find("};", key);
    std::string def = body.substr(key, end - key);
    if (const std::size_t symbols = def.find("symbols[Group1]"); symbols != std::string::npos)
      def = def.substr(symbols + 15);
    const std::size_t open = def.find('['), close = def.find(']', open);
    at = end;
    if (open == std::string::npos) continue;
    std::istringstream levels(def.substr(open + 1, close - open - 1));
    std::array<std::string, 4> names;
    for (std::string& name : names) {
      if (!std::getline(levels, name, ',')) break;
      name.erase(0, name.find_first_not_of(" \t\n"));
      name.erase(name.find_last_not_of(" \t\n") + 1);
    }
    keys[code] = names;
  }
}

// Windows gives letter keys the letter's virtual key and the digit row the digits', whatever the
// layout types on them; the other keys keep one of their own.
inline std::uint8_t VirtualKey(const std::string& code, char16_t plain) {
  if (plain >= 'a' && plain <= 'z') return static_cast<std::uint8_t>(plain - 'a' + 'A');
  static const std::map<std::string, std::uint8_t> others{
      {"AE01", '1'},  {"AE02", '2'},  {"AE03", '3'},  {"AE04", '4'},  {"AE05", '5'},  {"AE06", '6'},
      {"AE07", '7'},  {"AE08", '8'},  {"AE09", '9'},  {"AE10", '0'},  {"TLDE", 0xC0}, {"AE11", 0xBD},
      {"AE12", 0xBB}, {"AD11", 0xDB}, {"AD12", 0xDD}, {"AC10", 0xBA}, {"AC11", 0xDE}, {"BKSL", 0xDC},
      {"LSGT", 0xE2}, {"AB07", 0xDF}, {"AB08", 0xBC}, {"AB09", 0xBE}, {"AB10", 0xBF}};
  const auto found = others.find(code);
  return found == others.end() ? 0 : found->second;
}

inline std::uint8_t VirtualKeyOf(const KeyLevels& keys, const std::string& code) {
  return VirtualKey(code, KeysymChar(keys.at(code)[0]));
}

// The layout `file` ("de", "fr") as the program gathers it on Windows.
inline LayoutFacts Layout(const std::string& file, const std::string& name, KeyLevels* levels = nullptr) {
  KeyLevels keys;
  ReadSection(file, "basic", keys);
  LayoutFacts facts;
  facts.name = name;
  // VkKeyScanEx finds each character on its lowest level first.
  const int shiftStates[] = {0, 1, 6};
  std::array<bool, 256> found{};
  for (int level = 0; level < 3; ++level) {
    for (const char* code : KeyCodes) {
      const auto names = keys.find(code);
      if (names == keys.end() || names->second[level].empty()) continue;
      const std::uint8_t vk = VirtualKey(code, KeysymChar(names->second[0]));
      const char16_t typed = KeysymChar(names->second[level]);
      const std::uint8_t ansi = Ansi(typed);
      if (vk == 0 || typed == 0) continue;
      if (level == 2) facts.ctrlAlt[vk] = {typed, ansi};
      if (ansi < 32 || ansi > 126 || found[ansi]) continue;  // the characters the hook scans
      found[ansi] = true;
      facts.keys.AddScan(ansi, static_cast<std::int16_t>(shiftStates[level] << 8 | vk));
    }
  }
  if (levels) *levels = keys;
  return facts;
}

// The capital of a small letter of Latin-1; 0 for anything else.
inline char16_t Capital(char16_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<char16_t>(c - 'a' + 'A');
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  return 0;
}

// Where the layout `file` puts each character, as Windows reports it to a program that types: the key
// VkKeyScanEx finds (the lowest level first: no shift, Shift, AltGr as Ctrl+Alt, AltGr with Shift),
// whether ToUnicodeEx finds it a dead key, and whether Caps Lock turns its case (a small letter with its
// capital on Shift).
inline std::map<char16_t, LayoutKey> TypingKeys(const std::string& file) {
  KeyLevels keys;
  ReadSection(file, "basic", keys);
  std::map<char16_t, LayoutKey> found{{u' ', {0x20}}, {u'\r', {0x0D}}};
  const int shiftStates[] = {0, 1, 6, 7};
  for (int level = 0; level < 4; ++level) {
    for (const char* code : KeyCodes) {
      const auto names = keys.find(code);
      if (names == keys.end() || names->second[level].empty()) continue;
      const std::string &plain = names->second[0], &shifted = names->second[1];
      const std::uint8_t vk = VirtualKey(code, KeysymChar(plain));
      const char16_t typed = KeysymChar(names->second[level]);
      if (vk == 0 || typed == 0 || found.count(typed)) continue;
      const bool letter = !shifted.empty() && Capital(KeysymChar(plain)) == KeysymChar(shifted);
      found[typed] = {static_cast<std::int16_t>(shiftStates[level] << 8 | vk),
                      names->second[level].rfind("dead_", 0) == 0, level < 2 && letter};
    }
  }
  return found;
}

}  // namespace tvx::xkb
