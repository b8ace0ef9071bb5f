// Directory paths and the provider's query dialect.

#include <gtest/gtest.h>

#include "platform/Directory.h"

namespace velloran {
namespace {

TEST(AdsPath, ServerPortAndDNForms) {
  struct Case {
    const char* path;
    const char* host;
    int port;
    const char* dn;
  };
  for (auto c :
       {Case{"LDAP://dc01.corp.test/DC=corp,DC=test", "dc01.corp.test", 0, "DC=corp,DC=test"},
        Case{"LDAP://127.0.0.1:3890/ou=x,dc=y", "127.0.0.1", 3890, "ou=x,dc=y"},
        Case{"LDAP://[::1]:636/dc=y", "::1", 636, "dc=y"},
        Case{"LDAP://DC=corp,DC=test", "", 0, "DC=corp,DC=test"},
        Case{"LDAP://CN=a\\/b,DC=test", "", 0, "CN=a/b,DC=test"},
        // An escaped backslash of the DN does not escape the slash after it.
        Case{"LDAP://h/CN=a\\\\\\/b\\,c,DC=test", "h", 0, "CN=a\\\\/b\\,c,DC=test"},
        Case{"LDAP://corp.test", "corp.test", 0, ""}, Case{"LDAP://corp.test/", "corp.test", 0, ""},
        Case{"LDAP://CORP", "CORP", 0, ""}, Case{"LDAP://", "", 0, ""}}) {
    SCOPED_TRACE(c.path);
    auto parts = ParseAdsPath(c.path);
    ASSERT_TRUE(parts.ok()) << parts.error().Description;
    EXPECT_EQ(parts->Host, c.host);
    EXPECT_EQ(parts->Port, c.port);
    EXPECT_EQ(parts->DN, c.dn);
  }
  for (const char* bad :
       {"ldap://corp.test", "GC://corp.test", "LDAP://host:/dc=x", "LDAP://host:0/dc=x",
        "LDAP://host:99999", "LDAP://ho st/dc=x", "LDAP://[::1/dc=x", "LDAP://a:b:c"}) {
    SCOPED_TRACE(bad);
    auto parts = ParseAdsPath(bad);
    ASSERT_FALSE(parts.ok());
    EXPECT_EQ(parts.error().Number, kBadPathname);
  }
  EXPECT_EQ(CanonicalServer("dc01", 389), "dc01");
  EXPECT_EQ(CanonicalServer("dc01", 0), "dc01");
  EXPECT_EQ(CanonicalServer("dc01", 636), "dc01:636");
  EXPECT_EQ(CanonicalServer("::1", 3890), "[::1]:3890");
}

TEST(DirectoryCommand, TheEngineQueryAndTheDialectAroundIt) {
  auto cmd = ParseDirectoryCommand(
      "Select name, printShareName FROM 'LDAP://127.0.0.1:3890/dc=corp,dc=test' "
      "WHERE objectCategory='printQueue'");
  ASSERT_TRUE(cmd.ok());
  EXPECT_EQ(cmd->Attributes, (std::vector<std::string>{"name", "printShareName"}));
  EXPECT_EQ(cmd->Path, "LDAP://127.0.0.1:3890/dc=corp,dc=test");
  EXPECT_EQ(cmd->Filter, "(objectCategory=printQueue)");

  cmd = ParseDirectoryCommand(
      "  select ADsPath,cn from 'LDAP://x/o=it''s' where objectCategory='printQueue' "
      "and name='SRV-(1)*\\' ;");
  ASSERT_TRUE(cmd.ok());
  EXPECT_EQ(cmd->Path, "LDAP://x/o=it's");
  EXPECT_EQ(cmd->Filter, "(&(objectCategory=printQueue)(name=SRV-\\281\\29*\\5c))");

  cmd = ParseDirectoryCommand("SELECT name FROM 'LDAP://x/dc=y'");
  ASSERT_TRUE(cmd.ok());
  EXPECT_EQ(cmd->Filter, "(objectClass=*)");

  for (const char* bad :
       {"", "SELECT FROM 'LDAP://x'", "SELECT * FROM 'LDAP://x'", "SELECT a FROM LDAP://x",
        "SELECT a FROM 'LDAP://x", "SELECT a FROM 'LDAP://x' WHERE b=c",
        "SELECT a FROM 'LDAP://x' WHERE b='c' OR d='e'", "SELECT a, FROM 'LDAP://x'",
        "SELECTa FROM 'LDAP://x'", "SELECT a FROM 'LDAP://x' ORDER BY a"}) {
    SCOPED_TRACE(bad);
    auto r = ParseDirectoryCommand(bad);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().Number, kErrorsInCommand);
  }
}

}  // namespace
}  // namespace velloran
