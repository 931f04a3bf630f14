#pragma once
// The command-line options: what one argument asks for, matched in upper case (a to z only) in a fixed
// order, the first match winning. An argument that matches no option asks for nothing.

#include <cstdint>

#include "core/common/ShortString.h"

namespace tvx {

enum class OptionKind {
  None,
  BrowseOnly,      // "/B"
  AutoSync,        // "/S"
  FullBrowseOnly,  // "/BA"
  File,            // "/F" + a file name, glued on
  NetworkMode,     // "/N"
  SyncMinutes,     // "/SM" + a number from 1 to 98
  Tray,            // "/T"
};

struct CommandOption {
  OptionKind kind = OptionKind::None;
  ShortString fileName;       // File: the name in upper case; it may be empty or name no file
  std::uint16_t minutes = 0;  // SyncMinutes
};

CommandOption ReadOption(const ShortString& param);

}  // namespace tvx
