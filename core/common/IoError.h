#pragma once
// The input/output error that ends the current command and reaches the general error report.

#include <stdexcept>
#include <string>

namespace tvx {

class IoError : public std::runtime_error {
 public:
  // Run-time library error numbers for the two errors that have a text of their own.
  static constexpr int ReadBeyondEndOfFile = 100;
  static constexpr int DiskFull = 101;

  explicit IoError(int code) : std::runtime_error(TextFor(code)), code_(code) {}
  int code() const { return code_; }

  static std::string TextFor(int code) {
    if (code == ReadBeyondEndOfFile) return "Read beyond end of file";
    if (code == DiskFull) return "Disk full";
    return "I/O error " + std::to_string(code);
  }

 private:
  int code_;
};

}  // namespace tvx
