// The hook library's per-keystroke decision: time per key event, and allocations (there must be none).
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/hook/KeyDecision.h"
#include "core/hook/KeyRemapping.h"
#include "core/hook/TableSets.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/CellTexts.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

// Counting replacements; GCC takes the malloc and free inside them for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace tvx {
namespace {

KeyLayout LettersAndDigits() {
  KeyLayout layout;
  for (int c = 'a'; c <= 'z'; ++c) {
    layout.AddScan(static_cast<std::uint8_t>(c), static_cast<std::int16_t>(c - 'a' + 'A'));
    layout.AddScan(static_cast<std::uint8_t>(c - 'a' + 'A'),
                   static_cast<std::int16_t>(0x100 | (c - 'a' + 'A')));
  }
  for (int c = '0'; c <= '9'; ++c) layout.AddScan(static_cast<std::uint8_t>(c), static_cast<std::int16_t>(c));
  for (int i = 0; i < 256; ++i) layout.unicode[i] = static_cast<char16_t>(i);
  return layout;
}

struct Areas {
  std::vector<std::uint8_t> hot = std::vector<std::uint8_t>(AreaSize, 0);
  std::vector<std::uint8_t> remap = std::vector<std::uint8_t>(AreaSize, 0);
  HookTables tables{HotKeyAreaView(hot.data()), RemapAreaView(remap.data())};

  Areas() {
    for (const RemapTableRows& list : RemapRowLists)
      for (std::size_t row = 0; row < list.rows.size(); ++row)
        tables.remap.SetByte(list.table, static_cast<int>(row), static_cast<std::uint8_t>(list.rows[row]));
    tables.remap.SetByte(RemapTableId::Lower, 'q' - 'a', 'z');
    tables.hotKeys.SetAction(*TableByNumber(5), CtrlAlt, 2, 260);
  }
};

// Each benchmark cycles through one kind of keystroke; the figure is per key event. The pause flag is
// read with every key, paused or not.
void Run(benchmark::State& bench, const std::vector<KeyEvent>& events, bool paused = false,
         const MappingCharacters* characters = nullptr) {
  Areas areas;
  areas.tables.characters = characters;
  const KeyLayout layout = LettersAndDigits();
  HookState state;
  const KeySystem system{0xFF, 0, 0, 0, paused};  // the system agrees with the record
  const long before = allocations;
  std::size_t i = 0;
  for (auto _ : bench) {
    benchmark::DoNotOptimize(DecideKey(state, events[i], system, areas.tables, layout));
    i = i + 1 == events.size() ? 0 : i + 1;
  }
  bench.counters["allocations"] = static_cast<double>(allocations - before);
}

void UnmappedKey(benchmark::State& bench) {
  Run(bench, {{'W', 0x11, false, false, false}, {'W', 0x11, true, false, false}});
}
void RemappedKey(benchmark::State& bench) {
  Run(bench, {{'Q', 0x10, false, false, false}, {'Q', 0x10, true, false, false}});
}
// The remapped key while every mapping is paused: it goes through unchanged.
void RemappedKeyPaused(benchmark::State& bench) {
  Run(bench, {{'Q', 0x10, false, false, false}, {'Q', 0x10, true, false, false}}, true);
}
// Ctrl+Alt+Home pressed, held for three repeats and let go, with its modifiers.
const std::vector<KeyEvent> CtrlAltHome{
    {0xA2, 0x1D, false, false, false}, {0xA4, 0x38, false, false, false}, {0x24, 0x47, false, true, false},
    {0x24, 0x47, false, true, false},  {0x24, 0x47, false, true, false},  {0x24, 0x47, false, true, false},
    {0x24, 0x47, true, true, false},   {0xA4, 0x38, true, false, false},  {0xA2, 0x1D, true, false, false}};

void HotKeyWithModifiers(benchmark::State& bench) { Run(bench, CtrlAltHome); }
// The same hot key set to a text, with the characters published: it posts the text's id once a press and
// swallows its repeats.
void TextHotKeyWithModifiers(benchmark::State& bench) {
  MappingCharacters characters;
  characters.Set(HotKeyCellNumber(*TableByNumber(5), CtrlAlt, 2), FirstTextId);
  Run(bench, CtrlAltHome, false, &characters);
}

// The remapped key with 32 programs bound, each with windows in the published map: the per-key work of
// per-application mappings, the look-up of the foreground window included (its handle is read from the
// system anyway, for the layout and the held modifiers).
void RemappedKey32Bindings(benchmark::State& bench) {
  std::vector<Areas> files(MaxBindings + 1);
  TableSets sets;
  for (std::size_t i = 0; i < files.size(); ++i) sets.sets[i] = {files[i].hot.data(), files[i].remap.data()};
  sets.setCount = static_cast<std::uint8_t>(files.size());
  for (std::uint16_t w = 0; w < 8 * MaxBindings; ++w)
    sets.windows[sets.windowCount++] = {0x10000u + 4u * w, static_cast<std::uint8_t>(1 + w % MaxBindings)};
  const KeyLayout layout = LettersAndDigits();
  HookState state;
  const std::vector<KeyEvent> events{{'Q', 0x10, false, false, false}, {'Q', 0x10, true, false, false}};
  const std::uintptr_t foreground = 0x10000u + 4u * 200;
  const KeySystem system{0xFF, 0, foreground, 0, false};
  const long before = allocations;
  std::size_t i = 0;
  for (auto _ : bench) {
    benchmark::DoNotOptimize(
        DecideKey(state, events[i], system, TablesOfSet(sets, SetOfWindow(sets, foreground)), layout));
    i = i + 1 == events.size() ? 0 : i + 1;
  }
  bench.counters["allocations"] = static_cast<double>(allocations - before);
}

// The Keys table with 16 remaps in force, run before the decision as the hook runs it: the key it gives
// (the key itself, or the key it stands for) then decided. Beside UnmappedKey, today's decision alone.
void KeysTableThenDecision(benchmark::State& bench, std::uint8_t vk) {
  KeyRemapTable keys;
  for (std::uint8_t f = 0; f < 12; ++f)
    keys.Set({static_cast<std::uint8_t>(0x70 + f), KeyRemapKind::Key, static_cast<std::uint8_t>(0x7C + f)});
  keys.Set({0x14, KeyRemapKind::TapHold, 0x1B, 0xA2, 200});
  keys.Set({0x2D, KeyRemapKind::Off});
  keys.Set({0xA5, KeyRemapKind::Key, 0xA3});
  keys.Set({0x5D, KeyRemapKind::Key, 0x5C});
  Areas areas;
  const KeyLayout layout = LettersAndDigits();
  HookState state;
  KeyRemapper remapper;
  const KeySystem system{0xFF, 0, 0, 0, false};
  const std::vector<KeyEvent> events{{vk, 0x3B, false, false, false}, {vk, 0x3B, true, false, false}};
  const long before = allocations;
  std::size_t i = 0;
  for (auto _ : bench) {
    const KeyEvent& event = events[i];
    const RemapOutput out = remapper.OnKey(&keys, event.vk, event.up, 0);
    if (out.unchanged) benchmark::DoNotOptimize(DecideKey(state, event, system, areas.tables, layout));
    for (int k = 0; k < out.count; ++k) {
      const auto& key = out.keys[static_cast<std::size_t>(k)];
      benchmark::DoNotOptimize(
          DecideKey(state, {key.vk, 0, key.up, false, false}, system, areas.tables, layout));
    }
    i = i + 1 == events.size() ? 0 : i + 1;
  }
  bench.counters["allocations"] = static_cast<double>(allocations - before);
}
void UnmappedKey16KeyRemaps(benchmark::State& bench) { KeysTableThenDecision(bench, 'W'); }
void KeyRemappedToAnother(benchmark::State& bench) { KeysTableThenDecision(bench, 0x70); }

// The baseline, in the same process: what a minimal remapping hook decides per key event, one table
// look-up. The machine's speed varies; the ratio to this shows the decision's own cost.
void MinimalLookup(benchmark::State& bench) {
  struct Decision {
    bool suppress;
    std::uint8_t ch;
  };
  std::array<std::uint8_t, 256> replacement{};
  replacement['Q'] = 'z';
  const std::vector<KeyEvent> events{{'Q', 0x10, false, false, false}, {'W', 0x11, false, false, false}};
  const long before = allocations;
  std::size_t i = 0;
  for (auto _ : bench) {
    const KeyEvent& event = events[i];
    const std::uint8_t ch = replacement[event.vk];
    Decision decision{ch != 0, ch};
    benchmark::DoNotOptimize(decision);
    i = i + 1 == events.size() ? 0 : i + 1;
  }
  bench.counters["allocations"] = static_cast<double>(allocations - before);
}

BENCHMARK(MinimalLookup);
BENCHMARK(UnmappedKey);
BENCHMARK(UnmappedKey16KeyRemaps);
BENCHMARK(KeyRemappedToAnother);
BENCHMARK(RemappedKey);
BENCHMARK(RemappedKey32Bindings);
BENCHMARK(RemappedKeyPaused);
BENCHMARK(HotKeyWithModifiers);
BENCHMARK(TextHotKeyWithModifiers);

}  // namespace
}  // namespace tvx
