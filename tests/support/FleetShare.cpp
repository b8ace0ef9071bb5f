#include "tests/support/FleetShare.h"

#include <cstdio>

#include "engine/modDebug.h"
#include "tests/support/Fakes.h"

namespace velloran::test {

namespace {

std::string Name(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "PC%05d", i);
  return buf;
}

std::string OutcomeFile(bool fails) {
  std::string outcome =
      "\r\n* ----- My Networked Printers ----- *\r\nACCOUNTING (OLDSRV1)\r\nPLOTTER "
      "(PRINTSRV)\r\n"
      "Non-Networked Printer: Local Laser (DO NOTHING)\r\n"
      "* ----- Migrating Networked Printers Between Servers ----- *\r\n";
  outcome += fails ? "Error in adding/migrating network printer: \\\\NEWSRV1\\ACCOUNTING\r\n"
                     "> Error Number: -2147023095\r\n> Error Description: The printer name is "
                     "invalid.\r\n"
                   : "Printer migrated: ACCOUNTING (OLDSRV1)\r\n";
  return outcome + "Printer already migrated: PLOTTER (PRINTSRV)\r\n";
}

}  // namespace

std::string RunDebugText(bool fails, const std::string& line) {
  const std::string stars = std::string(80, '*') + "\r\n";
  std::string debug = stars + std::string(30, '*') + "     BEGIN DEBUG     " +
                      std::string(29, '*') + "\r\n" + stars;
  for (int i = 0; i < 60; ++i) debug += line + "\r\n";
  const std::string status = fails ? "True" : "False";
  debug +=
      ">> Registry Key Value: False\r\n>> Running Velloran, abort status: False\r\n"
      ">> Finished getting network printers, abort status: False\r\n"
      ">> Finished moving via AD, abort status: False\r\n"
      ">> Finished moving manual, abort status: " +
      status + "\r\n>> Finished notification, abort status: " + status + "\r\n" + stars +
      std::string(31, '*') + "     END DEBUG     " + std::string(30, '*') + "\r\n" + stars;
  return debug;
}

namespace {

std::string DebugFile(bool fails) {
  Bytes bytes = EncodeDebugText(RunDebugText(fails));
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

FleetShareFacts WriteFleetShare(const std::filesystem::path& folder, int clients) {
  FleetShareFacts facts;
  std::filesystem::create_directories(folder);
  const std::string failedDebug = DebugFile(true), migratedDebug = DebugFile(false);
  const std::string failedOutcome = OutcomeFile(true), migratedOutcome = OutcomeFile(false);
  for (int i = 0; i < clients; ++i) {
    facts.Listed.push_back(Name(i));
    if (i % 100 == 99) {
      ++facts.Unseen;
      continue;
    }
    const bool fails = i % 25 == 0;
    facts.Failed += fails;
    WriteFile(folder / (Name(i) + (fails ? "_FAILED_report.txt" : "_SUCCESS_report.txt")),
              fails ? failedOutcome : migratedOutcome);
    WriteFile(folder / (Name(i) + ".debug"), fails ? failedDebug : migratedDebug);
  }
  return facts;
}

}  // namespace velloran::test
