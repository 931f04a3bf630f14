#pragma once
// The local clock and the monotonic tick as network mode reads them.

#include <cstdint>
#include <string>

#include "core/files/SyncFile.h"

namespace tvx {

class Win32Clock : public Clock {
 public:
  double Now() override;  // local time as an OLE date
  std::int64_t Tick() override;
  void Sleep(int milliseconds) override;
};

// This machine's name and this process's number, for the guards network mode creates.
std::string MachineAndProcess();

}  // namespace tvx
