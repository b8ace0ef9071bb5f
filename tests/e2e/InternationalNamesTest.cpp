// Names beyond ASCII through a whole directory-mode run: an INI file saved in
// the clients' ANSI code page, a domain path, a printer and a pop-up message
// with é, ü and ß reach the directory, the connections and every report as
// they were typed.

#include <gtest/gtest.h>

#include "tests/support/EngineProcess.h"
#include "tests/support/Slapd.h"

namespace velloran {
namespace {

using namespace test;

TEST(InternationalNames, ReachTheDirectoryTheConnectionsAndEveryReport) {
  EngineFolder engine{VELLORAN_ENGINE_PATH};
  const std::string ou = std::string("ou=Büro-é,") + Slapd::kSuffix;
  Slapd server{test::OrganizationalUnitLdif("Büro-é") +
               test::PrintQueueLdif(ou, {{"NEUSRV-Straße", {"Straße"}}})};
  WriteFile(engine.Connections(), "computer: PC01\nconnection: \\\\ALTSRV\\Straße\n");

  // windows-1252 bytes: ü FC, é E9, ß DF.
  const std::string ini = (engine.Folder() / "move.ini").string();
  WriteFile(
      ini,
      "[GENERAL]\r\nUseActiveDirectory=True\r\nUseManualDefinitions=False\r\n"
      "[ACTIVE DIRECTORY]\r\nDomainName=" +
          server.HostPort() + "/ou=B\xFCro-\xE9," + Slapd::kSuffix +
          "\r\n[NOTIFICATION FILE OUTPUT]\r\nWriteToEventLog=True\r\n"
          "[NOTIFICATION CLIENT POP-UP]\r\nUseClientPopup=True\r\nUseSuccessClientPopup=True\r\n"
          "SuccessMessage=Gr\xFC\xDF"
          "e: \xE9 \xFC \xDF\r\n[SUPPORT]\r\nDebugOn=True\r\n");
  auto r = engine.Run({ini});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;

  const std::string connections = ReadFile(engine.Connections());
  EXPECT_TRUE(Contains(connections, "connection: \\\\NEUSRV\\Straße\n")) << connections;
  EXPECT_FALSE(Contains(connections, "ALTSRV")) << connections;
  const std::string debug = engine.DebugText();
  EXPECT_TRUE(Contains(
      debug, ">> Created connection to AD: LDAP://" + server.HostPort() + "/" + ou + "\r\n"))
      << debug;
  EXPECT_TRUE(Contains(debug, ">> AD Printer: Straße (\\\\NEUSRV\\Straße)\r\n")) << debug;
  EXPECT_TRUE(Contains(debug, ">> SuccessMessage: Grüße: é ü ß\r\n"));
  EXPECT_TRUE(Contains(r.Stderr, "[Velloran] Grüße: é ü ß")) << r.Stderr;
  const std::string events = ReadFile(engine.EventFile());
  EXPECT_TRUE(Contains(events, "\r\nStraße (\\\\NEUSRV\\Straße)\r\n")) << events;
  EXPECT_TRUE(Contains(events, "\r\nPrinter migrated: Straße (ALTSRV)")) << events;
}

}  // namespace
}  // namespace velloran
