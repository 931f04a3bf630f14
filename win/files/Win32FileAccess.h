#pragma once
// Mapping files (and any other one-record file) on the Win32 file system, with the share modes that
// keep two instances from reading a file while the other writes it.

#include <windows.h>

#include "core/common/IoError.h"
#include "core/files/MappingFile.h"
#include "win/sys/SystemError.h"

namespace tvx {

class Win32FileAccess : public FileAccess {
 public:
  bool Exists(const std::string& name) override;
  unsigned long ReadRefusal() const override { return readRefusal_; }
  std::optional<std::vector<std::uint8_t>> Read(const std::string& name, std::size_t size,
                                                Sharing sharing) override;
  unsigned long WriteRefusal(const std::string& name) override;
  std::optional<std::string> CreateBeside(const std::string& name) override;
  void Write(const std::string& name, std::span<const std::uint8_t> bytes) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool WriteInPlace(const std::string& name, std::span<const std::uint8_t> bytes) override;
  bool Remove(const std::string& name) noexcept override;
  CreateResult CreateNew(const std::string& name, std::span<const std::uint8_t> bytes) override;

 private:
  DWORD readRefusal_ = 0;
};

}  // namespace tvx
