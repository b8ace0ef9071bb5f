#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Backends.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(FileSettingsStore, ValuesRoundTripPerHiveAndKeyPathsKeepTheirCase) {
  TempDir dir;
  auto store = MakeFileSettingsStore((dir / "u/user.hive").string(), (dir / "m/machine.hive").string());
  auto missing = store->ReadValue(Hive::CurrentUser, "Software\\Velloran\\C:\\a.ini", "SUCCESS");
  ASSERT_TRUE(missing.ok());
  EXPECT_FALSE(missing->has_value());

  ASSERT_TRUE((store->WriteValue(Hive::CurrentUser, "Software\\Velloran\\C:\\a.ini", "SUCCESS", "True")).ok());
  ASSERT_TRUE((store->WriteValue(Hive::CurrentUser, "Software\\Velloran\\C:\\a.ini", "success", "False")).ok());
  ASSERT_TRUE((store->WriteValue(Hive::LocalMachine, "Software\\Velloran\\C:\\a.ini", "SUCCESS", "True")).ok());
  // File names are case-sensitive here: another case is another INI file.
  ASSERT_TRUE((store->WriteValue(Hive::CurrentUser, "Software\\Velloran\\C:\\A.INI", "SUCCESS", "True")).ok());

  EXPECT_EQ(**store->ReadValue(Hive::CurrentUser, "Software\\Velloran\\C:\\a.ini", "Success"), "False");
  EXPECT_EQ(**store->ReadValue(Hive::CurrentUser, "Software\\Velloran\\C:\\A.INI", "Success"), "True");
  EXPECT_FALSE(store->ReadValue(Hive::CurrentUser, "software\\velloran\\c:\\a.ini", "SUCCESS")->has_value());
  EXPECT_EQ(**store->ReadValue(Hive::LocalMachine, "Software\\Velloran\\C:\\a.ini", "SUCCESS"), "True");

  struct stat st {};
  ASSERT_EQ(::stat((dir / "u/user.hive").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((dir / "u").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(FileSettingsStore, KeyPathsKeepEmptyPartsAndOddCharacters) {
  TempDir dir;
  auto store = MakeFileSettingsStore((dir / "user.hive").string(), (dir / "machine.hive").string());
  const std::string unc = "Software\\Velloran\\\\\\srv\\share\\x.ini";
  const std::string rooted = "Software\\Velloran\\\\srv\\share\\x.ini";
  const std::string odd = "Software\\Velloran\\C:\\[a]=b%\nc.ini";
  ASSERT_TRUE((store->WriteValue(Hive::CurrentUser, unc, "SUCCESS", "True")).ok());
  ASSERT_TRUE((store->WriteValue(Hive::CurrentUser, rooted, "SUCCESS", "False")).ok());
  ASSERT_TRUE((store->WriteValue(Hive::CurrentUser, odd, "a=b", "line\r\nbreak")).ok());
  // The empty INI path: the trailing separator names the application key.
  ASSERT_TRUE((store->WriteValue(Hive::CurrentUser, "Software\\Velloran\\", "SUCCESS", "True")).ok());

  EXPECT_EQ(**store->ReadValue(Hive::CurrentUser, unc, "SUCCESS"), "True");
  EXPECT_EQ(**store->ReadValue(Hive::CurrentUser, rooted, "SUCCESS"), "False");
  EXPECT_EQ(**store->ReadValue(Hive::CurrentUser, odd, "a=b"), "line\r\nbreak");
  EXPECT_EQ(**store->ReadValue(Hive::CurrentUser, "Software\\Velloran", "SUCCESS"), "True");
}

TEST(FileSettingsStore, AnUnwritableLocationFails) {
  TempDir dir;
  WriteFile(dir / "file", "x");
  auto store = MakeFileSettingsStore((dir / "file/user.hive").string(), (dir / "m.hive").string());
  EXPECT_FALSE(store->WriteValue(Hive::CurrentUser, "K", "V", "1").ok());
}

TEST(ConnectionProfile, EnumeratesAddsAndRemovesKeepingTheRestOfTheFile) {
  TempDir dir;
  const auto path = dir / "connections.txt";
  WriteFile(path,
            "# my desk\ncomputer: PC09\nconnection: \\\\OLDSRV1\\ACCOUNTING\nconnection: Local Laser\n"
            "\nshare: \\\\NEWSRV1\\ACCOUNTING\n");
  auto factory = MakeConnectionProfile(path.string());
  auto net = factory->Create("WScript.Network");
  ASSERT_TRUE(net.ok());
  auto& obj = *net;

  EXPECT_EQ(*obj->ComputerName(), "PC09");
  auto items = obj->EnumPrinterConnections();
  ASSERT_TRUE(items.ok());
  ASSERT_EQ(items->size(), 4u);
  EXPECT_EQ((*items)[1], "\\\\OLDSRV1\\ACCOUNTING");
  EXPECT_EQ((*items)[3], "Local Laser");

  auto bad = obj->AddWindowsPrinterConnection("\\\\NEWSRV2\\ACCOUNTING");
  ASSERT_TRUE(!bad.ok());
  EXPECT_EQ(bad.error().Number, -2147023095);
  EXPECT_EQ(bad.error().Description, "The printer name is invalid.");

  EXPECT_TRUE((obj->RemovePrinterConnection("\\\\oldsrv1\\accounting", true, true)).ok());
  auto gone = obj->RemovePrinterConnection("\\\\OLDSRV1\\ACCOUNTING", true, true);
  ASSERT_TRUE(!gone.ok());
  EXPECT_EQ(gone.error().Number, -2147022646);
  EXPECT_EQ(gone.error().Description, "This network connection does not exist.");

  EXPECT_TRUE((obj->AddWindowsPrinterConnection("\\\\newsrv1\\Accounting")).ok());
  EXPECT_TRUE((obj->AddWindowsPrinterConnection("\\\\NEWSRV1\\ACCOUNTING")).ok());  // already there: no change
  EXPECT_EQ(ReadFile(path),
            "# my desk\ncomputer: PC09\nconnection: Local Laser\nconnection: \\\\newsrv1\\Accounting\n"
            "\nshare: \\\\NEWSRV1\\ACCOUNTING\nshare: \\\\OLDSRV1\\ACCOUNTING\n");
}

TEST(ConnectionProfile, MissingFileFailsClearlyAndNoneCannotBeCreated) {
  TempDir dir;
  auto factory = MakeConnectionProfile((dir / "absent.txt").string());
  auto items = (*factory->Create("WScript.Network"))->EnumPrinterConnections();
  ASSERT_FALSE(items.ok());
  EXPECT_NE(items.error().Description.find("absent.txt"), std::string::npos);

  auto none = MakeNetworkFactory("none");
  ASSERT_TRUE(none.ok());
  EXPECT_FALSE((*none)->Create("WScript.Network").ok());
  EXPECT_FALSE(MakeNetworkFactory("cupz").ok());
}

TEST(FileEventLog, AppendsOneRecordPerEvent) {
  TempDir dir;
  auto log = MakeEventLog("file:" + (dir / "events.log").string());
  ASSERT_TRUE(log.ok());
  ASSERT_TRUE(((*log)->ReportEvent("Velloran", kEventTypeWarning, 20002, "line one\r\nline two")).ok());
  ASSERT_TRUE(((*log)->ReportEvent("Velloran", kEventTypeInformation, 20001, "")).ok());
  EXPECT_EQ(ReadFile(dir / "events.log"),
            "2\t20002\tVelloran\tline one\r\nline two\n4\t20001\tVelloran\t\n");
  EXPECT_FALSE(MakeEventLog("eventlog").ok());
  auto unwritable = MakeEventLog("file:" + (dir / "no/such/folder/e.log").string());
  EXPECT_FALSE((*unwritable)->ReportEvent("Velloran", 2, 1, "x").ok());
}

// With no logging daemon the record is lost; that must be a failure the run
// can log, not a silent success.
TEST(SyslogEventLog, ARecordThatCannotBeDeliveredFailsAndOneThatCanArrives) {
  TempDir dir;
  auto missing = MakeSyslogEventLog((dir / "no-log").string());
  Status lost = missing->ReportEvent("Velloran", 2, 20001, "text");
  ASSERT_FALSE(lost.ok());
  EXPECT_EQ(lost.error().Number, ENOENT);

  const std::string path = (dir / "log").string();
  int server = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(server, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  auto log = MakeSyslogEventLog(path);
  ASSERT_TRUE(log->ReportEvent("Velloran", 2, 20001, "Printer migrated: P1 (A)").ok());
  char buf[512] = {};
  ssize_t n = ::recv(server, buf, sizeof buf - 1, MSG_DONTWAIT);
  ::close(server);
  ASSERT_GT(n, 0);
  const std::string record(buf, static_cast<size_t>(n));
  EXPECT_EQ(record.rfind("<12>", 0), 0u) << record;  // user facility, warning
  EXPECT_NE(record.find(" Velloran[" + std::to_string(::getpid()) +
                        "]: Event ID 20001: Printer migrated: P1 (A)"),
            std::string::npos)
      << record;
}

}  // namespace
}  // namespace velloran
