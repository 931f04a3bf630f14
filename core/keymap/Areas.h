#pragma once
// The two shared areas the program fills and the hook library reads: their layout and a typed,
// bounds-checked view over each. The views never own memory; they sit on a mapped view or a test buffer.

#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <optional>

namespace tvx {

static_assert(std::endian::native == std::endian::little, "the areas hold little-endian words");

inline constexpr std::size_t AreaSize = 1093;

inline constexpr char HotKeyAreaName[] = "TVXH1KGR";
inline constexpr char RemapAreaName[] = "STTT1KGR";
inline constexpr char HookMutexName[] = "TVJJJKyq";

// Hot-key categories as the user picks them (and `LastKeys` stores them).
enum KeyCategory : int { Alphabetic = 1, Punctuation = 2, FunctionKeys = 3, Numeric = 4, Editing = 5 };

// Modifier combinations, the columns 1 to 7 of every hot-key table.
enum ModifierColumn : int { Alt = 1, Ctrl = 2, Win = 3, CtrlAlt = 4, CtrlWin = 5, AltWin = 6, AltShift = 7 };
inline constexpr int ModifierColumnCount = 7;

// HotKeyAction values: 0 none, 1..255 a character, 256..315 a key of ActionKeyTable.
using HotKeyAction = std::uint16_t;
inline constexpr HotKeyAction FirstKeyAction = 256;
inline constexpr HotKeyAction LastKeyAction = 315;

struct HotKeyTable {
  int tableNumber;       // storage order, and how the hook library names the table
  KeyCategory category;  // how the editor names it
  int keys;              // N, the rows
  std::size_t start;     // area offset of the first word
  const char* name;
};

// In area order. TableNumber and KeyCategory differ: Numeric is stored second, Punctuation third.
inline constexpr std::array<HotKeyTable, 5> HotKeyTables{{
    {1, Alphabetic, 26, 8, "AlphaHotKeys"},
    {2, Numeric, 10, 372, "NumericHotKeys"},
    {3, Punctuation, 11, 512, "PunctHotKeys"},
    {4, FunctionKeys, 12, 666, "FunctionHotKeys"},
    {5, Editing, 18, 834, "EditingHotKeys"},
}};

const HotKeyTable* TableByNumber(int tableNumber);  // nullptr outside 1..5
const HotKeyTable* TableByCategory(int category);   // nullptr outside 1..5

// Area offset of the word for (column, row), or nothing when either lies outside the table.
inline std::optional<std::size_t> HotKeyEntryOffset(const HotKeyTable& table, int column, int row) {
  if (column < 1 || column > ModifierColumnCount || row < 0 || row >= table.keys) return std::nullopt;
  return table.start + 2 * static_cast<std::size_t>((column - 1) * table.keys + row);
}

enum class RemapTableId { Upper, Lower, Numeric, Punct };

struct RemapTable {
  RemapTableId id;
  std::size_t start;
  int rows;
  const char* name;
};

inline constexpr std::array<RemapTable, 4> RemapTables{{
    {RemapTableId::Upper, 8, 26, "UpperRemap"},
    {RemapTableId::Lower, 34, 26, "LowerRemap"},
    {RemapTableId::Numeric, 60, 10, "NumericRemap"},
    {RemapTableId::Punct, 70, 31, "PunctRemap"},
}};

inline const RemapTable& RemapTableOf(RemapTableId id) { return RemapTables[static_cast<std::size_t>(id)]; }

namespace hotkey_area {
inline constexpr std::size_t MainWindow = 0;
inline constexpr std::size_t HookHandle = 4;
inline constexpr std::size_t TablesBegin = 8;
inline constexpr std::size_t TablesEnd = 1086;  // exclusive
inline constexpr std::size_t HookLibByte = 1092;
}  // namespace hotkey_area

namespace remap_area {
inline constexpr std::size_t MainWindow = 0;
inline constexpr std::size_t MsgHookHandle = 4;
inline constexpr std::size_t TablesBegin = 8;
inline constexpr std::size_t TablesEnd = 101;  // exclusive
inline constexpr std::size_t MsgHookLibByte = 103;
}  // namespace remap_area

// The tables tile each area's table part in their order, without a gap or an overlap.
static_assert([] {
  std::size_t next = hotkey_area::TablesBegin;
  for (const HotKeyTable& table : HotKeyTables) {
    if (table.start != next) return false;
    next += 2u * ModifierColumnCount * static_cast<std::size_t>(table.keys);
  }
  return next == hotkey_area::TablesEnd;
}());
static_assert([] {
  std::size_t next = remap_area::TablesBegin;
  for (const RemapTable& table : RemapTables) {
    if (table.start != next) return false;
    next += static_cast<std::size_t>(table.rows);
  }
  return next == remap_area::TablesEnd;
}());

// Shared by both views: the header words. Every entry is read and written whole, as one relaxed atomic
// access, so a reader in another process sees either the old or the new value of an entry.
class AreaView {
 public:
  explicit AreaView(std::uint8_t* base) : base_(base) {}
  std::uint8_t* data() const { return base_; }

  std::uint32_t MainWindow() const { return Load<std::uint32_t>(0); }
  void SetMainWindow(std::uint32_t handle) const { Store<std::uint32_t>(0, handle); }

 protected:
  // Entries lie on their natural alignment in the areas, and views sit on mapped or allocated memory.
  template <typename T>
  static std::atomic_ref<T> Entry(std::uint8_t* at) {
    static_assert(std::atomic_ref<T>::is_always_lock_free);
    return std::atomic_ref<T>(*reinterpret_cast<T*>(at));
  }
  template <typename T>
  T Load(std::size_t offset) const {
    return Entry<T>(base_ + offset).load(std::memory_order_relaxed);
  }
  template <typename T>
  void Store(std::size_t offset, T value) const {
    Entry<T>(base_ + offset).store(value, std::memory_order_relaxed);
  }

 private:
  std::uint8_t* base_;
};

class HotKeyAreaView : public AreaView {
 public:
  using AreaView::AreaView;

  std::uint32_t HookHandle() const { return Load<std::uint32_t>(hotkey_area::HookHandle); }
  void SetHookHandle(std::uint32_t handle) const { Store(hotkey_area::HookHandle, handle); }
  void SetHookLibByte(std::uint8_t value) const { Store(hotkey_area::HookLibByte, value); }

  // Entry access by table; nothing (or false) outside the table, never a read or write beyond it.
  std::optional<HotKeyAction> Action(const HotKeyTable& table, int column, int row) const;
  bool SetAction(const HotKeyTable& table, int column, int row, HotKeyAction action) const;

  std::optional<HotKeyAction> ActionByNumber(int tableNumber, int column, int row) const;
  std::optional<HotKeyAction> ActionByCategory(int category, int column, int row) const;
};

class RemapAreaView : public AreaView {
 public:
  using AreaView::AreaView;

  std::uint32_t MsgHookHandle() const { return Load<std::uint32_t>(remap_area::MsgHookHandle); }
  void SetMsgHookHandle(std::uint32_t handle) const { Store(remap_area::MsgHookHandle, handle); }
  void SetMsgHookLibByte(std::uint8_t value) const { Store(remap_area::MsgHookLibByte, value); }

  std::optional<std::uint8_t> Byte(RemapTableId table, int row) const;
  bool SetByte(RemapTableId table, int row, std::uint8_t value) const;
};

// The two readers the hook library calls for every key are inline.
inline std::optional<HotKeyAction> HotKeyAreaView::Action(const HotKeyTable& table, int column, int row) const {
  const auto offset = HotKeyEntryOffset(table, column, row);
  if (!offset) return std::nullopt;
  return Load<HotKeyAction>(*offset);
}

inline std::optional<std::uint8_t> RemapAreaView::Byte(RemapTableId id, int row) const {
  const RemapTable& table = RemapTableOf(id);
  if (row < 0 || row >= table.rows) return std::nullopt;
  return Load<std::uint8_t>(table.start + static_cast<std::size_t>(row));
}

}  // namespace tvx
