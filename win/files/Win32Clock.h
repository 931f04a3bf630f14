#pragma once
// The local clock as network mode reads it.

#include "core/files/SyncFile.h"

namespace tvx {

class Win32Clock : public Clock {
 public:
  double Now() override;  // local time as an OLE date
  void Sleep(int milliseconds) override;
};

}  // namespace tvx
