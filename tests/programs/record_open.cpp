// Stands for the application the shell opens a document with: appends the document's name, as the
// shell passed it, to opened.txt beside itself.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::strcpy(std::strrchr(path, '\\') + 1, "opened.txt");
  const HANDLE file =
      ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const char* document = __argc > 1 ? __argv[1] : "";
  DWORD written = 0;
  ::WriteFile(file, document, static_cast<DWORD>(std::strlen(document)), &written, nullptr);
  ::WriteFile(file, "\n", 1, &written, nullptr);
  ::CloseHandle(file);
  return 0;
}
