// The hot-key conflict check: one combination, as the editor checks a cell before setting it, and every
// cell of a full file, as Options > Check Hot Keys does; two layouts with AltGr characters on every key.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/hook/HotKeyConflicts.h"

namespace tvx {
namespace {

std::vector<LayoutFacts> TwoLayouts() {
  LayoutFacts layout;
  for (int c = 'a'; c <= 'z'; ++c)
    layout.keys.AddScan(static_cast<std::uint8_t>(c), static_cast<std::int16_t>(c - 'a' + 'A'));
  for (int c = '0'; c <= '9'; ++c)
    layout.keys.AddScan(static_cast<std::uint8_t>(c), static_cast<std::int16_t>(c));
  const char* punctuation = "',-./;=[\\]`";
  const std::uint8_t vks[] = {0xDE, 0xBC, 0xBD, 0xBE, 0xBF, 0xBA, 0xBB, 0xDB, 0xDC, 0xDD, 0xC0};
  for (int i = 0; punctuation[i]; ++i) layout.keys.AddScan(static_cast<std::uint8_t>(punctuation[i]), vks[i]);
  for (int vk = 0; vk < 256; ++vk) layout.ctrlAlt[vk] = {static_cast<char16_t>(0x100 + vk), 0};
  layout.name = "First";
  std::vector<LayoutFacts> layouts{layout, layout};
  layouts[1].name = "Second";
  return layouts;
}

void ConflictOneCombination(benchmark::State& state) {
  const auto layouts = TwoLayouts();
  std::vector<std::uint8_t> remap(AreaSize);
  const HotKeyCombination combination{Alphabetic, CtrlAlt, 16};  // Ctrl+Alt+Q
  for (auto _ : state) {
    auto conflicts = FindConflicts(combination, layouts, RemapAreaView(remap.data()), true);
    benchmark::DoNotOptimize(conflicts);
  }
}

void ConflictWholeFile(benchmark::State& state) {
  const auto layouts = TwoLayouts();
  std::vector<std::uint8_t> remap(AreaSize), hotKeys(AreaSize);
  const HotKeyAreaView view(hotKeys.data());
  const MappingCharacters characters;
  for (const HotKeyTable& table : HotKeyTables)
    for (int column = 1; column <= ModifierColumnCount; ++column)
      for (int row = 0; row < table.keys; ++row) view.SetAction(table, column, row, 'x');
  for (auto _ : state) {
    auto lines = CheckHotKeys(view, characters, RemapAreaView(remap.data()), layouts,
                              [](const HotKeyCombination& c) { return c.row % 2 == 0; });
    benchmark::DoNotOptimize(lines);
  }
}

}  // namespace
}  // namespace tvx

BENCHMARK(tvx::ConflictOneCombination)->Unit(benchmark::kMicrosecond);
BENCHMARK(tvx::ConflictWholeFile)->Unit(benchmark::kMicrosecond);
