#include "platform/win32/Windows-win32.h"
// After windows.h, which it builds on.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <streambuf>

#include "platform/CodePage.h"
#include "platform/Console.h"

namespace velloran {

namespace {

HANDLE StreamHandle(StandardStream stream) {
  return ::GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

/// A console takes characters: UTF-8 bytes written to it would show in the
/// console's code page. A character cut at the end of a write waits for its
/// remaining bytes.
class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {
    setp(buffer_, buffer_ + sizeof buffer_);
  }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  int sync() override {
    std::string_view pending(pbase(), static_cast<size_t>(pptr() - pbase()));
    const size_t whole = WholeCharacters(pending);
    const std::wstring text = Wide(pending.substr(0, whole));
    const std::string rest(pending.substr(whole));
    size_t done = 0;
    while (done < text.size()) {
      DWORD n = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 8192));
      if (!::WriteConsoleW(console_, text.data() + done, chunk, &n, nullptr) || n == 0) return -1;
      done += n;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    for (char c : rest) *pptr() = c, pbump(1);
    return 0;
  }

 private:
  /// The length of `text` without a UTF-8 sequence cut at its end.
  static size_t WholeCharacters(std::string_view text) {
    size_t start = text.size();
    for (size_t back = 1; back <= 3 && back <= text.size(); ++back) {
      const auto c = static_cast<unsigned char>(text[text.size() - back]);
      if ((c & 0xC0) == 0x80) continue;  // a continuation byte
      const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      start = length > back ? text.size() - back : text.size();
      break;
    }
    return start;
  }

  HANDLE console_;
  char buffer_[4096];
};

void Prepare(StandardStream stream, std::ostream& out, FILE* file) {
  const HANDLE handle = StreamHandle(stream);
  std::fflush(file);
  if (IsConsole(handle)) {
    // Never freed: the streams are flushed at exit, after static objects go.
    out.rdbuf(new ConsoleBuffer(handle));
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode))
      ::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    return;
  }
  // A file or a pipe gets the bytes as they are: no "\r" before each "\n".
  _setmode(_fileno(file), _O_BINARY);
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!words) return args;
  for (int i = 1; i < count; ++i) args.push_back(FromWide(words[i], wcslen(words[i])));
  ::LocalFree(words);
  return args;
}

void UseUtf8StandardStreams() {
  Prepare(StandardStream::Output, std::cout, stdout);
  Prepare(StandardStream::Error, std::cerr, stderr);
}

bool IsTerminal(StandardStream stream) {
  // Only a console that takes control sequences (Windows 10 and later) can
  // redraw a progress line in place.
  const HANDLE handle = StreamHandle(stream);
  DWORD mode = 0;
  return IsConsole(handle) && ::GetConsoleMode(handle, &mode) &&
         (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

}  // namespace velloran
