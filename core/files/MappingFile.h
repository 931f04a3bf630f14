#pragma once
// The mapping file (.TVX): one 1171-byte record, the plain image of the nine table blocks of the two
// shared areas, with no header of its own. Files are reached through FileAccess, so the rules of
// loading and saving are the same on every platform and in the tests.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/common/ShortString.h"
#include "core/keymap/Areas.h"

namespace tvx {

inline constexpr std::size_t MappingRecordSize = 1171;
// The most a mapping file holds after its record (core/files/MappingExtension.h).
inline constexpr std::size_t MaxExtensionSize = 1 << 20;
// Bytes 8 to 1085 of HotKeyArea, then bytes 8 to 100 of RemapArea.
inline constexpr std::size_t HotKeyRunSize = hotkey_area::TablesEnd - hotkey_area::TablesBegin;
inline constexpr std::size_t RemapRunSize = remap_area::TablesEnd - remap_area::TablesBegin;
static_assert(HotKeyRunSize + RemapRunSize == MappingRecordSize);

using MappingRecord = std::array<std::uint8_t, MappingRecordSize>;

// The narrow seam to the file system. Files are opened, used and closed within one call. Failures after
// a file is open are thrown as IoError; an open the platform refuses is an ordinary result, because the
// callers skip it silently.
class FileAccess {
 public:
  virtual ~FileAccess() = default;
  virtual bool Exists(const std::string& name) = 0;
  // Why the last Read that found nothing could not open its file: the system's error number (2 for a
  // missing file, 32 for one another process writes).
  virtual unsigned long ReadRefusal() const = 0;
  // How a reader shares the file. A mapping file is read only while nobody writes it (others may read);
  // the sync file and its guard are read while others may write, replace or remove them, so that one
  // instance's read never refuses another's save.
  enum class Sharing { OthersRead, OthersAnything };
  // Opens for reading with `sharing` and reads up to `size` bytes. Nothing when it cannot be opened
  // (missing, no access, or written by another process where others may only read).
  virtual std::optional<std::vector<std::uint8_t>> Read(const std::string& name, std::size_t size,
                                                        Sharing sharing) = 0;
  // 0 when `name` could be opened for writing with others only reading, or does not exist yet in an
  // existing folder; otherwise the system's error number (5 for a read-only file, 32 for one another
  // process has open).
  virtual unsigned long WriteRefusal(const std::string& name) = 0;
  // A new empty file in the folder of `name`, to be written and then put in its place; nothing when
  // none can be created there.
  virtual std::optional<std::string> CreateBeside(const std::string& name) = 0;
  // Writes `bytes` as the whole content of `name`, flushed and closed.
  virtual void Write(const std::string& name, std::span<const std::uint8_t> bytes) = 0;
  // Puts `from` in the place of `to` in one step, `to` keeping its attributes and permissions. False
  // when `to` is held open by another process.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  // Opens the existing `name` with the save's sharing (others may only read), writes `bytes` over it,
  // cuts it there and flushes it. False when the open is refused or the file does not exist.
  virtual bool WriteInPlace(const std::string& name, std::span<const std::uint8_t> bytes) = 0;
  // False when the file stays (held open by another process, a folder that refuses deletes).
  virtual bool Remove(const std::string& name) noexcept = 0;

  enum class CreateResult { Created, Exists, Refused };
  // Creates `name` and writes `bytes` into it, in one step with the test that no file of that name
  // exists; Refused where the folder or the platform does not allow it.
  virtual CreateResult CreateNew(const std::string& name, std::span<const std::uint8_t> bytes) = 0;
};

// Local time as an OLE date (days since 30 December 1899), a monotonic tick in milliseconds, and a way to
// wait. Ages are only ever taken on the tick: the local time may be set anywhere at any moment.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double Now() = 0;
  virtual std::int64_t Tick() = 0;
  virtual void Sleep(int milliseconds) = 0;
};

inline constexpr unsigned long FileNotFound = 2;
inline constexpr unsigned long SharingViolation = 32;

// Reads a whole record of `into.size()` bytes into `into`. False when the file cannot be opened; IoError
// ("Read beyond end of file") when it is shorter. Bytes after the record are ignored.
bool LoadRecord(FileAccess& files, const std::string& name, std::span<std::uint8_t> into,
                FileAccess::Sharing sharing = FileAccess::Sharing::OthersRead);
// Writes the record beside `name` and then replaces it, so a failure part-way leaves the previous file
// whole. Where no file can be made beside it, or the replace is refused, the record is written in place
// as a plain save would. Skips silently when the file may not be written (read-only, open elsewhere, no
// such folder); true when it wrote the record.
bool SaveRecord(FileAccess& files, const std::string& name, std::span<const std::uint8_t> bytes);

MappingRecord RecordFromAreas(const HotKeyAreaView& hotKeys, const RemapAreaView& remap);
// Word by word, so the hook library reading the areas meanwhile never sees half of an entry.
void RecordToAreas(const MappingRecord& record, const HotKeyAreaView& hotKeys, const RemapAreaView& remap);

// A mapping file read for it to become current: its record, or why it could not be opened (the system's
// error number, FileNotFound for a missing file). A file another program is writing (another instance's
// save, say) is tried again for up to `writerHoldMilliseconds`. A short file raises IoError.
struct TavrixRead {
  std::optional<MappingRecord> record;
  std::vector<std::uint8_t> after;  // what follows the record: its extension, if any
  unsigned long refusal = 0;
};
inline constexpr int WriterHoldMilliseconds = 1000;
TavrixRead ReadTavrixFile(FileAccess& files, Clock& clock, const ShortString& fileName,
                          int writerHoldMilliseconds = WriterHoldMilliseconds);

// The default tables: no hot key, and every key typing itself.
void InitTavrix(const HotKeyAreaView& hotKeys, const RemapAreaView& remap);

}  // namespace tvx
