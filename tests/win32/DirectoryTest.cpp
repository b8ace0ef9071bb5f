// The directory client's own failures, before any server answers; the
// searches themselves run against a real slapd in the engine's e2e suite.

#include <gtest/gtest.h>
#include <winsock2.h>

// First: it takes back windows.h's GetObject macro.
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

}  // namespace
}  // namespace velloran
