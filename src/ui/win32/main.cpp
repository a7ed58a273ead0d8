// fundort.exe: the window on the Windows desktop.
#include "platform/windows_win32.h"

#include <commctrl.h>

#include "platform/stop_requests.h"
#include "ui/win32/win32_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
  InitCommonControlsEx(&classes);

  Win32Window window(instance);
  // Listening before the first log line, so every started program that is asked to end logs
  // "EXIT". A request arrives on another thread; the close is posted to the window's own.
  const platform::StopRequests stopRequests([&window] { window.RequestClose(); });

  window.driver().Load();
  window.ShowAndStart();
  return window.RunMessageLoop();
}
