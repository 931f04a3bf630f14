#include "core/files/MappingFile.h"

#include <algorithm>
#include <cstring>

#include "core/common/IoError.h"
#include "core/keymap/Catalogue.h"

namespace tvx {
namespace {

// Removes a temporary file unless it has been put in its target's place.
class TemporaryFile {
 public:
  TemporaryFile(FileAccess& files, std::string name) : files_(files), name_(std::move(name)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!moved_) files_.Remove(name_);
  }
  const std::string& name() const { return name_; }
  void MovedAway() { moved_ = true; }

 private:
  FileAccess& files_;
  std::string name_;
  bool moved_ = false;
};

// Every entry of every block, in file order: hot-key words column by column, then remap bytes.
template <typename HotKeyEntry, typename RemapEntry>
void ForEachEntry(HotKeyEntry&& hotKeyEntry, RemapEntry&& remapEntry) {
  std::size_t at = 0;
  for (const HotKeyTable& table : HotKeyTables)
    for (int column = 1; column <= ModifierColumnCount; ++column)
      for (int row = 0; row < table.keys; ++row, at += sizeof(HotKeyAction))
        hotKeyEntry(table, column, row, at);
  for (const RemapTable& table : RemapTables)
    for (int row = 0; row < table.rows; ++row, ++at) remapEntry(table.id, row, at);
}

// Writes the record into a new file beside `name` and puts it in its place: false, with nothing left
// behind, where no file can be made beside it or the replace is refused.
bool WriteBesideAndReplace(FileAccess& files, const std::string& name, std::span<const std::uint8_t> bytes) {
  const auto created = files.CreateBeside(name);
  if (!created) return false;
  TemporaryFile temporary(files, *created);
  files.Write(temporary.name(), bytes);
  if (!files.Replace(temporary.name(), name)) return false;
  temporary.MovedAway();
  return true;
}

}  // namespace

bool LoadRecord(FileAccess& files, const std::string& name, std::span<std::uint8_t> into,
                FileAccess::Sharing sharing) {
  const auto bytes = files.Read(name, into.size(), sharing);
  if (!bytes) return false;
  if (bytes->size() < into.size()) throw IoError(IoError::ReadBeyondEndOfFile);
  std::copy_n(bytes->begin(), into.size(), into.begin());
  return true;
}

bool SaveRecord(FileAccess& files, const std::string& name, std::span<const std::uint8_t> bytes) {
  if (files.WriteRefusal(name) != 0) return false;
  if (WriteBesideAndReplace(files, name, bytes)) return true;
  // A folder that lets files be changed but not created (a network share, say), or a target another
  // program holds open without delete sharing: the save must not fail where the plain write works. The
  // whole record goes in before the file is cut, so it is never left short.
  return files.WriteInPlace(name, bytes);
}

MappingRecord RecordFromAreas(const HotKeyAreaView& hotKeys, const RemapAreaView& remap) {
  MappingRecord record{};
  ForEachEntry(
      [&](const HotKeyTable& table, int column, int row, std::size_t at) {
        const HotKeyAction action = *hotKeys.Action(table, column, row);
        std::memcpy(&record[at], &action, sizeof action);
      },
      [&](RemapTableId table, int row, std::size_t at) { record[at] = *remap.Byte(table, row); });
  return record;
}

void RecordToAreas(const MappingRecord& record, const HotKeyAreaView& hotKeys, const RemapAreaView& remap) {
  ForEachEntry(
      [&](const HotKeyTable& table, int column, int row, std::size_t at) {
        HotKeyAction action;
        std::memcpy(&action, &record[at], sizeof action);
        hotKeys.SetAction(table, column, row, action);
      },
      [&](RemapTableId table, int row, std::size_t at) { remap.SetByte(table, row, record[at]); });
}

TavrixRead ReadTavrixFile(FileAccess& files, Clock& clock, const ShortString& fileName,
                          int writerHoldMilliseconds) {
  constexpr int RetryMilliseconds = 50;
  const std::int64_t until = clock.Tick() + writerHoldMilliseconds;
  for (;;) {
    // One more byte than the longest extension, so that a longer one shows as such.
    if (const auto bytes = files.Read(fileName.str(), MappingRecordSize + MaxExtensionSize + 1,
                                      FileAccess::Sharing::OthersRead)) {
      if (bytes->size() < MappingRecordSize) throw IoError(IoError::ReadBeyondEndOfFile);
      TavrixRead read{MappingRecord{}, {bytes->begin() + MappingRecordSize, bytes->end()}, 0};
      std::copy_n(bytes->begin(), MappingRecordSize, read.record->begin());
      return read;
    }
    const unsigned long refusal = files.ReadRefusal();
    if (refusal != SharingViolation || clock.Tick() >= until) return {std::nullopt, {}, refusal};
    clock.Sleep(RetryMilliseconds);
  }
}

void InitTavrix(const HotKeyAreaView& hotKeys, const RemapAreaView& remap) {
  ForEachEntry([&](const HotKeyTable& table, int column, int row,
                   std::size_t) { hotKeys.SetAction(table, column, row, 0); },
               // Each key maps to itself: the row lists are the identity codes.
               [&](RemapTableId table, int row, std::size_t) {
                 remap.SetByte(table, row, static_cast<std::uint8_t>(RemapRows(table)[row]));
               });
}

}  // namespace tvx
