#pragma once
// Scenarios for the hook library's decision, written as sentences of key events with the exact output
// expected for each: a US layout, tables in memory, and a small driver.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/hook/KeyDecision.h"
#include "core/hook/TableSets.h"
#include "core/keymap/Catalogue.h"
#include "tests/support/Tables.h"

namespace tvx::scenario {

// What VkKeyScanA gives on a US layout for the characters 32..126.
inline KeyLayout UsLayout() {
  KeyLayout layout;
  const char* plain = "`1234567890-=[]\\;',./";
  const char* shifted = "~!@#$%^&*()_+{}|:\"<>?";
  const std::uint8_t vks[] = {0xC0, '1',  '2',  '3',  '4',  '5',  '6',  '7',  '8',  '9', '0',
                              0xBD, 0xBB, 0xDB, 0xDD, 0xDC, 0xBA, 0xDE, 0xBC, 0xBE, 0xBF};
  for (int i = 0; plain[i]; ++i) {
    layout.AddScan(static_cast<std::uint8_t>(plain[i]), vks[i]);
    layout.AddScan(static_cast<std::uint8_t>(shifted[i]), static_cast<std::int16_t>(0x100 | vks[i]));
  }
  for (char c = 'a'; c <= 'z'; ++c) {
    layout.AddScan(static_cast<std::uint8_t>(c), static_cast<std::int16_t>(c - 'a' + 'A'));
    layout.AddScan(static_cast<std::uint8_t>(c - 'a' + 'A'),
                   static_cast<std::int16_t>(0x100 | (c - 'a' + 'A')));
  }
  layout.AddScan(' ', 0x20);
  for (int i = 0; i < 256; ++i) layout.unicode[i] = static_cast<char16_t>(i);
  layout.unicode[0x80] = u'\u20AC';
  layout.scans[0x4C] = 0x26;
  return layout;
}

struct Key {
  std::uint8_t vk;
  std::uint16_t scan;
  bool extended;
};

// Letters and digits go by themselves ("a", "7"), other keys by these names. A code with two names
// prints as the first.
inline const std::vector<std::pair<std::string, Key>>& KeyNames() {
  static const std::vector<std::pair<std::string, Key>> names = {
      {"lctrl", {0xA2, 0x1D, false}},
      {"rctrl", {0xA3, 0x1D, true}},
      {"lalt", {0xA4, 0x38, false}},
      {"ralt", {0xA5, 0x38, true}},
      {"lshift", {0xA0, 0x2A, false}},
      {"rshift", {0xA1, 0x36, false}},
      {"lwin", {0x5B, 0x5B, true}},
      {"caps", {0x14, 0x3A, false}},
      {"home", {0x24, 0x47, true}},
      {"del", {0x2E, 0x53, true}},
      {"f1", {0x70, 0x3B, false}},
      {"f6", {0x76, 0x40, false}},
      {"enter", {0x0D, 0x1C, false}},
      {"semi", {0xBA, 0x27, false}},
      {"comma", {0xBC, 0x33, false}},
      {"space", {0x20, 0x39, false}},
      {"tab", {0x09, 0x0F, false}},
      {"packet", {0xE7, 0, false}},         // a character injected as such
      {"bare", {0x4C, 0, false}},           // L from an injector that sends no scan code
      {"altgrctrl", {0xA2, 0x21D, false}},  // what Windows adds in front of AltGr
      {"ctrl", {0x11, 0x1D, false}},        // generic codes, as some injectors send them
      {"alt", {0x12, 0x38, false}},
      {"scroll", {0x91, 0x46, false}},  // Scroll Lock, with Ctrl and Alt the library's pause key
      {"rwin", {0x5C, 0x5C, true}},
      {"mask", {0xE8, 0x55, false}},  // what the library taps so that a released Alt or Win opens nothing
  };
  return names;
}

inline Key KeyNamed(const std::string& name) {
  if (name.size() == 1) return {static_cast<std::uint8_t>(std::toupper(name[0])), 0x1E, false};
  for (const auto& [known, key] : KeyNames())
    if (known == name) return key;
  throw std::out_of_range("no key named " + name);
}

// The name a virtual key is written with; hexadecimal for a key the notation has no name for.
inline std::string KeyName(std::uint8_t vk) {
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
    return std::string(1, static_cast<char>(std::tolower(vk)));
  for (const auto& [name, key] : KeyNames())
    if (key.vk == vk) return name;
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", vk);
  return hex;
}

// Output of one event: "pass" or "swallow", then injected keys, written as the events are ("+lalt" down,
// "-lalt" up), and injected characters ('c' or U+XXXX for one beyond ASCII, v down, ^ up), "post WWWW/row"
// for a hot key reported to the main window, with "char U+XXXX" for a character beyond the record, "sheet 1"
// and "sheet 0" for the sheet shown and let go, and "toggle" for the pause turned over.
inline std::string Describe(const KeyOutput& out, bool withAction = false) {
  std::string text = out.suppress ? "swallow" : "pass";
  char part[32];
  for (int i = 0; i < out.injectedCount; ++i) {
    const InjectedKey& key = out.injected[i];
    if (key.unicode)
      key.scan < 128
          ? std::snprintf(part, sizeof part, " '%c'%c", static_cast<char>(key.scan), key.up ? '^' : 'v')
          : std::snprintf(part, sizeof part, " U+%04X%c", key.scan, key.up ? '^' : 'v');
    else
      std::snprintf(part, sizeof part, " %c%s", key.up ? '-' : '+', KeyName(key.vk).c_str());
    text += part;
  }
  if (out.post) {
    std::snprintf(part, sizeof part, " post %04X/%d", out.postWParam, out.postLParam);
    text += part;
    if (withAction) text += " =" + std::to_string(out.postAction);
    if (out.postCharacter) {
      std::snprintf(part, sizeof part, " char U+%04X", static_cast<unsigned>(out.postCharacter));
      text += part;
    }
  }
  if (out.sheet != KeyOutput::Sheet::None)
    text += out.sheet == KeyOutput::Sheet::Down ? " sheet 1" : " sheet 0";
  if (out.togglePause) text += " toggle";
  return text;
}

using test::Tables;

// The hook's state with a model of the system around it: the keys the system holds down (what passed
// or was injected) and the keys the user holds, the clock, the foreground window, the desktop and the
// program's pause, which the wrapper turns over as the decision says.
struct Session {
  HookState state;
  std::array<bool, 256> systemDown{};
  std::array<bool, 256> userHolds{};
  KeySystem system{0, 100000, 1, 0};
  int strayReleases = 0;  // releases that reached the application for keys it did not see down

  void Apply(std::uint8_t vk, bool up) { systemDown[vk] = !up; }
  void Deliver(std::uint8_t vk, bool up) {
    if (up && !systemDown[vk]) ++strayReleases;
    Apply(vk, up);
  }
  KeyOutput Decide(const KeyEvent& event, const KeyLayout& layout, const HookTables& tables) {
    system.modifiersDown = 0;
    const std::uint8_t check = ModifiersToCheck(state);
    for (std::size_t i = 0; i < ModifierVks.size(); ++i)
      if ((check & (1u << i)) && systemDown[ModifierVks[i]]) system.modifiersDown |= 1u << i;
    system.tick += 50;
    return DecideKey(state, event, system, tables, layout);
  }
};

// The left or right key the system takes a generic Shift, Ctrl or Alt for.
inline std::uint8_t SystemVk(const Key& key) {
  switch (key.vk) {
    case 0x10:
      return key.scan == 0x36 ? 0xA1 : 0xA0;
    case 0x11:
      return key.extended ? 0xA3 : 0xA2;
    case 0x12:
      return key.extended ? 0xA5 : 0xA4;
    default:
      return key.vk;
  }
}

// Runs events written as "+lalt +a -a -lalt" ("*a" a repeat, "!" prefix for our own injected keys) and
// joins the outputs with " | ". Without an output of their own: "~lalt" a release the hook never sees,
// "wait3100" that many milliseconds without a key, "focus" another window comes to the foreground,
// "desktop" the input desktop switches (and back), "rebuild" the hook is installed again, "pause" and
// "resume" the program sets the pause, "focusN" window N comes to the foreground, "resync" the system
// takes the keys the user holds as down. With `sets`, each key is decided by the tables of the foreground
// window's set, and a hot key shows the action it carries.
// Afterwards no key may be down in the system that the user does not hold.
inline std::string Play(Session& session, const Tables& tables, const std::string& events,
                        const KeyLayout& layout, const TableSets* sets = nullptr) {
  std::istringstream in(events);
  std::string token, result;
  while (in >> token) {
    if (token.rfind("wait", 0) == 0) {
      session.system.tick += static_cast<std::uint32_t>(std::stoul(token.substr(4)));
      continue;
    }
    if (token == "pause" || token == "resume") {
      session.system.paused = token == "pause";
      continue;
    }
    if (token.size() > 5 && token.rfind("focus", 0) == 0) {
      session.system.foreground = std::stoul(token.substr(5));
      continue;
    }
    if (token == "resync") {  // the system takes the keys held from elsewhere, as Wine does on a focus change
      session.systemDown = session.userHolds;
      continue;
    }
    if (token == "focus" || token == "desktop" || token == "rebuild") {
      if (token == "focus") ++session.system.foreground;
      if (token == "desktop") {
        ++session.system.switches;
        ForgetReleasedKeys(session.state, session.systemDown);
      }
      if (token == "rebuild") RebuildKeyState(session.state, session.systemDown, session.state.capsLock);
      continue;
    }
    const bool ours = token[0] == '!';
    if (ours) token.erase(0, 1);
    const Key key = KeyNamed(token.substr(1));
    const std::uint8_t vk = SystemVk(key);
    if (token[0] == '~') {
      session.userHolds[vk] = false;
      session.Apply(vk, true);
      continue;
    }
    const KeyEvent event{key.vk, key.scan, token[0] == '-', key.extended, ours};
    if (!ours) session.userHolds[vk] = !event.up;
    session.system.keyDown = event.up && session.systemDown[vk];
    const KeyOutput out = session.Decide(
        event, layout,
        sets ? TablesOfSet(*sets, SetOfWindow(*sets, session.system.foreground)) : tables.views);
    if (!out.suppress && !ours) session.Deliver(vk, event.up);  // the program's own keys are its matter
    for (int i = 0; i < out.injectedCount; ++i) {
      EXPECT_NE(out.injected[i].scan, 0) << "injected without a scan code";
      if (!out.injected[i].unicode) session.Deliver(out.injected[i].vk, out.injected[i].up);
    }
    if (out.togglePause) session.system.paused = !session.system.paused;
    result += (result.empty() ? "" : " | ") + Describe(out, sets != nullptr);
  }
  for (int vk = 0; vk < 256; ++vk)
    EXPECT_FALSE(session.systemDown[vk] && !session.userHolds[vk])
        << KeyName(static_cast<std::uint8_t>(vk)) << " stays down after " << events;
  return result;
}

struct Scenario {
  const char* what;
  const char* events;
  const char* expected;
};

inline void RunScenarios(const Tables& tables, const std::vector<Scenario>& scenarios,
                         bool capsLock = false) {
  const KeyLayout layout = UsLayout();
  for (const Scenario& s : scenarios) {
    Session session;
    session.state.capsLock = capsLock;
    EXPECT_EQ(Play(session, tables, s.events, layout), s.expected) << s.what << ": " << s.events;
  }
}

}  // namespace tvx::scenario
