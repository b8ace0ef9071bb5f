// The settings store is the registry: HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE, string values (REG_SZ). Keys hold INI paths, so the
// wide functions keep every character of them.

#include <vector>

#include "platform/win32/Backends-win32.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {

HKEY RootOf(Hive hive) {
  return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// A trailing backslash names the key itself, as in the hive files of the
// other systems; the registry would refuse the empty last part.
std::string KeyName(std::string_view keyPath) {
  while (!keyPath.empty() && keyPath.back() == '\\') keyPath.remove_suffix(1);
  return std::string(keyPath);
}

class RegistrySettingsStore : public SettingsStore {
 public:
  Result<std::optional<std::string>> ReadValue(Hive hive, std::string_view keyPath,
                                               std::string_view name) override {
    HKEY key = nullptr;
    LONG rc =
        ::RegOpenKeyExW(RootOf(hive), Wide(KeyName(keyPath)).c_str(), 0, KEY_QUERY_VALUE, &key);
    if (rc == ERROR_FILE_NOT_FOUND) return std::optional<std::string>();
    if (rc != ERROR_SUCCESS) return Win32Error(static_cast<DWORD>(rc));

    const std::wstring valueName = Wide(name);
    std::vector<wchar_t> data(256);
    DWORD type = 0;
    for (;;) {
      DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
      rc = ::RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
      if (rc == ERROR_MORE_DATA) {
        // The value may grow between the calls: ask again with its new size.
        data.resize(size / sizeof(wchar_t) + 2);
        continue;
      }
      ::RegCloseKey(key);
      if (rc == ERROR_FILE_NOT_FOUND) return std::optional<std::string>();
      if (rc != ERROR_SUCCESS) return Win32Error(static_cast<DWORD>(rc));
      if (type != REG_SZ && type != REG_EXPAND_SZ)
        return PlatformError{ERROR_DATATYPE_MISMATCH,
                             "The registry value " + std::string(name) + " is not a string."};
      // A string written without its terminating zero reads back whole.
      std::wstring wide(data.data(), size / sizeof(wchar_t));
      if (!wide.empty() && wide.back() == L'\0') wide.pop_back();
      std::string value = FromWide(wide);
      return std::optional<std::string>(std::move(value));
    }
  }

  Status WriteValue(Hive hive, std::string_view keyPath, std::string_view name,
                    std::string_view value) override {
    HKEY key = nullptr;
    LONG rc = ::RegCreateKeyExW(RootOf(hive), Wide(KeyName(keyPath)).c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return Win32Error(static_cast<DWORD>(rc));
    const std::wstring valueName = Wide(name), data = Wide(value);
    rc = ::RegSetValueExW(key, valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return Win32Error(static_cast<DWORD>(rc));
    return Status::Ok();
  }
};

}  // namespace

std::unique_ptr<SettingsStore> MakeRegistrySettingsStore() {
  return std::make_unique<RegistrySettingsStore>();
}

}  // namespace velloran
