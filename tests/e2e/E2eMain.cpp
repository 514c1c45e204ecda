// Entry of the end-to-end tests. run-e2e.sh gives the places of the program and its pictures:
//   plumeroll_e2e --program=C:\...\plumeroll.exe --good=C:\...\rgb24.bmp --broken=C:\...\bad.bmp
//                 --screenshots=C:\... [--log=C:\...\e2e.log] [GoogleTest options]
// Under Wine's virtual desktop the standard output goes nowhere, hence --log.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "tests/e2e/Automation.h"

namespace {

std::wstring Widen(std::string_view text) {
  const int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
  return result;
}

// Screen coordinates and twips must be real pixels, whatever the display's DPI.
void DeclareDpiAware() {
  using SetProcessDpiAwareFunction = BOOL(WINAPI*)();
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return;
  auto set_aware = reinterpret_cast<SetProcessDpiAwareFunction>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
  if (set_aware != nullptr) set_aware();
}

}  // namespace

int main(int argc, char** argv) {
  DeclareDpiAware();
  testing::InitGoogleTest(&argc, argv);

  plumeroll::e2e::Settings& settings = plumeroll::e2e::TheSettings();
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value_of = [arg](std::string_view option) -> std::wstring {
      return Widen(arg.substr(option.size()));
    };
    if (arg.starts_with("--program=")) {
      settings.program = value_of("--program=");
    } else if (arg.starts_with("--good=")) {
      settings.good_picture = value_of("--good=");
    } else if (arg.starts_with("--broken=")) {
      settings.broken_picture = value_of("--broken=");
    } else if (arg.starts_with("--screenshots=")) {
      settings.screenshots_dir = value_of("--screenshots=");
    } else if (arg.starts_with("--log=")) {
      const std::wstring log = value_of("--log=");
      if (_wfreopen(log.c_str(), L"w", stdout) == nullptr) return 2;
      setvbuf(stdout, nullptr, _IONBF, 0);
    } else {
      std::fprintf(stderr, "unknown argument: %s\n", argv[i]);
      return 2;
    }
  }
  if (settings.program.empty() || settings.good_picture.empty() ||
      settings.broken_picture.empty() || settings.screenshots_dir.empty()) {
    std::fprintf(stderr,
                 "usage: plumeroll_e2e --program=EXE --good=BMP --broken=BMP "
                 "--screenshots=DIR [--log=FILE] [GoogleTest options]\n");
    return 2;
  }
  const std::size_t slash = settings.program.find_last_of(L"\\/");
  settings.program_dir =
      slash == std::wstring::npos ? std::wstring(L".") : settings.program.substr(0, slash);
  return RUN_ALL_TESTS();
}
