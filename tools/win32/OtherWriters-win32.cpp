// Who may change a file here, by the owner and the access control list of
// the file and of each folder above it.

// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include <filesystem>
#include <vector>

#include "platform/CodePage.h"
#include "tools/InstallDrivers.h"

namespace velloran {

namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string u = Utf8ToUtf16(utf8);
  return std::wstring(u.begin(), u.end());
}

std::string Narrow(const std::wstring& text) {
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

std::string AccountName(PSID sid) {
  wchar_t name[256], domain[256];
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  if (::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
    return Narrow(domainSize ? std::wstring(domain) + L"\\" + name : std::wstring(name));
  wchar_t* text = nullptr;
  std::string out = "an unknown account";
  if (::ConvertSidToStringSidW(sid, &text)) {
    out = Narrow(text);
    ::LocalFree(text);
  }
  return out;
}

/// The accounts that administer this computer, and the one running this.
class TrustedAccounts {
 public:
  TrustedAccounts() {
    for (WELL_KNOWN_SID_TYPE type : {WinBuiltinAdministratorsSid, WinLocalSystemSid}) {
      std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
      DWORD size = static_cast<DWORD>(sid.size());
      if (::CreateWellKnownSid(type, nullptr, sid.data(), &size)) sids_.push_back(sid);
    }
    PSID installer = nullptr;
    if (::ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
                                 &installer)) {
      const DWORD size = ::GetLengthSid(installer);
      const BYTE* bytes = static_cast<const BYTE*>(installer);
      sids_.emplace_back(bytes, bytes + size);
      ::LocalFree(installer);
    }
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
      DWORD size = 0;
      ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
      std::vector<BYTE> buffer(size);
      if (size && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
        const BYTE* bytes = static_cast<const BYTE*>(user);
        sids_.emplace_back(bytes, bytes + ::GetLengthSid(user));
      }
      ::CloseHandle(token);
    }
  }
  bool Contains(PSID sid) const {
    for (const auto& s : sids_)
      if (::EqualSid(const_cast<BYTE*>(s.data()), sid)) return true;
    return false;
  }

 private:
  std::vector<std::vector<BYTE>> sids_;
};

// What lets an account change the file, or put another file or folder in
// the place of the one below a folder. Adding a new entry to a folder (the
// system drive's root lets every user create folders) changes nothing that
// is there.
constexpr ACCESS_MASK kFileWrite = FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER |
                                   DELETE | GENERIC_WRITE | GENERIC_ALL;
constexpr ACCESS_MASK kFolderWrite =
    FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_ALL;

Result<std::string> Writers(const std::filesystem::path& path, bool folder,
                            const TrustedAccounts& trusted) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::wstring name = path.wstring();
  const DWORD code = ::GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT,
                                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                             &owner, nullptr, &dacl, nullptr, &descriptor);
  if (code != ERROR_SUCCESS)
    return PlatformError{static_cast<int32_t>(code), "error " + std::to_string(code)};
  std::string who;
  auto add = [&who](const std::string& w) {
    if (who.find(w) == std::string::npos) who += (who.empty() ? "" : ", ") + w;
  };
  if (owner && !trusted.Contains(owner)) add(AccountName(owner) + " (its owner)");
  if (!dacl) {
    add("everyone (it has no access control list)");
  } else {
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
      void* ace = nullptr;
      if (!::GetAce(dacl, i, &ace)) continue;
      const auto* header = static_cast<const ACE_HEADER*>(ace);
      if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
        continue;
      const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
      if (!(allowed->Mask & (folder ? kFolderWrite : kFileWrite))) continue;
      PSID sid = const_cast<DWORD*>(&allowed->SidStart);
      if (!trusted.Contains(sid)) add(AccountName(sid));
    }
  }
  ::LocalFree(descriptor);
  return who.empty() ? std::string() : Narrow(name) + " may be changed by " + who;
}

}  // namespace

Result<std::string> OtherWriters(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path file = fs::absolute(fs::path(Wide(path)), ec);
  if (ec) return PlatformError{ec.value(), ec.message()};
  const TrustedAccounts trusted;
  auto who = Writers(file, false, trusted);
  if (!who || !who->empty()) return who;
  for (fs::path folder = file.parent_path(); !folder.empty(); folder = folder.parent_path()) {
    who = Writers(folder, true, trusted);
    if (!who || !who->empty()) return who;
    if (folder == folder.root_path() || folder.parent_path() == folder) break;
  }
  return std::string();
}

}  // namespace velloran
