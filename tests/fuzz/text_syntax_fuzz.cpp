// Any text as a hot key's text. The first byte shapes the layout the text is read and played for; every
// later byte is one unit of the text, but 0xFF, which takes the next two bytes as a unit of its own (so
// that surrogates and any character are reached). A text that does not read must say where, within it; one
// that reads must keep to the limits, read again the same when written back from its steps, and play with
// every key and character it presses released again, one segment a delay.
#include <array>
#include <string>

#include "core/app/TextAction.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/CellCharacters.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

namespace {

class CountingKeyboard : public Keyboard {
 public:
  explicit CountingKeyboard(std::uint8_t shape) : shape_(shape) {}
  std::array<int, 256> down{};
  int unicodeDown = 0;
  void PostVKey(std::uint8_t key, bool up) override {
    down[key] += up ? -1 : 1;
    fuzz::Require(down[key] == 0 || down[key] == 1);
  }
  void PostUnicode(char16_t, bool up) override { unicodeDown += up ? -1 : 1; }
  char16_t FromAnsi(std::uint8_t ch) override { return ch; }
  // A key from digits to Z, never a modifier, with any shift state; some characters have none, some a
  // dead key.
  LayoutKey KeyFor(char16_t ch) override {
    const unsigned mixed = ch ^ shape_;
    if (mixed % 5 == 0) return {};
    return {static_cast<std::int16_t>(((mixed >> 3) & 7) << 8 | (0x30 + mixed % 0x2B)),
            (ch & shape_ & 0x30) == 0x30, (shape_ & 1) != 0};
  }

 private:
  std::uint8_t shape_;
};

std::u16string TextOf(fuzz::Input& input) {
  std::u16string text;
  while (!input.empty()) {
    const std::uint8_t byte = input.Byte();
    text += byte == 0xFF ? input.Value<char16_t>() : static_cast<char16_t>(byte);
  }
  return text;
}

// The steps written back as a text.
std::u16string Written(const std::vector<TextStep>& steps) {
  std::u16string text;
  for (const TextStep& step : steps) {
    if (step.kind == TextStep::Kind::Delay) {
      const std::string delay = "{Delay " + std::to_string(step.delayMs) + "}";
      text.append(delay.begin(), delay.end());
      continue;
    }
    if (step.kind == TextStep::Kind::Character) {
      const std::u16string unit = Utf16Of(step.character);
      text += unit == u"{" ? u"{{" : unit == u"}" ? u"}}" : unit;
      continue;
    }
    std::string name;
    for (const auto& [bit, modifier] :
         {std::pair{TextCtrl, "Ctrl+"}, {TextAlt, "Alt+"}, {TextShift, "Shift+"}, {TextWin, "Win+"}})
      if (step.modifiers & bit) name += modifier;
    if ((step.vk >= 'A' && step.vk <= 'Z') || (step.vk >= '0' && step.vk <= '9')) {
      name += static_cast<char>(step.vk);
    } else if (step.vk == 0x20) {
      name += "Space";
    } else if (step.vk) {
      for (const ActionKey& key : ActionKeyTable)
        if (key.vk == step.vk) name = name + std::string(key.name);
    }
    text += u'{';
    text.append(name.begin(), name.end());
    if (!step.vk) text += Utf16Of(step.character);
    text += u'}';
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::uint8_t shape = input.Byte();
  const std::u16string source = TextOf(input);
  CountingKeyboard keyboard(shape);
  const ParsedText parsed = ParseText(source, [&keyboard](char16_t ch) { return keyboard.KeyFor(ch); });
  if (parsed.error) {
    fuzz::Require(parsed.steps.empty());
    fuzz::Require(parsed.error->position >= 1 &&
                  parsed.error->position <= std::max<std::size_t>(source.size(), 1));
    fuzz::Require(
        parsed.error->message.starts_with("Position " + std::to_string(parsed.error->position) + ": "));
    fuzz::Require(source.size() <= MaxTextUnits || parsed.error->position == MaxTextUnits + 1);
    return 0;
  }
  fuzz::Require(!source.empty() && source.size() <= MaxTextUnits && parsed.steps.size() <= source.size());
  std::size_t delays = 0;
  for (const TextStep& step : parsed.steps) {
    switch (step.kind) {
      case TextStep::Kind::Character:
        fuzz::Require(IsCellCharacter(step.character) && !step.vk && !step.modifiers);
        break;
      case TextStep::Kind::Key:
        fuzz::Require(step.modifiers <= (TextCtrl | TextAlt | TextShift | TextWin));
        fuzz::Require(step.vk ? !step.character
                              : IsCellCharacter(step.character) && step.character <= 0xFFFF &&
                                    !keyboard.KeyFor(static_cast<char16_t>(step.character)).dead);
        break;
      case TextStep::Kind::Delay:
        fuzz::Require(step.delayMs >= 1 && step.delayMs <= MaxTextDelayMs);
        ++delays;
        break;
    }
  }
  // Written back, the steps read the same (the text may be longer than a text may be, so read without
  // the limit's check: only its steps count here).
  const std::u16string again = Written(parsed.steps);
  if (again.size() <= MaxTextUnits) {
    const ParsedText reread = ParseText(again);
    fuzz::Require(!reread.error && reread.steps == parsed.steps);
  }
  std::size_t segments = 0;
  for (TextSegment segment; segment.next < parsed.steps.size() || segments == 0; ++segments) {
    segment = PlayTextSegment(keyboard, parsed.steps, segment.next, shape & 2);
    fuzz::Require(segment.next <= parsed.steps.size());
    for (const int balance : keyboard.down) fuzz::Require(balance == 0);
    fuzz::Require(keyboard.unicodeDown == 0);
  }
  fuzz::Require(segments ==
                delays + (parsed.steps.empty() || parsed.steps.back().kind != TextStep::Kind::Delay));
  return 0;
}
