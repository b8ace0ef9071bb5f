// The directory client's own failures, before any server answers; the
// searches themselves run against a real slapd in the engine's e2e suite.

#include <gtest/gtest.h>
#include <objbase.h>
#include <oleauto.h>
#include <winsock2.h>
// After objbase.h and oleauto.h: the ADSI flags' header uses their types.
#include <iads.h>

#include <cstdio>
#include <fstream>

// First: it takes back windows.h's GetObject macro.
#include "platform/ldap/AdsiFlags-win32.h"
#include "platform/ldap/LdapDirectory.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {
namespace {

// A loopback port nobody listens on: bound, then released.
int ClosedPort() {
  WSADATA wsa;
  ::WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int len = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  ::closesocket(s);
  return ntohs(a.sin_port);
}

LdapDirectoryOptions Anonymous() {
  LdapDirectoryOptions o;
  o.Bind = LdapBindMode::Anonymous;
  return o;
}

TEST(AdsiDirectory, AServerThatIsDownIsReportedAsWindowsReportsIt) {
  auto dir = MakeLdapDirectory(Anonymous());
  auto bound =
      dir->GetObject("LDAP://127.0.0.1:" + std::to_string(ClosedPort()) + "/dc=corp,dc=test");
  ASSERT_FALSE(bound.ok());
  EXPECT_EQ(bound.error().Number, kServerDown);
  EXPECT_EQ(bound.error().Description, "The server is not operational.");
}

TEST(AdsiDirectory, OnlyTheDirectoryProviderOpens) {
  auto dir = MakeLdapDirectory(Anonymous());
  EXPECT_TRUE(dir->OpenConnection("ADsDSOObject").ok());
  auto other = dir->OpenConnection("MSDASQL");
  ASSERT_FALSE(other.ok());
  EXPECT_EQ(other.error().Number, kProviderNotFound);
}

TEST(AdsiDirectory, QueryTextOutsideTheDialectFailsBeforeAnyBind) {
  auto dir = MakeLdapDirectory(Anonymous());
  auto connection = dir->OpenConnection("ADsDSOObject");
  ASSERT_TRUE(connection.ok());
  auto rs = (*connection)->Execute("Select name FROM printers");
  ASSERT_FALSE(rs.ok());
  EXPECT_EQ(rs.error().Number, kErrorsInCommand);
}

TEST(AdsiDirectory, BindSettingsThatCannotBeUsedFailEveryBind) {
  LdapDirectoryOptions simple;
  simple.Bind = LdapBindMode::Simple;
  simple.User = "CORP\\reader";
  simple.PasswordFile = "Z:\\nonexistent\\password.txt";
  auto dir = MakeLdapDirectory(simple);
  auto bound = dir->GetObject("LDAP://127.0.0.1/dc=corp,dc=test");
  ASSERT_FALSE(bound.ok());
  EXPECT_EQ(bound.error().Number, kInvalidSetting);
  EXPECT_NE(bound.error().Description.find("VELLORAN_LDAP_PASSWORD_FILE"), std::string::npos);

  LdapDirectoryOptions invalid;
  invalid.Invalid = PlatformError{kInvalidSetting, "VELLORAN_LDAP_BIND: unknown value"};
  EXPECT_EQ(MakeLdapDirectory(invalid)->OpenConnection("ADsDSOObject").error().Description,
            "VELLORAN_LDAP_BIND: unknown value");
}

// A password goes out inside TLS only, as over OpenLDAP ("none" is the
// administrator's explicit choice); binds without one keep their flags.
TEST(AdsiDirectory, ASimpleBindAsksForTlsUnlessToldNone) {
  struct Case {
    LdapBindMode Bind;
    LdapTlsMode Tls;
    const char* Path;
    unsigned long Flags;
  };
  const unsigned long kSecure = ADS_SECURE_AUTHENTICATION;
  const Case cases[] = {
      {LdapBindMode::Simple, LdapTlsMode::Auto, "LDAP://dc.corp.test/DC=corp,DC=test",
       ADS_USE_ENCRYPTION},
      {LdapBindMode::Simple, LdapTlsMode::Auto, "LDAP://dc.corp.test:636/DC=corp,DC=test",
       ADS_USE_SSL},
      {LdapBindMode::Simple, LdapTlsMode::Auto, "LDAP://gc.corp.test:3269", ADS_USE_SSL},
      {LdapBindMode::Simple, LdapTlsMode::StartTls, "LDAP://DC=corp,DC=test", ADS_USE_ENCRYPTION},
      {LdapBindMode::Simple, LdapTlsMode::None, "LDAP://dc.corp.test/DC=corp,DC=test", 0},
      {LdapBindMode::Anonymous, LdapTlsMode::Auto, "LDAP://dc.corp.test/DC=corp,DC=test", 0},
      {LdapBindMode::Auto, LdapTlsMode::Auto, "LDAP://dc.corp.test/DC=corp,DC=test", kSecure},
      {LdapBindMode::Gssapi, LdapTlsMode::StartTls, "LDAP://dc.corp.test",
       kSecure | ADS_USE_ENCRYPTION}};
  for (const Case& c : cases) {
    LdapDirectoryOptions o;
    o.Bind = c.Bind;
    o.Tls = c.Tls;
    EXPECT_EQ(AdsBindFlags(o, c.Path), c.Flags)
        << c.Path << " bind " << static_cast<int>(c.Bind) << " tls " << static_cast<int>(c.Tls);
  }
}

// An empty password makes a simple bind an unauthenticated one that looks
// like success: refused before any server is asked.
TEST(AdsiDirectory, AnEmptyPasswordIsRefusedBeforeAnyBind) {
  char folder[MAX_PATH] = {};
  ::GetTempPathA(sizeof folder, folder);
  const std::string file = std::string(folder) + "velloran-empty-password.txt";
  std::ofstream(file, std::ios::binary) << "\r\n";
  LdapDirectoryOptions simple;
  simple.Bind = LdapBindMode::Simple;
  simple.User = "CORP\\reader";
  simple.PasswordFile = file;
  auto bound = MakeLdapDirectory(simple)->GetObject(
      "LDAP://127.0.0.1:" + std::to_string(ClosedPort()) + "/dc=corp,dc=test");
  std::remove(file.c_str());
  ASSERT_FALSE(bound.ok());
  EXPECT_EQ(bound.error().Number, kInvalidSetting);
  EXPECT_NE(bound.error().Description.find("the password is empty"), std::string::npos)
      << bound.error().Description;
}

}  // namespace
}  // namespace velloran
