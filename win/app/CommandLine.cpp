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
      // A file that cannot be read leaves the current one current: the next edit must not overwrite it.
      if (const std::optional<TavrixRead> read = ReadToBecomeCurrent(option.fileName, true)) {
        PutInForce(*read, option.fileName);
        Settings.CurrentFile = option.fileName;
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
