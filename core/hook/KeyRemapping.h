#pragma once
// The Keys table at work in the hook: from the keys the user presses to the keys they stand for, with the
// tap/hold rules kept as a state machine whose clock is passed in. No call into the system and no
// allocation: it runs inside the hook callback, before the per-key decision (core/hook/KeyDecision.h),
// which then takes each key it produces as if it had been pressed.

#include <array>
#include <cstdint>
#include <optional>

#include "core/keymap/KeyRemaps.h"

namespace tvx {

struct RemappedKey {
  std::uint8_t vk = 0;
  bool up = false;
  friend bool operator==(const RemappedKey&, const RemappedKey&) = default;
};

struct RemapOutput {
  // A key gives at most four (a hold key decided, then another key's press; a tap's two); ReleaseAll gives
  // one a source held.
  static constexpr int MaxKeys = 16;
  // The event is the key itself, unchanged: the hook lets it through to the decision as it came (never for
  // OnTime and ReleaseAll, which answer no event).
  bool unchanged = true;
  int count = 0;  // otherwise these keys stand for it, in order (none: the key does nothing)
  std::array<RemappedKey, MaxKeys> keys{};

  void Add(std::uint8_t vk, bool up) {
    unchanged = false;
    if (count < MaxKeys) keys[count++] = {vk, up};
  }
};

// The keys a remap pressed and has not released yet are its own: a release undoes what its press did,
// whatever table is in force by then.
class KeyRemapper {
 public:
  // A key from the user (never one the program injected) at `now`, a millisecond tick that wraps.
  RemapOutput OnKey(const KeyRemapTable* table, std::uint8_t vk, bool up, std::uint32_t now);
  // When a tap/hold key is undecided: the tick at which OnTime must be called (its delay run out).
  std::optional<std::uint32_t> Deadline() const;
  // The delay of an undecided tap/hold key has run out: its hold key goes down.
  RemapOutput OnTime(std::uint32_t now);
  // At a desktop switch and at the pause: every key a remap holds goes up, and each source counts as up
  // until it is pressed again (its release, should it come, does nothing). Sources beyond MaxKeys stay held
  // for the next call: call it until it gives no key.
  RemapOutput ReleaseAll();
  // Whether a source key is down: its repeats and release belong to the remapper.
  bool Holds(std::uint8_t vk) const;

 private:
  struct Held {
    KeyRemap remap{};
    bool down = false;     // the source is down
    bool decided = false;  // TapHold: the hold key went down
    bool orphan = false;   // released at a desktop switch: its own release, should it come, does nothing
    // Down, and not remapped: its repeats and release go through as they are, a desktop switch between
    // included, so that nothing the system saw go down is kept from coming up.
    bool passed = false;
  };
  void Press(const KeyRemapTable* table, std::uint8_t vk, RemapOutput& out, std::uint32_t now);
  void Release(std::uint8_t vk, RemapOutput& out);
  void Repeat(const Held& held, RemapOutput& out) const;
  // The undecided tap/hold key becomes its hold key.
  void Decide(RemapOutput& out);
  bool DelayOver(std::uint32_t now) const;

  std::array<Held, 256> held_{};
  int undecided_ = -1;  // the source of the undecided tap/hold key, if any
  std::uint32_t pressedAt_ = 0;
};

}  // namespace tvx
