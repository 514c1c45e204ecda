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

int main(int argc, char** argv) {
  // Screen coordinates and twips must be real pixels, whatever the display's DPI.
  using SetAwareFunction = BOOL(WINAPI*)();
  if (auto set_aware = reinterpret_cast<SetAwareFunction>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware")))) {
    set_aware();
  }
  testing::InitGoogleTest(&argc, argv);

  plumeroll::e2e::Settings& settings = plumeroll::e2e::TheSettings();
  std::wstring log;
  const std::pair<std::string_view, std::wstring*> options[] = {
      {"--program=", &settings.program},
      {"--good=", &settings.good_picture},
      {"--broken=", &settings.broken_picture},
      {"--screenshots=", &settings.screenshots_dir},
      {"--log=", &log},
  };
  int known = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& [option, value] : options) {
      const std::string_view arg = argv[i];
      if (!arg.starts_with(option)) continue;
      // The arguments come in the ANSI code page.
      value->resize(arg.size());
      value->resize(static_cast<std::size_t>(MultiByteToWideChar(
          CP_ACP, 0, arg.data() + option.size(), static_cast<int>(arg.size() - option.size()),
          value->data(), static_cast<int>(value->size()))));
      ++known;
    }
  }
  if (known != argc - 1 || settings.program.empty() || settings.good_picture.empty() ||
      settings.broken_picture.empty() || settings.screenshots_dir.empty()) {
    std::fprintf(stderr,
                 "usage: plumeroll_e2e --program=EXE --good=BMP --broken=BMP "
                 "--screenshots=DIR [--log=FILE] [GoogleTest options]\n");
    return 2;
  }
  if (!log.empty()) {
    if (_wfreopen(log.c_str(), L"w", stdout) == nullptr) return 2;
    setvbuf(stdout, nullptr, _IONBF, 0);
  }
  const std::size_t slash = settings.program.find_last_of(L"\\/");
  settings.program_dir = slash == std::wstring::npos ? L"." : settings.program.substr(0, slash);
  return RUN_ALL_TESTS();
}
