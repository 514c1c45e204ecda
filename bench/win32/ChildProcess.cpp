#include "bench/win32/ChildProcess.h"

#include <algorithm>
#include <cstdio>

namespace plumeroll::bench {
namespace {

// The handle, inheritable by the programs this one starts.
UniqueHandle Inheritable(HANDLE handle) {
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS)) {
    return UniqueHandle();
  }
  return UniqueHandle(copy);
}

std::string ReadToEnd(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  return text;
}

}  // namespace

std::wstring Widen(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring result(static_cast<std::size_t>(std::max(length, 1)) - 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, result.data(), length);
  return result;
}

std::wstring Quoted(const std::wstring& argument) {
  return L"\"" + argument + L"\"";
}

std::optional<std::string> OutputOf(const std::wstring& command_line) {
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, nullptr, 0)) return std::nullopt;
  const UniqueHandle reader(read_end);
  UniqueHandle writer = Inheritable(write_end);
  CloseHandle(write_end);
  const UniqueHandle errors = Inheritable(GetStdHandle(STD_ERROR_HANDLE));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writer.get();
  startup.hStdError = errors.get();
  PROCESS_INFORMATION info{};
  std::wstring line = command_line;  // CreateProcessW may write to it
  if (!writer || !CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &info)) {
    std::fprintf(stderr, "cannot start %ls (code %lu)\n", command_line.c_str(), GetLastError());
    return std::nullopt;
  }
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);
  writer.reset();  // so that the pipe ends when the program does
  std::string output = ReadToEnd(reader.get());
  DWORD exit_code = 1;
  WaitForSingleObject(process.get(), INFINITE);
  GetExitCodeProcess(process.get(), &exit_code);
  if (exit_code != 0) {
    std::fprintf(stderr, "%ls ended with code %lu\n", command_line.c_str(), exit_code);
    return std::nullopt;
  }
  return output;
}

}  // namespace plumeroll::bench
