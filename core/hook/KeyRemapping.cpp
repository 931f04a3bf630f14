#include "core/hook/KeyRemapping.h"

namespace tvx {

RemapOutput KeyRemapper::OnKey(const KeyRemapTable* table, std::uint8_t vk, bool up, std::uint32_t now) {
  RemapOutput out;
  // A timer that came late does not turn a hold into a tap.
  if (undecided_ >= 0 && DelayOver(now)) Decide(out);
  if (up)
    Release(vk, out);
  else if (held_[vk].down)
    Repeat(held_[vk], out);
  else if (!held_[vk].passed)
    Press(table, vk, out, now);
  else if (!out.unchanged)
    out.Add(vk, false);
  return out;
}

std::optional<std::uint32_t> KeyRemapper::Deadline() const {
  if (undecided_ < 0) return std::nullopt;
  return pressedAt_ + held_[static_cast<std::size_t>(undecided_)].remap.delayMs;
}

RemapOutput KeyRemapper::OnTime(std::uint32_t now) {
  RemapOutput out;
  out.unchanged = false;
  if (undecided_ >= 0 && DelayOver(now)) Decide(out);
  return out;
}

RemapOutput KeyRemapper::ReleaseAll() {
  RemapOutput out;
  out.unchanged = false;
  for (std::size_t vk = 0; vk < held_.size() && out.count < RemapOutput::MaxKeys; ++vk) {
    Held& held = held_[vk];
    if (!held.down) continue;
    if (held.remap.kind == KeyRemapKind::Key) out.Add(held.remap.to, true);
    if (held.remap.kind == KeyRemapKind::TapHold && held.decided) out.Add(held.remap.hold, true);
    if (undecided_ == static_cast<int>(vk)) undecided_ = -1;
    held = {};
    held.orphan = true;
  }
  return out;
}

bool KeyRemapper::Holds(std::uint8_t vk) const { return held_[vk].down; }

void KeyRemapper::Press(const KeyRemapTable* table, std::uint8_t vk, RemapOutput& out, std::uint32_t now) {
  Held& held = held_[vk];
  held.orphan = false;
  // Another key going down makes an undecided tap/hold key its hold key, before that key.
  if (undecided_ >= 0) Decide(out);
  const std::optional<KeyRemap> found = table ? table->At(vk) : std::nullopt;
  if (!found && out.unchanged) {
    held.passed = true;
    return;
  }
  // A plain key the remapper sends again after the hold key is its own until released, as if remapped to
  // itself, so a desktop switch releases it too.
  const KeyRemap remap = found ? *found : KeyRemap{vk, KeyRemapKind::Key, vk};
  held = {remap, true, false, false};
  out.unchanged = false;
  if (remap.kind == KeyRemapKind::Key) out.Add(remap.to, false);
  if (remap.kind == KeyRemapKind::TapHold) {
    undecided_ = vk;
    pressedAt_ = now;
  }
}

void KeyRemapper::Release(std::uint8_t vk, RemapOutput& out) {
  Held& held = held_[vk];
  if (held.orphan) {
    held = {};
    out.unchanged = false;
    return;
  }
  if (!held.down) {
    held.passed = false;
    if (!out.unchanged) out.Add(vk, true);
    return;
  }
  // What the press did, from the remap it found: the table may have changed since.
  const KeyRemap& remap = held.remap;
  out.unchanged = false;
  if (remap.kind == KeyRemapKind::Key) out.Add(remap.to, true);
  if (remap.kind == KeyRemapKind::TapHold && undecided_ == vk) {
    out.Add(remap.to, false);
    out.Add(remap.to, true);
    undecided_ = -1;
  } else if (remap.kind == KeyRemapKind::TapHold) {
    out.Add(remap.hold, true);
  }
  held = {};
}

void KeyRemapper::Repeat(const Held& held, RemapOutput& out) const {
  out.unchanged = false;
  if (held.remap.kind == KeyRemapKind::Key) out.Add(held.remap.to, false);
  if (held.remap.kind == KeyRemapKind::TapHold && held.decided) out.Add(held.remap.hold, false);
}

void KeyRemapper::Decide(RemapOutput& out) {
  Held& held = held_[static_cast<std::size_t>(undecided_)];
  held.decided = true;
  out.Add(held.remap.hold, false);
  undecided_ = -1;
}

bool KeyRemapper::DelayOver(std::uint32_t now) const {
  const KeyRemap& remap = held_[static_cast<std::size_t>(undecided_)].remap;
  // The tick wraps every 49.7 days; a tick a little before the press (another clock's) is not over.
  return static_cast<std::int32_t>(now - pressedAt_) >= static_cast<std::int32_t>(remap.delayMs);
}

}  // namespace tvx
