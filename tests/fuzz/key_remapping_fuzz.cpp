// The remapper on any presses, repeats, releases, passing time, desktop switches and table changes, over
// five keys that remap to each other: once the user has let go of every key, no key it made is down.
#include <array>
#include <span>

#include "core/hook/KeyRemapping.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

namespace {

constexpr std::array<std::uint8_t, 5> Keys{0x14, 0x20, 0x41, 0x70, 0xA2};  // CapsLock, Space, A, F1, LCtrl

KeyRemap RemapOf(std::uint8_t from, std::uint8_t choice) {
  const std::uint8_t to = Keys[choice % 5], hold = Keys[choice / 5 % 5];
  if (choice % 3 == 0) return {from, KeyRemapKind::Off};
  if (choice % 3 == 1) return {from, KeyRemapKind::Key, to};
  return {from, KeyRemapKind::TapHold, to, hold, static_cast<std::uint16_t>(50 + choice * 3)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  KeyRemapTable table;
  KeyRemapper remapper;
  std::array<bool, 256> held{}, down{};  // what the user holds; what the system was told is down
  std::uint32_t now = input.Value<std::uint32_t>();
  const auto apply = [&down](const RemapOutput& out, std::uint8_t vk, bool up) {
    if (out.unchanged) down[vk] = !up;
    for (const RemappedKey& key : std::span(out.keys).first(static_cast<std::size_t>(out.count)))
      down[key.vk] = !key.up;
  };
  const auto time = [&](std::uint32_t ms) {
    now += ms;  // a timer that fires late, if at all
    apply(remapper.OnTime(now), 0, false);
  };
  while (!input.empty()) {
    const std::uint8_t op = input.Byte(), vk = Keys[op % 5];
    if (op / 5 % 5 < 2) {
      held[vk] = op / 5 % 5 == 0;
      apply(remapper.OnKey(&table, vk, !held[vk], now), vk, !held[vk]);
    } else if (op / 5 % 5 == 2) {
      time(input.Byte() * 4u);
    } else if (op / 5 % 5 == 3) {
      for (RemapOutput out = remapper.ReleaseAll(); out.count; out = remapper.ReleaseAll())
        apply(out, 0, false);
    } else if (const KeyRemap remap = RemapOf(vk, input.Byte()); !KeyRemapProblem(remap)) {
      table.Set(remap);
    } else {
      table.Clear(vk);
    }
  }
  for (const std::uint8_t vk : Keys)
    if (held[vk]) apply(remapper.OnKey(&table, vk, true, now), vk, true);
  time(2000);
  for (const std::uint8_t vk : Keys) fuzz::Require(!down[vk]);
  return 0;
}
