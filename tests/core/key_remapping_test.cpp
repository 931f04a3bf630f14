// The Keys table at work, as timed scenarios: d:KEY and u:KEY press and release, t:N lets N ms pass with the
// timer firing at a deadline, w:N with the timer late, at:N sets the tick, switch is a desktop switch,
// set:KEY=KEY and clear:KEY change the table; then the keys the system sees.
#include <gtest/gtest.h>

#include <sstream>

#include "core/hook/KeyRemapping.h"
#include "core/keymap/KeyNames.h"

namespace tvx {
namespace {

std::uint8_t Vk(const std::string& name) { return KeyNamed(name).value(); }

KeyRemapTable Table() {
  KeyRemapTable table;
  table.Set({Vk("CapsLock"), KeyRemapKind::TapHold, Vk("Esc"), Vk("LCtrl"), 200});
  table.Set({Vk("Space"), KeyRemapKind::TapHold, Vk("Space"), Vk("LShift"), 300});
  table.Set({Vk("F1"), KeyRemapKind::Key, Vk("Home")});
  table.Set({Vk("Insert"), KeyRemapKind::Off});
  return table;
}

std::string Played(const std::string& events) {
  KeyRemapTable table = Table();
  KeyRemapper remapper;
  std::uint32_t now = 1000;
  std::string seen;
  const auto show = [&seen](const RemapOutput& out, std::uint8_t vk, bool up) {
    const auto add = [&seen](std::uint8_t key, bool keyUp) { seen += KeyName(key) + (keyUp ? "↑ " : "↓ "); };
    if (out.unchanged) return add(vk, up);
    for (int i = 0; i < out.count; ++i)
      add(out.keys[static_cast<std::size_t>(i)].vk, out.keys[static_cast<std::size_t>(i)].up);
  };
  std::istringstream in(events);
  for (std::string event; in >> event;) {
    const std::string op = event.substr(0, event.find(':')), arg = event.substr(event.find(':') + 1);
    if (op == "d" || op == "u") {
      show(remapper.OnKey(&table, Vk(arg), op == "u", now), Vk(arg), op == "u");
    } else if (op == "t" || op == "w") {
      const std::uint32_t until = now + static_cast<std::uint32_t>(std::stoul(arg));
      const auto deadline = remapper.Deadline();
      if (op == "t" && deadline && static_cast<std::int32_t>(until - *deadline) >= 0)
        show(remapper.OnTime(*deadline), 0, false);
      now = until;
    } else if (op == "at") {
      now = static_cast<std::uint32_t>(std::stoul(arg));
    } else if (op == "switch") {
      show(remapper.ReleaseAll(), 0, false);
    } else if (op == "set") {
      table.Set({Vk(arg.substr(0, arg.find('='))), KeyRemapKind::Key, Vk(arg.substr(arg.find('=') + 1))});
    } else {
      table.Clear(Vk(arg));
    }
  }
  if (!seen.empty()) seen.pop_back();
  return seen;
}

TEST(KeyRemapping, KeysComeOutAsTheTableAndTheClockSay) {
  struct Case {
    const char* what;
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"a tap", "d:CapsLock t:50 u:CapsLock", "Esc↓ Esc↑"},
      {"another key while held", "d:CapsLock t:30 d:C u:C u:CapsLock", "LCtrl↓ C↓ C↑ LCtrl↑"},
      {"held alone past the delay", "d:CapsLock t:250 u:CapsLock", "LCtrl↓ LCtrl↑"},
      {"its own delay", "d:Space t:250 u:Space d:Space t:350 u:Space", "Space↓ Space↑ LShift↓ LShift↑"},
      {"a timer that came late", "d:CapsLock w:250 u:CapsLock", "LCtrl↓ LCtrl↑"},
      {"repeats swallowed, then the hold key's", "d:CapsLock t:30 d:CapsLock t:200 d:CapsLock u:CapsLock",
       "LCtrl↓ LCtrl↓ LCtrl↑"},
      {"a key let go in between decides nothing", "d:LShift d:CapsLock u:LShift u:CapsLock",
       "LShift↓ LShift↑ Esc↓ Esc↑"},
      {"the other key is remapped itself", "d:CapsLock d:F1 u:F1 u:CapsLock", "LCtrl↓ Home↓ Home↑ LCtrl↑"},
      {"two tap/hold keys", "d:CapsLock d:Space u:Space u:CapsLock", "LCtrl↓ Space↓ Space↑ LCtrl↑"},
      {"a key and nothing", "d:F1 d:F1 u:F1 d:Insert d:Insert u:Insert d:A", "Home↓ Home↓ Home↑ A↓"},
      {"a release lost at a desktop switch",
       "d:CapsLock t:250 d:F1 switch u:CapsLock u:F1 d:Space d:B switch u:B d:A",
       "LCtrl↓ Home↓ LCtrl↑ Home↑ LShift↓ B↓ LShift↑ B↑ A↓"},
      {"undecided at a desktop switch", "d:CapsLock switch u:CapsLock t:300 d:F1 switch d:F1 u:F1",
       "Home↓ Home↑ Home↓ Home↑"},
      {"the table changed while a key is down",
       "d:F1 set:F1=End u:F1 d:A set:A=B d:A u:A d:CapsLock clear:CapsLock u:CapsLock d:F1",
       "Home↓ Home↑ A↓ A↓ A↑ Esc↓ Esc↑ End↓"},
      {"the tick wraps round", "at:4294967200 d:CapsLock t:50 u:CapsLock d:CapsLock t:250 u:CapsLock",
       "Esc↓ Esc↑ LCtrl↓ LCtrl↑"},
  };
  for (const Case& c : cases) EXPECT_EQ(Played(c.in), c.out) << c.what << ": " << c.in;
}

TEST(KeyNames, EveryKeyHasOneNameThatNamesItBack) {
  for (int vk = 1; vk < 0xFF; ++vk) EXPECT_EQ(KeyNamed(KeyName(static_cast<std::uint8_t>(vk))), vk) << vk;
  const std::pair<const char*, const char*> names[] = {
      {"esc", "Esc"},         {"ESCAPE", "Esc"},        {"PgUp", "PageUp"},
      {"bkspc", "Backspace"}, {"capslock", "CapsLock"}, {"keyp 0", "KeyP 0"},
      {"vk e2", "VK E2"},     {"VK 41", "A"},           {"q", "Q"},
      {"break", "Pause"},
  };
  for (const auto& [in, out] : names) EXPECT_EQ(KeyName(KeyNamed(in).value_or(0)), out) << in;
  for (const char* none : {"VK 00", "VK FF", "VK 100", "VK", "Caps", "", "VK 4G"})
    EXPECT_FALSE(KeyNamed(none)) << none;
}

}  // namespace
}  // namespace tvx
