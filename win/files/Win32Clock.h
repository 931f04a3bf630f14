#pragma once
// The local clock as network mode reads it.

#include <string>

#include "core/files/SyncFile.h"

namespace tvx {

class Win32Clock : public Clock {
 public:
  double Now() override;  // local time as an OLE date
  void Sleep(int milliseconds) override;
};

// This machine's name and this process's number, for the guards network mode creates.
std::string MachineAndProcess();

}  // namespace tvx
