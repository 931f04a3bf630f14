#include "core/app/TextAction.h"

#include <algorithm>
#include <array>

namespace tvx {
namespace {

struct Modifier {
  TextModifier bit;
  std::uint8_t vk;  // the left one
};
// In the order they are pressed.
constexpr std::array<Modifier, 4> Modifiers{
    {{TextCtrl, 0xA2}, {TextAlt, 0xA4}, {TextShift, 0xA0}, {TextWin, 0x5B}}};

// A dead key types nothing itself: it is no key for a character.
bool TypesCharacter(const LayoutKey& key) { return key.scanned != -1 && !key.dead; }

void PlayKey(Keyboard& keyboard, const TextStep& step) {
  std::uint8_t vk = step.vk;
  std::uint8_t modifiers = step.modifiers;
  if (!vk) {
    if (step.character > 0xFFFF) return;
    const LayoutKey key = keyboard.KeyFor(static_cast<char16_t>(step.character));
    if (!TypesCharacter(key)) return;
    vk = static_cast<std::uint8_t>(key.scanned & 0xFF);
    const int shift = (key.scanned >> 8) & 0xFF;
    modifiers |= (shift & 1 ? TextShift : 0) | (shift & 2 ? TextCtrl : 0) | (shift & 4 ? TextAlt : 0);
  }
  for (const Modifier& modifier : Modifiers)
    if (modifiers & modifier.bit) keyboard.PostVKey(modifier.vk, false);
  keyboard.PostVKey(vk, false);
  keyboard.PostVKey(vk, true);
  for (auto modifier = Modifiers.rbegin(); modifier != Modifiers.rend(); ++modifier)
    if (modifiers & modifier->bit) keyboard.PostVKey(modifier->vk, true);
}

}  // namespace

ParsedText ParseText(std::u16string_view source, const std::function<LayoutKey(char16_t)>& keyFor) {
  if (!keyFor) return ParseTextSyntax(source);
  return ParseTextSyntax(source, [&keyFor](char16_t ch) { return TypesCharacter(keyFor(ch)); });
}
TextSegment PlayTextSegment(Keyboard& keyboard, const std::vector<TextStep>& steps, std::size_t from,
                            bool capsLock) {
  for (std::size_t i = from; i < steps.size(); ++i) {
    const TextStep& step = steps[i];
    switch (step.kind) {
      case TextStep::Kind::Delay:
        return {i + 1, step.delayMs};
      case TextStep::Kind::Character:
        CharacterHotKeyMsg(step.character, capsLock ? 1 : 0, keyboard);
        break;
      case TextStep::Kind::Key:
        PlayKey(keyboard, step);
        break;
    }
  }
  return {steps.size(), 0};
}

bool TextPlayback::Start(std::u16string_view source, bool capsLock) {
  Stop();
  ParsedText parsed = ParseText(source);
  if (parsed.error) return false;
  steps_ = std::move(parsed.steps);
  capsLock_ = capsLock;
  return true;
}

std::uint32_t TextPlayback::PlayNext(Keyboard& keyboard) {
  const TextSegment segment = PlayTextSegment(keyboard, steps_, next_, capsLock_);
  pressedKeys_ = std::any_of(steps_.begin() + static_cast<std::ptrdiff_t>(std::min(next_, steps_.size())),
                             steps_.begin() + static_cast<std::ptrdiff_t>(segment.next),
                             [](const TextStep& step) { return step.kind == TextStep::Kind::Key; });
  next_ = segment.next;
  if (!Playing()) Stop();
  return Playing() ? segment.delayMs : 0;
}

void TextPlayback::Stop() {
  steps_.clear();
  next_ = 0;
}

}  // namespace tvx
