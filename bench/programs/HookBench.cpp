// Measurements for scripts/bench.sh, printed as one number (the median, in microseconds):
//   HookBench latency VK COUNT CHAR  SendInput of a key press to the WM_CHAR CHAR, in a focused window
//   HookBench hotkey VK COUNT CHAR   the same with Alt held around the key
//   HookBench startup TITLE EXE   CreateProcess of EXE to its window titled TITLE... shown (EXE closed then)
//   HookBench keyfile PATH [CHAR] writes a mapping file with Q remapped to z (or CHAR) and Alt+W typing "@"
//   HookBench switch COUNT new|known  from the "Bare window" to a window of this program, bound to a file
//                                 where Q types y: the time until Q does (milliseconds, "median p95")
//   HookBench foreground          one GetForegroundWindow call, which the hook makes per key
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples.empty() ? 0 : samples[samples.size() / 2];
}

// The key pressed and released, inside Alt held when `alt`.
void Press(WORD vk, bool alt = false) {
  INPUT inputs[4] = {};
  UINT count = 0;
  const auto add = [&](WORD key, DWORD flags) {
    inputs[count++] = {INPUT_KEYBOARD,
                       {.ki = {key, static_cast<WORD>(::MapVirtualKeyA(key, 0)), flags, 0, 0}}};
  };
  if (alt) add(VK_LMENU, 0);
  add(vk, 0);
  add(vk, KEYEVENTF_KEYUP);
  if (alt) add(VK_LMENU, KEYEVENTF_KEYUP);
  ::SendInput(count, inputs, sizeof(INPUT));
}

// The character that arrived, 0 for none.
WPARAM WaitForChar(DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  MSG msg;
  while (::GetTickCount() - start < timeoutMs) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      if (msg.message == WM_CHAR) return msg.wParam;
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return 0;
}

void Drain() {
  MSG msg;
  for (int i = 0; i < 5; ++i, ::Sleep(2))
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

int Latency(WORD vk, int count, char expected, bool alt) {
  HWND window = ::CreateWindowExW(0, L"STATIC", L"HookBench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                  200, nullptr, nullptr, nullptr, nullptr);
  ::SetForegroundWindow(window);
  ::SetFocus(window);
  Drain();
  std::vector<double> samples;
  for (int i = 0; i < count; ++i) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    Press(vk, alt);
    const WPARAM typed = WaitForChar(2000);
    if (typed != static_cast<WPARAM>(expected))
      return std::printf("typed %u, not %c\n", unsigned(typed), expected), 1;
    ::QueryPerformanceCounter(&end);
    samples.push_back(Microseconds(start, end));
    Drain();
  }
  std::printf("%.1f\n", Median(samples));
  return 0;
}

HWND WindowOf(DWORD process, const std::string& title) {
  struct Search {
    DWORD process;
    const std::string* title;
    HWND found;
  } search{process, &title, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        char text[256] = {};
        ::GetWindowTextA(window, text, sizeof text);
        if (owner != s->process || !::IsWindowVisible(window) || std::string(text).rfind(*s->title, 0) != 0)
          return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Startup(const std::string& title, std::string exe) {
  std::vector<double> samples;
  for (int i = 0; i < 5; ++i) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(nullptr, exe.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return std::puts("could not start"), 1;
    HWND window = nullptr;
    for (int waited = 0; !window && waited < 30000; ++waited) {
      window = WindowOf(info.dwProcessId, title);
      if (!window) ::Sleep(1);
    }
    ::QueryPerformanceCounter(&end);
    if (window) samples.push_back(Microseconds(start, end));
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
  }
  std::printf("%.1f\n", Median(samples));
  return 0;
}

// A window of this program comes to the front from another program's, fresh each time (`fresh`, so its
// program must be found first) or the same one. Q is pressed until it types y, the bound file's character.
int Switch(int count, bool fresh) {
  HWND other = ::FindWindowA("BareWindow", nullptr);
  if (!other) return std::puts("no bare window"), 1;
  HWND window = nullptr;
  std::vector<double> samples;
  for (int i = 0; i < count; ++i) {
    ::SetForegroundWindow(other);
    ::Sleep(30);
    Drain();
    if (!window)
      window = ::CreateWindowExW(0, L"STATIC", L"HookBench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    ::SetForegroundWindow(window);
    ::SetFocus(window);
    for (WPARAM typed = 0; typed != 'y';) {
      Press('Q');
      typed = WaitForChar(500);
      ::QueryPerformanceCounter(&end);
      if (Microseconds(start, end) > 3e6) return std::puts("the bound file never came in force"), 1;
    }
    samples.push_back(Microseconds(start, end) / 1000);
    if (fresh) {
      ::DestroyWindow(window);
      window = nullptr;
    }
    Drain();
  }
  std::sort(samples.begin(), samples.end());
  std::printf("%.1f %.1f\n", Median(samples), samples[samples.size() * 95 / 100]);
  return 0;
}

int Foreground() {
  constexpr int Calls = 20000;
  LARGE_INTEGER start, end;
  ::QueryPerformanceCounter(&start);
  for (int i = 0; i < Calls; ++i) ::GetForegroundWindow();
  ::QueryPerformanceCounter(&end);
  std::printf("%.2f\n", Microseconds(start, end) / Calls);
  return 0;
}

int KeyFile(const char* path, char q) {
  std::string file(1078, '\0');  // five hot-key tables: the Alt column of the letters first, A to Z
  file[2 * ('W' - 'A')] = '@';
  file += "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopzrstuvwxyz0123456789";
  file[1078 + 26 + 16] = q;
  file += " !\"#$%&'()*+,-./:;<=>?@[\\]^_`}~";
  FILE* out = std::fopen(path, "wb");
  if (!out) return 1;
  std::fwrite(file.data(), 1, file.size(), out);
  return std::fclose(out) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if ((mode == "latency" || mode == "hotkey") && argc == 5)
    return Latency(static_cast<WORD>(std::strtol(argv[2], nullptr, 0)), std::atoi(argv[3]), argv[4][0],
                   mode == "hotkey");
  if (mode == "startup" && argc == 4) return Startup(argv[2], argv[3]);
  if (mode == "keyfile" && (argc == 3 || argc == 4)) return KeyFile(argv[2], argc == 4 ? argv[3][0] : 'z');
  if (mode == "switch" && argc == 4) return Switch(std::atoi(argv[2]), std::string(argv[3]) == "new");
  if (mode == "foreground") return Foreground();
  std::puts(
      "usage: HookBench latency|hotkey VK COUNT CHAR | startup TITLE EXE | keyfile PATH [CHAR] | "
      "switch COUNT new|known | foreground");
  return 2;
}
