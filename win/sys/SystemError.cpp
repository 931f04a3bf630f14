#include "win/sys/SystemError.h"

namespace tvx {

IoError SystemIoError(DWORD systemError) {
  if (systemError == ERROR_DISK_FULL || systemError == ERROR_HANDLE_DISK_FULL)
    return IoError(IoError::DiskFull);
  return IoError::System(systemError);
}

}  // namespace tvx
