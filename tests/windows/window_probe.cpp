// Reads the program's windows for the tests that run it under Wine, where
// the desktop's accessibility interface does not reach:
//   window_probe centre ID          prints the screen centre "x y" of control ID
//   window_probe text ID            prints the text of control ID, UTF-8
//   window_probe enabled ID         prints 1 or 0
//   window_probe controls CLASS TITLE
//                                   one line per control of the visible
//                                   top-level window of class CLASS ("*": any)
//                                   whose title starts with TITLE:
//                                   "class<TAB>items<TAB>x y<TAB>text", where
//                                   items counts a tree's entries, a tool
//                                   bar's buttons, and is 1 for a static
//                                   control that shows a picture, and x y is
//                                   the control's screen centre
//   window_probe menu               prints the screen rectangle of the open
//                                   menu, "left top right bottom"
// The main window is the top-level window that holds control 1000 ("Start
// Scan"). Exit status 2 while the window asked for is not there.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kStartScanId = 1000;

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring Wide(const char* text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), size);
  out.resize(out.size() - 1);
  return out;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, sizeof name / sizeof name[0]);
  return name;
}

// WM_GETTEXT, unlike GetWindowText, reaches into another process's edits.
std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  SendMessageW(window, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text));
  return text;
}

struct SWanted {
  std::wstring className;  // empty: any
  std::wstring titlePrefix;
  HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
  auto& wanted = *reinterpret_cast<SWanted*>(param);
  if (!IsWindowVisible(window)) return TRUE;
  if (!wanted.className.empty() && ClassOf(window) != wanted.className) return TRUE;
  if (TextOf(window).rfind(wanted.titlePrefix, 0) != 0) return TRUE;
  wanted.found = window;
  return FALSE;
}

BOOL CALLBACK FindMain(HWND window, LPARAM found) {
  if (IsWindowVisible(window) && GetDlgItem(window, kStartScanId) != nullptr) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

LRESULT ItemsOf(HWND control) {
  const std::wstring name = ClassOf(control);
  if (name == WC_TREEVIEWW) return SendMessageW(control, TVM_GETCOUNT, 0, 0);
  if (name == TOOLBARCLASSNAMEW) return SendMessageW(control, TB_BUTTONCOUNT, 0, 0);
  if (name == L"Static") {
    return SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0 ||
           SendMessageW(control, STM_GETIMAGE, IMAGE_ICON, 0) != 0;
  }
  return 0;
}

std::string CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
  std::printf("%s\t%ld\t%s\t%s\n", Utf8(ClassOf(control)).c_str(),
              static_cast<long>(ItemsOf(control)), CentreOf(control).c_str(),
              Utf8(TextOf(control)).c_str());
  return TRUE;
}

void PrintCentre(HWND window) { std::printf("%s\n", CentreOf(window).c_str()); }

int Usage() {
  std::fprintf(stderr,
               "usage: window_probe centre|text|enabled ID | controls CLASS TITLE | menu\n");
  return 1;
}

int ProbeTopLevel(const std::wstring& className, const std::wstring& titlePrefix, bool controls) {
  SWanted wanted{className, titlePrefix};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&wanted));
  if (wanted.found == nullptr) return 2;
  if (controls) {
    EnumChildWindows(wanted.found, PrintControl, 0);
  } else {
    RECT r{};
    GetWindowRect(wanted.found, &r);
    std::printf("%ld %ld %ld %ld\n", static_cast<long>(r.left), static_cast<long>(r.top),
                static_cast<long>(r.right), static_cast<long>(r.bottom));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "controls" && argc == 4) {
    const std::wstring className = std::string(argv[2]) == "*" ? L"" : Wide(argv[2]);
    return ProbeTopLevel(className, Wide(argv[3]), true);
  }
  // Wine's menus are top-level windows of the system's menu class.
  if (command == "menu" && argc == 2) return ProbeTopLevel(L"#32768", L"", false);
  if (argc != 3) return Usage();

  HWND main = nullptr;
  EnumWindows(FindMain, reinterpret_cast<LPARAM>(&main));
  if (main == nullptr) return 2;
  HWND control = GetDlgItem(main, std::atoi(argv[2]));
  if (control == nullptr) return 3;

  if (command == "centre") {
    PrintCentre(control);
  } else if (command == "text") {
    std::printf("%s\n", Utf8(TextOf(control)).c_str());
  } else if (command == "enabled") {
    std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
  } else {
    return Usage();
  }
  return 0;
}
