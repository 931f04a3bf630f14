#include "win/keymap/HotKeyFacts.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tvx {
namespace {

constexpr char KeyboardLayouts[] = "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";
// ToUnicodeEx's flag that leaves the keyboard state (a pending dead key) alone.
constexpr UINT KeepKeyboardState = 0x4;
constexpr int ProbeId = 0xBFFF;

constexpr UINT ColumnModifiers[] = {
    MOD_ALT,           MOD_CONTROL,        MOD_WIN, MOD_CONTROL | MOD_ALT, MOD_CONTROL | MOD_WIN,
    MOD_ALT | MOD_WIN, MOD_ALT | MOD_SHIFT};

std::string RegistryText(HKEY key, const std::string& subKey, const char* value) {
  char text[256] = {};
  DWORD size = sizeof text;
  if (::RegGetValueA(key, subKey.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return {};
  return text;
}

// A layout handle's high word is its device: the KLID's low word, or 0xFnnn for a variant, which the
// registry knows by its "Layout Id" nnn.
std::string Klid(HKL layout) {
  const auto handle = reinterpret_cast<std::uintptr_t>(layout);
  const unsigned device = (handle >> 16) & 0xFFFF;
  char klid[16];
  std::snprintf(klid, sizeof klid, "%08X", device == 0 ? static_cast<unsigned>(handle & 0xFFFF) : device);
  if ((device & 0xF000) != 0xF000) return klid;
  HKEY layouts = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyboardLayouts, 0, KEY_READ, &layouts) != ERROR_SUCCESS)
    return klid;
  char id[8];
  std::snprintf(id, sizeof id, "%04x", device & 0x0FFF);
  char name[32];
  for (DWORD i = 0, size = sizeof name;
       ::RegEnumKeyExA(layouts, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, size = sizeof name) {
    if (_stricmp(RegistryText(layouts, name, "Layout Id").c_str(), id) == 0) {
      std::snprintf(klid, sizeof klid, "%s", name);
      break;
    }
  }
  ::RegCloseKey(layouts);
  return klid;
}

std::string LayoutName(HKL layout) {
  const std::string klid = Klid(layout);
  const std::string text =
      RegistryText(HKEY_LOCAL_MACHINE, std::string(KeyboardLayouts) + "\\" + klid, "Layout Text");
  return text.empty() ? klid : text;
}

TypedCharacter Typed(wchar_t c) {
  char ansi = 0;
  BOOL lacking = FALSE;
  const bool fits =
      ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, &ansi, 1, nullptr, &lacking) == 1 &&
      !lacking;
  return {static_cast<char16_t>(c), fits ? static_cast<std::uint8_t>(ansi) : std::uint8_t{0}};
}

LayoutFacts FactsOf(HKL layout) {
  LayoutFacts facts;
  facts.name = LayoutName(layout);
  // The characters the hook scans, so that a row is the key the hook takes for it.
  for (int ch = 32; ch <= 126; ++ch)
    facts.keys.AddScan(static_cast<std::uint8_t>(ch), ::VkKeyScanExA(static_cast<char>(ch), layout));
  BYTE state[256] = {};
  state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_MENU] = state[VK_RMENU] = 0x80;
  for (UINT vk = 1; vk < 256; ++vk) {
    wchar_t typed[4] = {};
    const UINT scan = ::MapVirtualKeyExA(vk, MAPVK_VK_TO_VSC, layout);
    if (::ToUnicodeEx(vk, scan, state, typed, 4, KeepKeyboardState, layout) != 0)
      facts.ctrlAlt[vk] = Typed(typed[0]);
  }
  // Where ToUnicodeEx tells nothing (Wine), a shift state of 6 still names the key AltGr types a character
  // on.
  for (int ch = 33; ch < 256; ++ch) {
    const SHORT scanned = ::VkKeyScanExA(static_cast<char>(ch), layout);
    const unsigned vk = scanned & 0xFF;
    const char ansi = static_cast<char>(ch);
    wchar_t wide = 0;
    if (scanned == -1 || ((scanned >> 8) & 0xFF) != 6 || facts.ctrlAlt[vk].unicode != 0 ||
        ::MultiByteToWideChar(CP_ACP, 0, &ansi, 1, &wide, 1) != 1)
      continue;
    facts.ctrlAlt[vk] = {static_cast<char16_t>(wide), static_cast<std::uint8_t>(ch)};
  }
  return facts;
}

}  // namespace

std::vector<LayoutFacts> InstalledLayouts() {
  std::vector<HKL> handles(static_cast<std::size_t>(::GetKeyboardLayoutList(0, nullptr)));
  handles.resize(
      static_cast<std::size_t>(::GetKeyboardLayoutList(static_cast<int>(handles.size()), handles.data())));
  std::vector<LayoutFacts> layouts;
  for (HKL handle : handles) layouts.push_back(FactsOf(handle));
  return layouts;
}

bool RegisteredElsewhere(HWND window, const HotKeyCombination& combination,
                         std::span<const LayoutFacts> layouts, const RemapAreaView& remap) {
  if (combination.column < 1 || combination.column > ModifierColumnCount) return false;
  const UINT modifiers = ColumnModifiers[combination.column - 1];
  std::vector<std::uint8_t> tried;
  for (const LayoutFacts& layout : layouts) {
    for (std::uint8_t vk : KeysOfRow(combination, remap, layout.keys)) {
      if (std::find(tried.begin(), tried.end(), vk) != tried.end()) continue;
      tried.push_back(vk);
      if (!::RegisterHotKey(window, ProbeId, modifiers, vk)) return true;
      ::UnregisterHotKey(window, ProbeId);
    }
  }
  return false;
}

}  // namespace tvx
