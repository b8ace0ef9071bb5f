// clang-format off
#include <windows.h>
#include <lm.h>
#include <winspool.h>
// clang-format on

#include "check/win32/WindowsShareLister.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace velloran::check {

namespace {

// The low byte of a share's type says what it is; the high bits are flags
// (special, temporary). MinGW's headers lack the name STYPE_MASK.
constexpr DWORD kShareTypeMask = 0xFF;

std::wstring Wide(const std::string& utf8) {
  const std::u16string u = Utf8ToUtf16(utf8);
  return std::wstring(u.begin(), u.end());
}

std::string Narrow(const wchar_t* text) {
  if (!text) return {};
  std::u16string u;
  for (; *text; ++text) u.push_back(static_cast<char16_t>(*text));
  return Utf16ToUtf8(u);
}

std::string ErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = n ? Narrow(buffer) : "error " + std::to_string(code);
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
    text.pop_back();
  return text;
}

ServerAnswer Failed(DWORD code) {
  ServerAnswer a;
  a.State = code == ERROR_ACCESS_DENIED || code == ERROR_LOGON_FAILURE ? ServerState::AccessDenied
                                                                       : ServerState::Unreachable;
  a.Detail = ErrorText(code);
  return a;
}

// Installed drivers change rarely during a check: read them once.
const std::set<std::string>& InstalledDrivers() {
  static std::once_flag once;
  static std::set<std::string> names;
  std::call_once(once, [] {
    DWORD needed = 0, count = 0;
    ::EnumPrinterDriversW(nullptr, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed &&
        ::EnumPrinterDriversW(nullptr, nullptr, 2, buffer.data(), needed, &needed, &count)) {
      const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
      for (DWORD i = 0; i < count; ++i) names.insert(FoldCase(Narrow(info[i].pName)));
    }
  });
  return names;
}

// The driver a client would need for \\SERVER\SHARE, or "" when the
// spooler will not tell.
std::string DriverOf(const std::string& server, const std::string& share) {
  std::wstring path = Wide("\\\\" + server + "\\" + share);
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ACCESS_USE};
  if (!::OpenPrinterW(path.data(), &printer, &access)) return {};
  DWORD needed = 0;
  ::GetPrinterW(printer, 2, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed);
  std::string driver;
  if (needed && ::GetPrinterW(printer, 2, buffer.data(), needed, &needed))
    driver = Narrow(reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())->pDriverName);
  ::ClosePrinter(printer);
  return driver;
}

class WindowsShareLister : public ShareLister {
 public:
  ServerAnswer Ask(const ServerQuestion& question, Clock::time_point) override {
    std::wstring server = Wide("\\\\" + question.Server);
    ServerAnswer answer;
    DWORD resume = 0;
    NET_API_STATUS status;
    do {
      BYTE* buffer = nullptr;
      DWORD read = 0, total = 0;
      status =
          ::NetShareEnum(server.data(), 1, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume);
      if (status != NERR_Success && status != ERROR_MORE_DATA) {
        if (buffer) ::NetApiBufferFree(buffer);
        return Failed(status);
      }
      const auto* info = reinterpret_cast<const SHARE_INFO_1*>(buffer);
      for (DWORD i = 0; i < read; ++i) {
        const DWORD type = info[i].shi1_type & kShareTypeMask;
        answer.Shares.push_back(Share{Narrow(info[i].shi1_netname),
                                      type == STYPE_PRINTQ     ? ShareKind::Printer
                                      : type == STYPE_DISKTREE ? ShareKind::Disk
                                                               : ShareKind::Other,
                                      {},
                                      false});
      }
      if (buffer) ::NetApiBufferFree(buffer);
    } while (status == ERROR_MORE_DATA);
    answer.State = ServerState::Answered;
    answer.WholeList = true;

    // The driver of each queue a target names: the one the engine's add
    // would have to install for the user.
    for (Share& share : answer.Shares) {
      if (share.Kind != ShareKind::Printer) continue;
      const bool asked = std::any_of(question.Shares.begin(), question.Shares.end(),
                                     [&](const std::string& s) { return SameText(s, share.Name); });
      if (!asked && !question.WholeList) continue;
      share.Driver = DriverOf(question.Server, share.Name);
      share.DriverMissing =
          !share.Driver.empty() && !InstalledDrivers().count(FoldCase(share.Driver));
    }
    return answer;
  }
};

}  // namespace

std::shared_ptr<ShareLister> MakeWindowsShareLister() {
  return std::make_shared<WindowsShareLister>();
}

}  // namespace velloran::check
