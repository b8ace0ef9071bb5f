// What the SMB helper hands back, read as untrusted text, and what the
// lister refuses before any helper starts.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>

#include "check/smb/SmbAnswer.h"
#include "check/smb/SmbShareLister.h"
#include "tests/support/Fakes.h"

namespace velloran::check {
namespace {

using namespace std::chrono_literals;
using test::Contains;
using test::TempDir;
using test::WriteFile;

SmbReply Shares(std::vector<SmbEntry> shares) {
  SmbReply r;
  r.Shares = std::move(shares);
  return r;
}

TEST(SmbReply, EachRecordIsCountedOutExactly) {
  struct Case {
    std::string text;
    std::optional<SmbReply> reply;
  };
  SmbReply failure;
  failure.Error = 111;
  const Case cases[] = {
      {"L", Shares({})},
      {"L4 6 LASER1", Shares({{4, "LASER1"}})},
      // A name may start with a blank or a digit, or hold the separators.
      {"L4 6  Space3 5 Files", Shares({{4, " Space"}, {3, "Files"}})},
      {"L4 3 12 4 2 4 ", Shares({{4, "12 "}, {4, "4 "}})},
      {"L0 0 ", Shares({{0, ""}})},
      {"E111\n", failure},
      // Anything else is no answer: cut, padded, signed, spelled twice.
      {"", std::nullopt},
      {"X", std::nullopt},
      {"L4 6 LASER", std::nullopt},
      {"L4 6 LASER1x", std::nullopt},
      {"L4  6 LASER1", std::nullopt},
      {"L4 06 LASER1", std::nullopt},
      {"L+4 6 LASER1", std::nullopt},
      {"L-4 6 LASER1", std::nullopt},
      {"L4 99999999999999999999999 x", std::nullopt},
      {"L4 6", std::nullopt},
      {"E", std::nullopt},
      {"E0\n", std::nullopt},
      {"E-5\n", std::nullopt},
      {"E5", std::nullopt},
      {"E5\nL", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseSmbReply(c.text), c.reply);
    if (c.reply) {
      EXPECT_EQ(SmbReplyText(*c.reply), c.text);
    }
  }
  EXPECT_FALSE(ParseSmbReply("L" + std::string(kMaxSmbReplyBytes, 'x')));
}

TEST(SmbReply, AServerOfManySharesIsReadInLinearTime) {
  SmbReply many;
  for (int i = 0; i < 200000; ++i) many.Shares.push_back({4, "PRINTER-" + std::to_string(i)});
  const std::string text = SmbReplyText(many);
  const auto start = std::chrono::steady_clock::now();
  const auto back = ParseSmbReply(text);
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Shares.size(), many.Shares.size());
  // Quadratic parsing took seconds here; linear takes milliseconds.
  EXPECT_LT(took, 1s);
}

ServerAnswer AskWith(SmbCredentials credentials, const std::string& script,
                     std::chrono::milliseconds within = 20s) {
  auto lister = MakeSmbShareLister(std::move(credentials), {"/bin/sh", {"-c", script, "helper"}});
  return lister->Ask(ServerQuestion{"SRV", {}, true}, Clock::now() + within);
}

TEST(SmbLister, AHelperThatWillNotStopTalkingIsCutOffAtTheCap) {
  const auto start = Clock::now();
  const ServerAnswer a = AskWith({}, "cat /dev/zero >&3");
  EXPECT_NE(a.State, ServerState::Answered);
  EXPECT_FALSE(a.TimedOut) << "cut off by size, not by the deadline";
  EXPECT_TRUE(Contains(a.Detail, "larger than")) << a.Detail;
  EXPECT_LT(Clock::now() - start, 10s);
}

TEST(SmbLister, CredentialsOverTheCapAreRefusedBeforeAnythingStarts) {
  TempDir dir;
  const std::string started = (dir / "started").string();
  SmbCredentials c;
  c.User = "CORP\\admin";
  c.Password = std::string(70000, 'p');
  const ServerAnswer a = AskWith(c, "touch '" + started + "'");
  EXPECT_NE(a.State, ServerState::Answered);
  EXPECT_TRUE(Contains(a.Detail, std::to_string(kMaxSmbSecretBytes))) << a.Detail;
  EXPECT_FALSE(std::filesystem::exists(started));

  // Read from the environment, the same password is refused with its file named.
  ::setenv("VELLORAN_LDAP_USER", "CORP\\admin", 1);
  ::setenv("VELLORAN_LDAP_PASSWORD_FILE", (dir / "password").c_str(), 1);
  for (size_t length : {kMaxSmbSecretBytes, kMaxSmbSecretBytes + 1}) {
    SCOPED_TRACE(length);
    WriteFile(dir / "password", std::string(length, 'p') + "\n");
    auto fromEnvironment = SmbCredentialsFromEnvironment();
    if (length <= kMaxSmbSecretBytes) {
      ASSERT_TRUE(fromEnvironment);
      EXPECT_EQ(fromEnvironment->Password.size(), length);
      continue;
    }
    ASSERT_FALSE(fromEnvironment);
    EXPECT_TRUE(Contains(fromEnvironment.error().Description, "VELLORAN_LDAP_PASSWORD_FILE"));
    EXPECT_TRUE(Contains(fromEnvironment.error().Description, std::to_string(kMaxSmbSecretBytes)));
  }
  ::unsetenv("VELLORAN_LDAP_USER");
  ::unsetenv("VELLORAN_LDAP_PASSWORD_FILE");
}

}  // namespace
}  // namespace velloran::check
