#include "platform/Configuration.h"

#include <gtest/gtest.h>

#include <map>

namespace velloran {
namespace {

EnvironmentLookup Env(std::map<std::string, std::string> vars) {
  return [vars](const char* name) -> std::optional<std::string> {
    auto it = vars.find(name);
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
}

TEST(Configuration, UnsetAndEmptyVariablesTakeTheDefaults) {
  for (const auto& env : {Env({}), Env({{"VELLORAN_PRINTERS", ""}, {"VELLORAN_SMTP_TICK_MS", ""},
                                        {"VELLORAN_MESSAGEBOX", ""}})}) {
    auto c = ReadConfiguration(env);
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c->Printers, "profile:" + DefaultConnectionProfile());
    EXPECT_EQ(c->MessageBox, "auto");
    EXPECT_EQ(c->EventLog, "syslog");
    EXPECT_EQ(c->MachineHive, "/var/lib/velloran/machine.hive");
    EXPECT_EQ(c->SmtpTick.count(), 1000);
  }
}

TEST(Configuration, ValuesAreTakenAsGiven) {
  auto c = ReadConfiguration(Env({{"VELLORAN_PRINTERS", "profile:/x/c.txt"},
                                  {"VELLORAN_USER_HIVE", "/h/u.hive"},
                                  {"VELLORAN_MACHINE_HIVE", "/h/m.hive"},
                                  {"VELLORAN_MESSAGEBOX", "console"},
                                  {"VELLORAN_EVENTLOG", "file:/x/e.log"},
                                  {"VELLORAN_SMTP_TICK_MS", "25"}}));
  ASSERT_TRUE(c.ok());
  EXPECT_EQ(c->Printers, "profile:/x/c.txt");
  EXPECT_EQ(c->UserHive, "/h/u.hive");
  EXPECT_EQ(c->MachineHive, "/h/m.hive");
  EXPECT_EQ(c->MessageBox, "console");
  EXPECT_EQ(c->EventLog, "file:/x/e.log");
  EXPECT_EQ(c->SmtpTick.count(), 25);
}

// A value the engine cannot use stops it with a text naming the variable,
// rather than being replaced by a default the administrator never chose.
TEST(Configuration, UnusableValuesAreRefusedByName) {
  for (const char* bad : {"0", "-5", "fast", "10ms", "3600001", "99999999999999999999"}) {
    auto c = ReadConfiguration(Env({{"VELLORAN_SMTP_TICK_MS", bad}}));
    ASSERT_FALSE(c.ok()) << bad;
    EXPECT_EQ(c.error().Number, kInvalidSetting);
    EXPECT_NE(c.error().Description.find("VELLORAN_SMTP_TICK_MS"), std::string::npos);
  }
  auto box = ReadConfiguration(Env({{"VELLORAN_MESSAGEBOX", "gtk"}}));
  ASSERT_FALSE(box.ok());
  EXPECT_EQ(box.error().Description, "VELLORAN_MESSAGEBOX must be auto, console or qt, not \"gtk\"");
}

}  // namespace
}  // namespace velloran
