// The command line, applied once at start-up, argument by argument.
#include "core/app/CommandLine.h"

#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx {

void TMainWin::ApplyCommandLine() {
  for (const ShortString& argument : arguments_) Reported([&] { ProcessParam(argument); });
}

void TMainWin::ProcessParam(const ShortString& param) {
  const CommandOption option = ReadOption(param);
  switch (option.kind) {
    case OptionKind::None:
      break;
    case OptionKind::BrowseOnly:
      BrowseOnly = true;
      break;
    case OptionKind::AutoSync:
      Settings.AutoSync = true;
      break;
    case OptionKind::FullBrowseOnly:
      FullBrowseOnly = true;
      break;
    case OptionKind::File:
      // Read before it becomes current: a missing file is passed over in silence; one that cannot be read
      // (too short, or still held for writing by another program after a second) is reported and leaves
      // the current one current, so that the next edit does not save other tables over it.
      {
        const auto read = ReadToBecomeCurrent(option.fileName, true);
        if (const TavrixRead* tables = std::get_if<TavrixRead>(&read)) {
          const std::string notice = PutInForce(*tables, option.fileName);
          Settings.CurrentFile = option.fileName;
          if (!notice.empty()) ::MessageBoxA(hwnd(), notice.c_str(), "Notice", MB_OK);
        } else if (const std::string& refusal = std::get<std::string>(read); !refusal.empty()) {
          ::MessageBoxA(hwnd(), refusal.c_str(), "Error", MB_OK);
        }
      }
      break;
    case OptionKind::NetworkMode:
      Settings.NetworkMode = true;
      break;
    case OptionKind::SyncMinutes:
      Settings.SyncMinutes = option.minutes;
      break;
    case OptionKind::Tray:
      Settings.UseTray = true;
      ShowTrayIcon(true);
      break;
  }
}

}  // namespace tvx
