#include "toolkit/core/DomainList.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"

namespace velloran {
namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) { return AsciiLower(a) == AsciiLower(b); }

void AddOnce(std::vector<std::string>& names, std::string_view name) {
  if (name.empty()) return;
  for (const std::string& known : names) {
    if (SameText(known, name)) return;
  }
  names.emplace_back(name);
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string_view StripComment(std::string_view line) {
  return Trim(line.substr(0, line.find_first_of("#;")));
}

// "DC=corp, dc=example,dc=com" -> "corp.example.com"; "" for a base that is
// no domain (o=..., ou=... without dc parts).
std::string DomainOfBase(std::string_view base) {
  std::string domain;
  size_t start = 0;
  while (start <= base.size()) {
    const size_t end = std::min(base.find(',', start), base.size());
    const std::string_view rdn = base.substr(start, end - start);
    start = end + 1;
    const size_t equals = rdn.find('=');
    if (equals == std::string_view::npos || !SameName(Trim(rdn.substr(0, equals)), "dc")) continue;
    const std::string_view value = Trim(rdn.substr(equals + 1));
    if (value.empty()) continue;
    if (!domain.empty()) domain += '.';
    domain += value;
  }
  return domain;
}

std::string ReadText(const std::string& path) {
  auto content = path.empty() ? Result<std::string>(PlatformError{0, ""}) : ReadWholeFile(path);
  return content ? *content : std::string();
}

}  // namespace

std::vector<std::string> DomainNamesFromConfiguration(std::string_view krb5Conf,
                                                      std::string_view ldapConf) {
  std::vector<std::string> names;
  std::string defaultRealm;
  std::vector<std::string> realms;
  std::string section;
  int depth = 0;
  for (std::string_view raw : Lines(krb5Conf)) {
    const std::string_view line = StripComment(raw);
    if (line.empty()) continue;
    if (depth == 0 && line.front() == '[' && line.back() == ']') {
      section = AsciiLower(Trim(line.substr(1, line.size() - 2)));
      continue;
    }
    const size_t equals = line.find('=');
    const std::string_view key =
        equals == std::string_view::npos ? std::string_view() : Trim(line.substr(0, equals));
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : Trim(line.substr(equals + 1));
    if (depth == 0 && section == "libdefaults" && SameName(key, "default_realm"))
      defaultRealm = value;
    if (depth == 0 && section == "realms" && value.starts_with('{')) realms.emplace_back(key);
    depth += static_cast<int>(std::count(line.begin(), line.end(), '{')) -
             static_cast<int>(std::count(line.begin(), line.end(), '}'));
    if (depth < 0) depth = 0;
  }
  AddOnce(names, defaultRealm);
  for (const std::string& realm : realms) AddOnce(names, realm);

  for (std::string_view raw : Lines(ldapConf)) {
    const std::string_view line = Trim(raw);
    if (line.starts_with('#')) continue;
    const size_t blank = line.find_first_of(" \t");
    if (blank == std::string_view::npos || !SameName(line.substr(0, blank), "BASE")) continue;
    const std::string_view base = Trim(line.substr(blank));
    if (!base.empty()) AddOnce(names, DomainOfBase(base));
  }
  return names;
}

std::vector<std::string> ConfiguredDomainNames() {
  std::string krb5;
  // KRB5_CONFIG may name several files, as the Kerberos library reads it.
  const std::string files = EnvOr("KRB5_CONFIG", "/etc/krb5.conf");
  size_t start = 0;
  while (start <= files.size()) {
    const size_t end = std::min(files.find(':', start), files.size());
    if (end > start) krb5 += ReadText(files.substr(start, end - start)) + '\n';
    start = end + 1;
  }
  std::string ldap = ReadText(EnvOr("LDAPCONF", "/etc/ldap/ldap.conf"));
  if (const std::string base = EnvOr("LDAPBASE", ""); !base.empty()) ldap += "\nBASE " + base;
  return DomainNamesFromConfiguration(krb5, ldap);
}

}  // namespace velloran
