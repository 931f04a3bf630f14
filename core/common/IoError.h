#pragma once
// The input/output error that ends the current command and reaches the general error report.

#include <stdexcept>
#include <string>

namespace tvx {

class IoError : public std::runtime_error {
 public:
  // The two errors with a text of their own. They are kinds, not numbers, so that no system error
  // number (100 and 101 are ones too) can pass for them.
  enum Kind { ReadBeyondEndOfFile, DiskFull };

  explicit IoError(Kind kind)
      : std::runtime_error(kind == ReadBeyondEndOfFile ? "Read beyond end of file" : "Disk full") {}
  // Any other error, shown with the system's number.
  static IoError System(unsigned long number) { return IoError("I/O error " + std::to_string(number)); }

 private:
  explicit IoError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace tvx
