// Whether "auto" tries a Kerberos bind: decided by what the Kerberos library
// finds in the default credential cache, whatever kind of cache it is.

#include <gtest/gtest.h>
#include <krb5.h>
#include <stdlib.h>

#include <ctime>
#include <string>

#include "platform/ldap/KerberosTicket.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

/// Puts a ticket-granting ticket for user@TEST into `cacheName` (created
/// when missing), as kinit would; false when the cache kind is unusable here.
bool StoreTicket(const std::string& cacheName) {
  krb5_context ctx = nullptr;
  if (krb5_init_context(&ctx) != 0) return false;
  krb5_ccache cache = nullptr;
  krb5_creds creds{};
  bool stored = false;
  if (krb5_cc_resolve(ctx, cacheName.c_str(), &cache) == 0 &&
      krb5_parse_name(ctx, "user@TEST", &creds.client) == 0 &&
      krb5_parse_name(ctx, "krbtgt/TEST@TEST", &creds.server) == 0 &&
      krb5_cc_initialize(ctx, cache, creds.client) == 0) {
    static char key[32] = {};
    static char ticket[] = "ticket";
    creds.keyblock.enctype = ENCTYPE_AES256_CTS_HMAC_SHA1_96;
    creds.keyblock.length = sizeof key;
    creds.keyblock.contents = reinterpret_cast<krb5_octet*>(key);
    creds.times.authtime = creds.times.starttime = static_cast<krb5_timestamp>(std::time(nullptr));
    creds.times.endtime = creds.times.authtime + 3600;
    creds.ticket.length = sizeof ticket - 1;
    creds.ticket.data = ticket;
    stored = krb5_cc_store_cred(ctx, cache, &creds) == 0;
  }
  krb5_free_principal(ctx, creds.client);
  krb5_free_principal(ctx, creds.server);
  if (cache) krb5_cc_close(ctx, cache);
  krb5_free_context(ctx);
  return stored;
}

/// An initialised cache that holds no credential (kdestroy leaves none; a
/// fresh KCM or keyring collection looks like this).
void MakeEmptyCache(const std::string& cacheName) {
  krb5_context ctx = nullptr;
  ASSERT_EQ(krb5_init_context(&ctx), 0);
  krb5_ccache cache = nullptr;
  krb5_principal user = nullptr;
  ASSERT_EQ(krb5_cc_resolve(ctx, cacheName.c_str(), &cache), 0);
  ASSERT_EQ(krb5_parse_name(ctx, "user@TEST", &user), 0);
  EXPECT_EQ(krb5_cc_initialize(ctx, cache, user), 0);
  krb5_free_principal(ctx, user);
  krb5_cc_close(ctx, cache);
  krb5_free_context(ctx);
}

void Destroy(const std::string& cacheName) {
  krb5_context ctx = nullptr;
  if (krb5_init_context(&ctx) != 0) return;
  krb5_ccache cache = nullptr;
  if (krb5_cc_resolve(ctx, cacheName.c_str(), &cache) == 0) krb5_cc_destroy(ctx, cache);
  krb5_free_context(ctx);
}

struct KerberosTicket : ::testing::Test {
  test::TempDir dir;
  void SetUp() override {
    // Only the caches each case names: none of this machine's own.
    test::WriteFile(dir / "krb5.conf", "[libdefaults]\n default_realm = TEST\n");
    ::setenv("KRB5_CONFIG", (dir / "krb5.conf").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("KRB5CCNAME");
    ::unsetenv("KRB5_CONFIG");
  }
  bool With(const std::string& cacheName) {
    ::setenv("KRB5CCNAME", cacheName.c_str(), 1);
    return HasKerberosTicket();
  }
};

TEST_F(KerberosTicket, NoCacheOrAnEmptyOneMeansNoTicket) {
  EXPECT_FALSE(With("FILE:" + (dir / "absent").string()));
  EXPECT_FALSE(With("MEMORY:never-made"));
  MakeEmptyCache("MEMORY:emptied");
  EXPECT_FALSE(With("MEMORY:emptied"));
  Destroy("MEMORY:emptied");
  MakeEmptyCache("FILE:" + (dir / "emptied").string());
  EXPECT_FALSE(With("FILE:" + (dir / "emptied").string()));
}

TEST_F(KerberosTicket, ATicketIsFoundInEveryKindOfCache) {
  // Files, and caches that are not files at all (the kernel keyring and KCM
  // are the defaults of current distributions; MEMORY stands for them where
  // this machine offers no keyring).
  const std::string file = "FILE:" + (dir / "krb5cc").string();
  const std::string keyring = "KEYRING:process:velloran-test";
  for (const std::string& name : {file, std::string("MEMORY:velloran-test"), keyring}) {
    SCOPED_TRACE(name);
    if (!StoreTicket(name)) {
      ASSERT_EQ(name, keyring) << "could not make the cache";
      continue;  // no kernel keyring in this sandbox
    }
    EXPECT_TRUE(With(name));
    Destroy(name);
    EXPECT_FALSE(With(name));
  }
}

TEST_F(KerberosTicket, ACacheTheLibraryCannotReadIsLeftToTheBindToExplain) {
  test::WriteFile(dir / "krb5cc", "not a credential cache\n");
  EXPECT_TRUE(With("FILE:" + (dir / "krb5cc").string()));
}

}  // namespace
}  // namespace velloran
