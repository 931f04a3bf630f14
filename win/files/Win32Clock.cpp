#include "win/files/Win32Clock.h"

#include <windows.h>

namespace tvx {
namespace {

constexpr double FileTimeUnitsPerDay = 864000000000.0;  // 100 ns units
constexpr double DaysFrom1601To1899 = 109205.0;         // 1 January 1601 to 30 December 1899

}  // namespace

double Win32Clock::Now() {
  FILETIME utc, local;
  ::GetSystemTimeAsFileTime(&utc);
  ::FileTimeToLocalFileTime(&utc, &local);
  const ULARGE_INTEGER units{{local.dwLowDateTime, local.dwHighDateTime}};
  return static_cast<double>(units.QuadPart) / FileTimeUnitsPerDay - DaysFrom1601To1899;
}

std::int64_t Win32Clock::Tick() { return static_cast<std::int64_t>(::GetTickCount64()); }

void Win32Clock::Sleep(int milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds)); }

std::string MachineAndProcess() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = sizeof name;
  if (!::GetComputerNameA(name, &length)) length = 0;
  return std::string(name, length) + " " + std::to_string(::GetCurrentProcessId());
}

}  // namespace tvx
