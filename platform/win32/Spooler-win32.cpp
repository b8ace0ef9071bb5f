// The driver questions asked of the Windows spooler and the policy values
// in the registry.

#include <optional>
#include <vector>

#include "platform/CodePage.h"
#include "platform/ConnectionName.h"
#include "platform/SpoolerDrivers.h"
#include "platform/win32/Backends-win32.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {

constexpr wchar_t kPrinters[] = L"Software\\Policies\\Microsoft\\Windows NT\\Printers";

// The driver attribute that marks a driver package (winspool.h of the
// system's kit; MinGW's headers lack it).
constexpr DWORD kPackageAware = 0x00000001;

// No policy value comes near this; a longer one is not a server list.
constexpr DWORD kMaxListBytes = 64u << 10;

/// A policy key of HKLM opened for reading, or null when it does not exist.
class PolicyKey {
 public:
  explicit PolicyKey(const std::wstring& path) {
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~PolicyKey() {
    if (key_) ::RegCloseKey(key_);
  }
  PolicyKey(const PolicyKey&) = delete;
  PolicyKey& operator=(const PolicyKey&) = delete;

  HKEY get() const { return key_; }

  /// A DWORD value; nullopt when it is absent or of another type, as the
  /// system itself ignores such a value.
  std::optional<uint32_t> Number(const wchar_t* name) const {
    if (!key_) return std::nullopt;
    DWORD value = 0, size = sizeof value, type = 0;
    if (::RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
      return std::nullopt;
    return value;
  }

  std::string Text(const wchar_t* name) const {
    if (!key_) return {};
    DWORD size = 0, type = 0;
    if (::RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxListBytes)
      return {};
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                           &size) != ERROR_SUCCESS)
      return {};
    size_t length = 0;
    while (length < size / sizeof(wchar_t) && data[length]) ++length;
    return FromWide(data.data(), length);
  }

  /// The text data of every value of the key.
  std::vector<std::string> AllTexts() const {
    std::vector<std::string> out;
    if (!key_) return out;
    for (DWORD i = 0;; ++i) {
      wchar_t name[256];
      DWORD length = 256;
      if (::RegEnumValueW(key_, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      if (std::string text = Text(name); !text.empty()) out.push_back(std::move(text));
    }
    return out;
  }

 private:
  HKEY key_ = nullptr;
};

/// A printer handle that closes itself.
class Printer {
 public:
  ~Printer() {
    if (handle_) ::ClosePrinter(handle_);
  }
  HANDLE* put() { return &handle_; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

/// The buffer a spooler call fills, sized by asking it first.
template <typename Call>
Result<std::vector<BYTE>> SpoolerBuffer(Call call) {
  DWORD needed = 0;
  if (call(nullptr, 0, &needed)) return std::vector<BYTE>();
  DWORD code = ::GetLastError();
  if (code != ERROR_INSUFFICIENT_BUFFER) return Win32Error(code);
  std::vector<BYTE> buffer(needed);
  if (!call(buffer.data(), needed, &needed)) return LastWin32Error();
  return buffer;
}

class WindowsSpooler : public SpoolerSystem {
 public:
  Result<PointAndPrintPolicy> ReadPolicy() override {
    const std::wstring printers = kPrinters;
    PolicyKey point(printers + L"\\PointAndPrint");
    PolicyKey package(printers + L"\\PackagePointAndPrint");
    PolicyKey servers(printers + L"\\PackagePointAndPrint\\ListofServers");
    PolicyKey protectedPrint(printers + L"\\WPP");
    PointAndPrintPolicy p;
    p.RestrictDriverInstallationToAdministrators =
        point.Number(L"RestrictDriverInstallationToAdministrators");
    p.Restricted = point.Number(L"Restricted");
    p.TrustedServers = point.Number(L"TrustedServers");
    p.ServerList = point.Text(L"ServerList");
    p.NoWarningNoElevationOnInstall = point.Number(L"NoWarningNoElevationOnInstall");
    p.UpdatePromptSettings = point.Number(L"UpdatePromptSettings");
    p.PackagePointAndPrintOnly = package.Number(L"PackagePointAndPrintOnly");
    p.PackagePointAndPrintServerList = package.Number(L"PackagePointAndPrintServerList");
    p.PackageServers = servers.AllTexts();
    // The policy value as the printing policy template names it; the mode
    // value is the one the Settings page writes where no policy is set.
    p.WindowsProtectedPrintGroupPolicyState =
        protectedPrint.Number(L"WindowsProtectedPrintGroupPolicyState");
    p.WindowsProtectedPrintMode = protectedPrint.Number(L"WindowsProtectedPrintMode");
    return p;
  }

  bool Elevated() override {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = sizeof elevation;
    const bool elevated = ::GetTokenInformation(token, TokenElevation, &elevation, size, &size) &&
                          elevation.TokenIsElevated;
    ::CloseHandle(token);
    return elevated;
  }

  Result<std::optional<ServerDriver>> QueueDriver(std::string_view share) override {
    if (Status s = CheckConnectionName(share); !s.ok()) return s.error();
    std::wstring path = Wide(share);
    Printer printer;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!::OpenPrinterW(path.data(), printer.put(), &access)) return LastWin32Error();
    // Level 8 tells the version and whether the driver is package-aware;
    // a server too old for it still tells the name at level 2.
    auto info8 = SpoolerBuffer([&](BYTE* buffer, DWORD size, DWORD* needed) {
      return ::GetPrinterDriverW(printer.get(), nullptr, 8, buffer, size, needed);
    });
    if (info8 && !info8->empty()) {
      const auto* d = reinterpret_cast<const DRIVER_INFO_8W*>(info8->data());
      if (!d->pName || !*d->pName) return std::optional<ServerDriver>();
      return std::optional<ServerDriver>(
          ServerDriver{PrinterDriver{FromWide(d->pName, ::wcslen(d->pName)), d->dwlDriverVersion},
                       (d->dwPrinterDriverAttributes & kPackageAware) != 0});
    }
    auto info2 = SpoolerBuffer([&](BYTE* buffer, DWORD size, DWORD* needed) {
      return ::GetPrinterW(printer.get(), 2, buffer, size, needed);
    });
    if (!info2) return info2.error();
    if (info2->empty()) return std::optional<ServerDriver>();
    const auto* p = reinterpret_cast<const PRINTER_INFO_2W*>(info2->data());
    if (!p->pDriverName || !*p->pDriverName) return std::optional<ServerDriver>();
    return std::optional<ServerDriver>(
        ServerDriver{PrinterDriver{FromWide(p->pDriverName, ::wcslen(p->pDriverName)), 0}, false});
  }

  Result<std::vector<PrinterDriver>> LocalDrivers() override {
    DWORD count = 0;
    auto buffer = SpoolerBuffer([&](BYTE* data, DWORD size, DWORD* needed) {
      return ::EnumPrinterDriversW(nullptr, nullptr, 6, data, size, needed, &count);
    });
    if (!buffer) return buffer.error();
    std::vector<PrinterDriver> out;
    const auto* info = reinterpret_cast<const DRIVER_INFO_6W*>(buffer->data());
    for (DWORD i = 0; !buffer->empty() && i < count; ++i)
      if (info[i].pName)
        out.push_back(PrinterDriver{FromWide(info[i].pName, ::wcslen(info[i].pName)),
                                    info[i].dwlDriverVersion});
    return out;
  }

  Result<bool> HasConnection(std::string_view share) override {
    DWORD count = 0;
    auto buffer = SpoolerBuffer([&](BYTE* data, DWORD size, DWORD* needed) {
      return ::EnumPrintersW(PRINTER_ENUM_CONNECTIONS, nullptr, 4, data, size, needed, &count);
    });
    if (!buffer) return buffer.error();
    const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer->data());
    for (DWORD i = 0; !buffer->empty() && i < count; ++i)
      if (info[i].pPrinterName &&
          SameText(FromWide(info[i].pPrinterName, ::wcslen(info[i].pPrinterName)), share))
        return true;
    return false;
  }

  Status Connect(std::string_view share) override {
    return AddPrinterConnectionWithoutPrompt(share);
  }

  Status Disconnect(std::string_view share) override {
    if (Status s = CheckConnectionName(share); !s.ok()) return s;
    if (!::DeletePrinterConnectionW(Wide(share).data())) return LastWin32Error();
    return Status::Ok();
  }
};

}  // namespace

// A logon has nobody to answer a dialog: with this flag the spooler fails
// where the plain calls (and the script object's add) would ask whether to
// install a driver, or for an administrator's consent.
Status AddPrinterConnectionWithoutPrompt(std::string_view path) {
  if (Status s = CheckConnectionName(path); !s.ok()) return s;
  // Wine's spooler exports the call as a stub that ends the process when
  // called (measured with Wine 8): there the add fails as a call Windows
  // would have answered.
  if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
      ntdll && ::GetProcAddress(ntdll, "wine_get_version"))
    return Win32Error(ERROR_CALL_NOT_IMPLEMENTED);
  std::wstring name = Wide(path);
  // The headers declare the structure in its ANSI shape only; with no
  // driver name given, the wide call reads the same bytes.
  PRINTER_CONNECTION_INFO_1 info{};
  info.dwFlags = PRINTER_CONNECTION_NO_UI;
  if (!::AddPrinterConnection2W(nullptr, name.c_str(), 1, &info)) return LastWin32Error();
  return Status::Ok();
}

std::unique_ptr<SpoolerSystem> MakeWindowsSpooler() { return std::make_unique<WindowsSpooler>(); }

}  // namespace velloran
