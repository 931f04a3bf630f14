#include "win/sys/SystemError.h"

namespace tvx {

std::string SystemErrorText(DWORD systemError) {
  char text[512] = {};
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  systemError, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
    --length;
  if (length == 0) return IoError::System(systemError).what();
  return std::string(text, length);
}

IoError SystemIoError(DWORD systemError) {
  if (systemError == ERROR_DISK_FULL || systemError == ERROR_HANDLE_DISK_FULL)
    return IoError(IoError::DiskFull);
  return IoError::System(systemError);
}

}  // namespace tvx
