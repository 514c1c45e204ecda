// The program entry: the main window over the real window system and registry.
#include <windows.h>

#include "mainwindow/frmIE.h"
#include "platform/Win32Platform.h"
#include "registry/Win32Registry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  plumeroll::Win32Platform platform;
  const auto registry = plumeroll::MakeWin32Registry();
  return plumeroll::RunProgram(platform, *registry);
}
