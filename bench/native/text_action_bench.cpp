// A hot key set to a 255-character text, from its press to the last key event: the hook's decision, the
// text fetched by its id, read and played into a keyboard that keeps the events. The baseline, in the same
// run: the same 255 characters typed one by one through the same typing path.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/app/TextAction.h"
#include "core/hook/KeyDecision.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/CellTexts.h"

namespace tvx {
namespace {

// A US layout for letters, digits and space; everything else goes as the character itself.
class KeptKeyboard : public Keyboard {
 public:
  KeptKeyboard() { events.reserve(4096); }
  std::vector<std::uint32_t> events;
  void PostVKey(std::uint8_t key, bool up) override { events.push_back(key | (up ? 0x100u : 0u)); }
  void PostUnicode(char16_t ch, bool up) override { events.push_back(0x10000u | ch | (up ? 0x20000u : 0u)); }
  char16_t FromAnsi(std::uint8_t ch) override { return ch; }
  LayoutKey KeyFor(char16_t ch) override {
    if (ch >= u'a' && ch <= u'z') return {static_cast<std::int16_t>(ch - u'a' + 'A')};
    if (ch >= u'A' && ch <= u'Z') return {static_cast<std::int16_t>(0x100 | ch)};
    if ((ch >= u'0' && ch <= u'9') || ch == u' ') return {static_cast<std::int16_t>(ch)};
    return {};
  }
};

std::u16string LongText() {
  const std::u16string sentence = u"Kind regards, Zoë Müller — Tavrix 98 support, +49 30 1234 5678. ";
  std::u16string text;
  while (text.size() < MaxTextUnits) text += sentence;
  text.resize(MaxTextUnits);
  return text;
}

void TextPressToLastEvent(benchmark::State& bench) {
  std::vector<std::uint8_t> hot(AreaSize, 0), remap(AreaSize, 0);
  MappingCharacters characters;
  characters.Set(HotKeyCellNumber(*TableByNumber(5), CtrlAlt, 2), TextId(LongText()));
  const HookTables tables{HotKeyAreaView(hot.data()), RemapAreaView(remap.data()), &characters};
  const KeyLayout layout;
  HookState state;
  const KeySystem system{0xFF, 0, 0, 0, false};
  for (const KeyEvent& modifier :
       {KeyEvent{0xA2, 0x1D, false, false, false}, {0xA4, 0x38, false, false, false}})
    DecideKey(state, modifier, system, tables, layout);
  KeptKeyboard keyboard;
  const KeyEvent press{0x24, 0x47, false, true, false}, release{0x24, 0x47, true, true, false};
  for (auto _ : bench) {
    keyboard.events.clear();
    const KeyOutput out = DecideKey(state, press, system, tables, layout);
    const ParsedText parsed =
        ParseText(TextOfId(out.postCharacter), [&keyboard](char16_t ch) { return keyboard.KeyFor(ch); });
    for (TextSegment segment; segment.next < parsed.steps.size();)
      segment = PlayTextSegment(keyboard, parsed.steps, segment.next, false);
    benchmark::DoNotOptimize(keyboard.events.data());
    DecideKey(state, release, system, tables, layout);
  }
}

void Typing255Characters(benchmark::State& bench) {
  const std::u16string text = LongText();
  KeptKeyboard keyboard;
  for (auto _ : bench) {
    keyboard.events.clear();
    for (const char16_t ch : text) TypeCharacter(keyboard, ch, false);
    benchmark::DoNotOptimize(keyboard.events.data());
  }
}

BENCHMARK(Typing255Characters);
BENCHMARK(TextPressToLastEvent);

}  // namespace
}  // namespace tvx
