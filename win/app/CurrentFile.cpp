// The current mapping file: read into the shared areas and written from them, each time on the file
// worker so that a file that does not answer cannot hang the window.
#include <optional>
#include <string>
#include <vector>

#include "core/files/MappingExtension.h"
#include "core/files/MappingFile.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"
#include "win/sys/SystemError.h"

namespace tvx {
namespace {

void ShowError(HWND owner, const char* text) { ::MessageBoxA(owner, text, "Error", MB_OK); }

}  // namespace

// Nothing reaches the areas until the whole file has been read, and only this thread writes them.
bool TMainWin::LoadTavrix(const ShortString& fileName) {
  const auto read = calls_.Run<TavrixRead>(hwnd(), [fileName](TFileCalls::Parts& parts) {
    return ReadTavrixFile(parts.files, parts.clock, fileName);
  });
  if (!read) return false;
  if (read->record) PutInForce(*read, fileName);
  CurrentFileChanged();
  return true;
}

void TMainWin::PutInForce(const TavrixRead& read, const ShortString& fileName) {
  const ExtensionRead extension = ReadExtension(*read.record, read.after);
  RecordToAreas(*read.record, HotKeys(), Remaps());
  characters_.SetAll(extension.characters);
  if (const std::string notice = extensionReports_.NoticeFor(fileName.str(), extension); !notice.empty())
    ::MessageBoxA(hwnd(), notice.c_str(), "Notice", MB_OK);
}

bool TMainWin::SaveTavrix(const ShortString& fileName) {
  const std::string name = fileName.str();
  const std::vector<std::uint8_t> bytes = CurrentFileBytes();
  return calls_
      .Run<bool>(hwnd(),
                 [name, bytes](TFileCalls::Parts& parts) { return SaveRecord(parts.files, name, bytes); })
      .value_or(false);
}

void TMainWin::InitTavrix() {
  tvx::InitTavrix(HotKeys(), Remaps());
  characters_ = {};
}

// Start-up: the current file, or the default tables written to it when it does not exist.
void TMainWin::OpenCurrentFile() {
  const std::string name = Settings.CurrentFile.str();
  const std::optional<bool> exists =
      calls_.Run<bool>(hwnd(), [name](TFileCalls::Parts& parts) { return parts.files.Exists(name); });
  if (exists.value_or(true)) {
    LoadTavrix(Settings.CurrentFile);
    return;
  }
  InitTavrix();
  SaveTavrix(Settings.CurrentFile);
}

// Open, a recent file and "/F" read the file before anything else: one that cannot be read changes
// nothing (its tables would otherwise be those of the file left, and the next edit would save them over
// it). A short file raises its I/O error.
std::optional<TavrixRead> TMainWin::ReadToBecomeCurrent(const ShortString& fileName, bool missingSilently) {
  struct Answer {
    TavrixRead read;
    bool exists;
  };
  const auto answer = calls_.Run<Answer>(hwnd(), [fileName](TFileCalls::Parts& parts) {
    const TavrixRead read = ReadTavrixFile(parts.files, parts.clock, fileName);
    return Answer{read, read.record || parts.files.Exists(fileName.str())};
  });
  if (!answer) {
    ShowError(hwnd(), SystemErrorText(ERROR_TIMEOUT).c_str());
    return std::nullopt;
  }
  const TavrixRead& read = answer->read;
  if (read.record) return read;
  // Missing: no such file, folder or name at all (an empty "/F").
  if (read.refusal != FileNotFound && answer->exists)
    ShowError(hwnd(), SystemErrorText(read.refusal).c_str());
  else if (!missingSilently)
    ShowError(hwnd(), "File does not exist.");
  return std::nullopt;
}

}  // namespace tvx
