// Reads the program's main window for the tests that run it under Wine, where
// the desktop's accessibility interface does not reach:
//   window_probe centre ID   prints the screen centre "x y" of control ID
//   window_probe text ID     prints the text of control ID, UTF-8
//   window_probe enabled ID  prints 1 or 0
// The main window is the top-level window that holds control 1000 ("Start
// Scan"). Exit status 2 while there is none.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kStartScanId = 1000;

BOOL CALLBACK FindMain(HWND window, LPARAM found) {
  if (IsWindowVisible(window) && GetDlgItem(window, kStartScanId) != nullptr) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_probe centre|text|enabled ID\n");
    return 1;
  }
  HWND main = nullptr;
  EnumWindows(FindMain, reinterpret_cast<LPARAM>(&main));
  if (main == nullptr) return 2;
  HWND control = GetDlgItem(main, std::atoi(argv[2]));
  if (control == nullptr) return 3;

  const std::string command = argv[1];
  if (command == "centre") {
    RECT r{};
    GetWindowRect(control, &r);
    std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  } else if (command == "text") {
    wchar_t text[1024] = {};
    // WM_GETTEXT, unlike GetWindowText, reaches into another process's edits.
    SendMessageW(control, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text));
    std::printf("%s\n", Utf8(text).c_str());
  } else if (command == "enabled") {
    std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
  } else {
    return 1;
  }
  return 0;
}
