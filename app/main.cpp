// The program entry: creates the one main window, runs its load handler, shows it and runs the
// event loop until it is closed.
#include <windows.h>

#include "mainwindow/frmIE.h"
#include "platform/Win32Platform.h"
#include "registry/Win32Registry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  plumeroll::Win32Platform platform;
  plumeroll::Win32Registry registry;
  plumeroll::frmIE main_window(platform, registry);
  main_window.Load();
  platform.RunEventLoop();
  return 0;
}
