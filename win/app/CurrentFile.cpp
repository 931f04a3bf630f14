// The current mapping file: read into the shared areas and written from them, each time on the file
// worker so that a file that does not answer cannot hang the window.
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "core/files/MappingExtension.h"
#include "core/files/MappingFile.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"
#include "win/sys/SystemError.h"

namespace tvx {
namespace {

constexpr UINT ReadAgainInterval = 1000;

// Why a file could not be read, in words the user can act on.
std::string ReasonText(unsigned long reason) {
  if (reason == SharingViolation || reason == ERROR_LOCK_VIOLATION) return "another program is using it.";
  if (reason == ERROR_TIMEOUT) return "it did not answer in time.";
  return SystemErrorText(reason);
}

}  // namespace

// Nothing reaches the areas until the whole file has been read, and only this thread writes them. A
// missing file keeps the tables; one that cannot be read keeps them too, but they are no longer taken for
// the file's (CouldNotRead).
bool TMainWin::LoadTavrix(const ShortString& fileName, int writerHold) {
  const auto read = calls_.Run<TavrixRead>(hwnd(), [fileName, writerHold](TFileCalls::Parts& parts) {
    return ReadTavrixFile(parts.files, parts.clock, fileName, writerHold);
  });
  if (!read) return CouldNotRead(ERROR_TIMEOUT);
  if (!read->record) return read->refusal == FileNotFound || CouldNotRead(read->refusal);
  const std::string notice = PutInForce(*read, fileName);
  CurrentFileChanged();
  if (!notice.empty()) ::MessageBoxA(hwnd(), notice.c_str(), "Notice", MB_OK);
  return true;
}

// The file read is now the one whose tables are in force. A file read again that an older version saved
// with no extension keeps the characters and texts this machine held for the cells that still hold
// their fallbacks: the next save writes them back. Returns the notice to show once the switch is done.
std::string TMainWin::PutInForce(const TavrixRead& read, const ShortString& fileName) {
  ExtensionRead extension = ReadExtension(*read.record, read.after);
  if (fileName == Settings.CurrentFile && extension.state == ExtensionState::None)
    extension.characters = CharactersKeptOver(*read.record, characters_);
  RecordToAreas(*read.record, HotKeys(), Remaps());
  characters_.SetAll(extension.characters);
  EndUnread();
  if (!extension.characters.Empty() && extension.state == ExtensionState::None)
    return extensionReports_.KeptNoticeFor(fileName.str());
  return extensionReports_.NoticeFor(fileName.str(), extension);
}

bool TMainWin::SaveTavrix(const ShortString& fileName) { return SaveBytes(fileName, CurrentFileBytes()); }

bool TMainWin::SaveBytes(const ShortString& fileName, const std::vector<std::uint8_t>& bytes) {
  const std::string name = fileName.str();
  return calls_
      .Run<bool>(hwnd(),
                 [name, bytes](TFileCalls::Parts& parts) { return SaveRecord(parts.files, name, bytes); })
      .value_or(false);
}

void TMainWin::InitTavrix() {
  tvx::InitTavrix(HotKeys(), Remaps());
  characters_.SetAll({});
}

// A file that does not answer counts as there.
bool TMainWin::FileExists(const ShortString& fileName) {
  const std::string name = fileName.str();
  return calls_.Run<bool>(hwnd(), [name](TFileCalls::Parts& parts) { return parts.files.Exists(name); })
      .value_or(true);
}

// Start-up: the current file, or the default tables written to it when it does not exist.
void TMainWin::OpenCurrentFile() {
  if (FileExists(Settings.CurrentFile)) {
    LoadTavrix(Settings.CurrentFile);
    return;
  }
  InitTavrix();
  SaveTavrix(Settings.CurrentFile);
}

// The current file could not be read (a sync client holds it at logon, say): the tables in force are not
// its own, so no edit goes ahead and nothing is saved over it until it has been read. It is read again
// every second, and the user is told once.
bool TMainWin::CouldNotRead(unsigned long reason) {
  unread_ = reason;
  ::SetTimer(hwnd(), ReadAgainTimer, ReadAgainInterval, nullptr);
  if (!std::exchange(unreadTold_, true)) TellUnread();
  return false;
}

// One look each time, so that a file held for long never keeps the window waiting. A damaged file ends
// the wait: its error is reported, as at start-up.
void TMainWin::ReadAgain() {
  ::KillTimer(hwnd(), ReadAgainTimer);
  if (!std::exchange(unread_, std::nullopt)) return;
  ReloadKeepingCells(Grids::All, 0);
}

void TMainWin::EndUnread() {
  unread_.reset();
  unreadTold_ = false;
  ::KillTimer(hwnd(), ReadAgainTimer);
}

void TMainWin::TellUnread() {
  const std::string text = Settings.CurrentFile.str() + " could not be read: " + ReasonText(*unread_) +
                           " Tavrix 98 will try again; edits wait until then.";
  ::MessageBoxA(hwnd(), text.c_str(), "Notice", MB_OK);
}

// Open, a recent file and "/F" read the file before anything else: one that cannot be read changes
// nothing (its tables would otherwise be those of the file left, and the next edit would save them over
// it). A short file raises its I/O error. The reason is returned, not shown: a box's message loop runs
// the timers, which must not find the switch half made.
std::variant<TavrixRead, std::string> TMainWin::ReadToBecomeCurrent(const ShortString& fileName,
                                                                    bool missingSilently) {
  struct Answer {
    TavrixRead read;
    bool exists;
  };
  const auto answer = calls_.Run<Answer>(hwnd(), [fileName](TFileCalls::Parts& parts) {
    const TavrixRead read = ReadTavrixFile(parts.files, parts.clock, fileName);
    return Answer{read, read.record || parts.files.Exists(fileName.str())};
  });
  if (!answer) return FileErrorText(fileName, SystemErrorText(ERROR_TIMEOUT));
  const TavrixRead& read = answer->read;
  if (read.record) return read;
  // Missing: no such file, folder or name at all (an empty "/F").
  if (read.refusal != FileNotFound && answer->exists)
    return FileErrorText(fileName, SystemErrorText(read.refusal));
  return missingSilently ? std::string() : std::string("File does not exist.");
}

// A box about a file names it: the system's words alone do not say which file.
std::string FileErrorText(const ShortString& fileName, const std::string& text) {
  return fileName.str() + ": " + text;
}

}  // namespace tvx
