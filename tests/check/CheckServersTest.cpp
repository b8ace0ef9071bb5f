// The target check against real print servers on loopback: standalone
// Samba servers with printer and disk shares, an address that refuses
// connections, one that takes them and never answers, and CUPS print
// servers over IPP. The servers start once per suite.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <regex>
#include <thread>

#include "check/smb/SmbShareLister.h"
#include "tests/check/Smbd.h"
#include "tests/support/Cupsd.h"
#include "tests/support/EngineProcess.h"

namespace velloran::test {
namespace {

using namespace std::chrono_literals;
using check::Clock;

std::string Numbered(const char* prefix, int n) {
  return prefix + std::string(n < 10 ? "0" : "") + std::to_string(n);
}

struct Ini {
  std::vector<std::pair<std::string, std::string>> servers, printers;
  std::vector<std::array<std::string, 4>>
      mixed;  // from server, from printer, to server, to printer

  std::string Text() const {
    auto join = [](const auto& list, auto field) {
      std::string out;
      for (const auto& e : list) out += (out.empty() ? "" : ",") + field(e);
      return out.empty() ? std::string(" ") : out;
    };
    return "[GENERAL]\r\nUseManualDefinitions=True\r\n[MANUAL DEFINITIONS "
           "SERVERS]\r\nFromServers=" +
           join(servers, [](auto& p) { return p.first; }) +
           "\r\nToServers=" + join(servers, [](auto& p) { return p.second; }) +
           "\r\n[MANUAL DEFINITIONS PRINTERS]\r\nFromPrinters=" +
           join(printers, [](auto& p) { return p.first; }) +
           "\r\nToPrinters=" + join(printers, [](auto& p) { return p.second; }) +
           "\r\n[MANUAL DEFINITIONS MIXED]\r\nFromServers=" +
           join(mixed, [](auto& m) { return m[0]; }) +
           "\r\nFromPrinters=" + join(mixed, [](auto& m) { return m[1]; }) +
           "\r\nToServers=" + join(mixed, [](auto& m) { return m[2]; }) +
           "\r\nToPrinters=" + join(mixed, [](auto& m) { return m[3]; }) + "\r\n";
  }
};

// One table line: pair, target, status (with its detail).
using Line = std::array<std::string, 3>;

std::vector<Line> TableLines(const std::string& out) {
  std::vector<Line> lines;
  std::istringstream in(out);
  std::string line;
  std::getline(in, line);  // the heading
  const std::regex columns(" {2,}");
  while (std::getline(in, line) && !line.empty()) {
    std::vector<std::string> parts(
        std::sregex_token_iterator(line.begin(), line.end(), columns, -1),
        std::sregex_token_iterator());
    if (parts.size() == 3) lines.push_back({parts[0], parts[1], parts[2]});
  }
  return lines;
}

std::string Unc(const std::string& server, const std::string& share = "") {
  return "\\\\" + server + (share.empty() ? "" : "\\" + share);
}

struct CheckTool : ::testing::Test {
  TempDir dir;
  std::map<std::string, std::string> env;

  ProcessResult Check(const Ini& ini, std::vector<std::string> args) {
    WriteFile(dir / "move.ini", ini.Text());
    args.insert(args.begin(), {"check", (dir / "move.ini").string(), "--no-progress"});
    // No Kerberos ticket and no directory credentials: the servers are
    // asked as guest.
    return RunProcess(VELLORAN_TOOL_PATH, args, env, "",
                      {"KRB5CCNAME", "VELLORAN_LDAP_USER", "VELLORAN_LDAP_PASSWORD_FILE"});
  }
};

// ------------------------------------------------------------------- SMB

struct SmbServers : CheckTool {
  static inline std::unique_ptr<Smbd> oldServer, newServer, closedServer;
  static inline std::unique_ptr<SilentServer> silent;
  static inline std::string silentAddress, refusedAddress;
  static inline std::string skip;

  static std::vector<std::string> NewPrinters() {
    std::vector<std::string> out = {"P01", "P02", "P03"};
    for (int n = 1; n <= 35; ++n)
      if (n != 17) out.push_back(Numbered("Q", n));
    return out;
  }

  static void SetUpTestSuite() {
    if (::geteuid() != 0) {
      skip = "smbd needs root for port 445";
      return;
    }
    oldServer =
        std::make_unique<Smbd>(FreeSmbAddress(), std::vector<std::string>{"P01", "P02", "P03"},
                               std::vector<std::string>{"Home"});
    newServer =
        std::make_unique<Smbd>(FreeSmbAddress(), NewPrinters(), std::vector<std::string>{"Files"});
    closedServer = std::make_unique<Smbd>(FreeSmbAddress(), std::vector<std::string>{"Q01"},
                                          std::vector<std::string>{}, false);
    silentAddress = FreeSmbAddress();
    silent = std::make_unique<SilentServer>(silentAddress);
    refusedAddress = FreeSmbAddress();
    // A server's first share list waits for its RPC helpers to start
    // (seconds): the tests must not measure that.
    auto lister = check::MakeSmbShareLister({});
    for (const Smbd* s : {oldServer.get(), newServer.get()})
      for (int attempt = 0; attempt < 3; ++attempt)
        if (lister->Ask({s->Address(), {}, true}, Clock::now() + 20s).State ==
            check::ServerState::Answered)
          break;
  }
  static void TearDownTestSuite() {
    oldServer.reset();
    newServer.reset();
    closedServer.reset();
    silent.reset();
  }
  void SetUp() override {
    if (!skip.empty()) GTEST_SKIP() << skip;
  }
  const std::string& Old() const { return oldServer->Address(); }
  const std::string& New() const { return newServer->Address(); }
};

// In a forked copy of the test, and in the command's helper mode, as the
// command and the toolkit ask.
class SmbListers : public SmbServers, public ::testing::WithParamInterface<bool> {
 protected:
  std::shared_ptr<check::ShareLister> Lister() const {
    if (!GetParam()) return check::MakeSmbShareLister({});
    return check::MakeSmbShareLister({}, {VELLORAN_TOOL_PATH, {"check", "--smb-helper"}});
  }
};
INSTANTIATE_TEST_SUITE_P(Children, SmbListers, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Helper" : "Forked"; });

TEST_P(SmbListers, TheListerTellsPrintersFromOtherSharesAndFailuresApart) {
  auto lister = Lister();
  check::ServerAnswer a = lister->Ask({Old(), {}, true}, Clock::now() + 10s);
  ASSERT_EQ(a.State, check::ServerState::Answered) << a.Detail;
  std::map<std::string, check::ShareKind> kinds;
  for (const auto& s : a.Shares) kinds[s.Name] = s.Kind;
  EXPECT_EQ(kinds["P01"], check::ShareKind::Printer);
  EXPECT_EQ(kinds["P03"], check::ShareKind::Printer);
  EXPECT_EQ(kinds["Home"], check::ShareKind::Disk);
  EXPECT_EQ(kinds["IPC$"], check::ShareKind::Other);

  const auto start = Clock::now();
  a = lister->Ask({refusedAddress, {}, true}, Clock::now() + 10s);
  EXPECT_EQ(a.State, check::ServerState::Unreachable);
  EXPECT_LT(Clock::now() - start, 5s) << "a refused connection is no time-out";

  // The library's own time-out is the deadline: a silent server must not
  // hold the call for its default 20 s.
  const auto silentStart = Clock::now();
  a = lister->Ask({silentAddress, {}, true}, Clock::now() + 1s);
  EXPECT_EQ(a.State, check::ServerState::Unreachable);
  EXPECT_LT(Clock::now() - silentStart, 10s);
}

TEST_F(SmbServers, AHelperThatCannotStartIsNamed) {
  auto lister = check::MakeSmbShareLister({}, {"/nonexistent/velloran", {}});
  const check::ServerAnswer a = lister->Ask({Old(), {}, true}, Clock::now() + 5s);
  EXPECT_EQ(a.State, check::ServerState::Unreachable);
  EXPECT_EQ(a.Detail, "cannot start /nonexistent/velloran");
}

TEST_F(SmbServers, FortyPairsShowEveryTargetAndOneMissingQueueFailsTheCheck) {
  Ini ini;
  ini.servers = {{Old(), New()}};
  ini.printers = {{"P01", "Q01"}, {"P02", "Q02"}};
  for (int n = 1; n <= 35; ++n) ini.mixed.push_back({Old(), "X", New(), Numbered("Q", n)});
  ini.mixed.push_back({Old(), "X", silentAddress, "Q01"});
  ini.mixed.push_back({Old(), "X", refusedAddress, "Q01"});

  const auto start = Clock::now();
  ProcessResult r = Check(ini, {"--server", New()});
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  RecordProperty("seconds", std::to_string(seconds));
  std::cout << "velloran check, 40 pairs, one silent server: " << seconds << " s\n";

  EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
  std::vector<Line> expected;
  const std::string serversPair = "servers 1: " + Old() + " -> " + New();
  for (const char* p : {"P01", "P02", "P03"})
    expected.push_back({serversPair, Unc(New(), p), "found"});
  expected.push_back({"printers 1: P01 -> Q01", Unc(New(), "Q01"), "found"});
  expected.push_back({"printers 2: P02 -> Q02", Unc(New(), "Q02"), "found"});
  for (int n = 1; n <= 35; ++n) {
    const std::string q = Numbered("Q", n);
    expected.push_back(
        {"mixed " + std::to_string(n) + ": " + Unc(Old(), "X") + " -> " + Unc(New(), q),
         Unc(New(), q), n == 17 ? "missing" : "found"});
  }
  expected.push_back({"mixed 36: " + Unc(Old(), "X") + " -> " + Unc(silentAddress, "Q01"),
                      Unc(silentAddress, "Q01"), "server unreachable (no answer within 3 s)"});
  expected.push_back({"mixed 37: " + Unc(Old(), "X") + " -> " + Unc(refusedAddress, "Q01"),
                      Unc(refusedAddress, "Q01"), "server unreachable (Connection refused)"});
  EXPECT_EQ(TableLines(r.Stdout), expected) << r.Stdout;
  EXPECT_TRUE(
      Contains(r.Stdout, "\n39 of 42 targets found, 1 missing, 2 on unreachable servers.\n"))
      << r.Stdout;
}

TEST_F(SmbServers, EveryTargetFoundExitsZeroAndJsonHasOneEntryPerTarget) {
  Ini ini;
  ini.servers = {{Old(), New()}};
  ini.mixed = {{Old(), "P01", New(), "q05"}};
  ProcessResult r = Check(ini, {"--json"});
  EXPECT_EQ(r.ExitCode, 0) << r.Stdout << r.Stderr;
  EXPECT_TRUE(Contains(r.Stdout, "\"found\": 4,\n  \"total\": 4\n}")) << r.Stdout;
  EXPECT_TRUE(Contains(r.Stdout,
                       "{\"pair\": \"mixed 1\", \"kind\": \"mixed\", \"index\": 1, "
                       "\"from\": \"\\\\\\\\" +
                           Old() + "\\\\P01\", \"to\": \"\\\\\\\\" + New() +
                           "\\\\q05\", \"target\": \"\\\\\\\\" + New() +
                           "\\\\q05\", \"server\": \"" + New() +
                           "\", \"share\": \"q05\", \"status\": \"found\", "
                           "\"detail\": \"\", \"driver\": \"\", \"driverMissing\": false}"))
      << r.Stdout;
}

TEST_F(SmbServers, ADiskShareIsNoPrinterARefusedLogonIsDeniedAndPrintersPairsNeedAServer) {
  Ini ini;
  ini.printers = {{"OLDQ", "Q01"}};
  ini.mixed = {{Old(), "P01", New(), "Files"}, {Old(), "P01", closedServer->Address(), "Q01"}};
  ProcessResult r = Check(ini, {});
  EXPECT_EQ(r.ExitCode, 1);
  const std::vector<Line> lines = TableLines(r.Stdout);
  ASSERT_EQ(lines.size(), 3u) << r.Stdout;
  EXPECT_EQ(lines[0][1], "Q01");
  EXPECT_TRUE(lines[0][2].starts_with("not checkable")) << r.Stdout;
  EXPECT_EQ(lines[1][1], Unc(New(), "Files"));
  EXPECT_EQ(lines[1][2], "not a printer (a disk share)");
  EXPECT_EQ(lines[2][1], Unc(closedServer->Address(), "Q01"));
  EXPECT_TRUE(lines[2][2].starts_with("access denied")) << r.Stdout;
}

// ------------------------------------------------------------- arguments

TEST_F(CheckTool, BadArgumentsAndUnusableFilesExitTwo) {
  Ini noPairs;
  const std::string ini = (dir / "move.ini").string();
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  WriteFile(dir / "empty.ini", "[GENERAL]\r\nUseManualDefinitions=True\r\n");
  for (const Case& c : std::vector<Case>{
           {{"check"}, "expects an INI file"},
           {{"check", (dir / "missing.ini").string()}, "cannot read"},
           {{"check", dir.str()}, "cannot read"},
           {{"check", (dir / "empty.ini").string()}, "names no pairs"},
           {{"check", (dir / "empty.ini").string(), "--protocol", "nfs"}, "--protocol"},
           {{"check", (dir / "empty.ini").string(), "--timeout", "0"}, "--timeout"},
           {{"check", (dir / "empty.ini").string(), "--server"}, "--server expects a value"},
           {{"check", (dir / "empty.ini").string(), "--csv"}, "unexpected argument"},
       }) {
    SCOPED_TRACE(c.says);
    ProcessResult r = RunProcess(VELLORAN_TOOL_PATH, c.args);
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_TRUE(Contains(r.Stderr, c.says)) << r.Stderr;
    EXPECT_TRUE(r.Stdout.empty());
  }
  // The directory's account, named with a password file that is not there:
  // a guest logon in its place would hide the mistake.
  WriteFile(dir / "pair.ini",
            "[MANUAL DEFINITIONS MIXED]\r\nFromServers=A\r\nFromPrinters=B\r\nToServers=C\r\n"
            "ToPrinters=D\r\n");
  ProcessResult noPassword =
      RunProcess(VELLORAN_TOOL_PATH, {"check", (dir / "pair.ini").string()},
                 {{"VELLORAN_LDAP_USER", "CORP\\admin"},
                  {"VELLORAN_LDAP_PASSWORD_FILE", (dir / "nothing").string()}});
  EXPECT_EQ(noPassword.ExitCode, 2);
  EXPECT_TRUE(Contains(noPassword.Stderr, "VELLORAN_LDAP_PASSWORD_FILE")) << noPassword.Stderr;
  // One too long for a logon is refused before any server is asked; it
  // once filled the helper's pipe and hung every server's question.
  WriteFile(dir / "long", std::string(70000, 'p') + "\n");
  const auto start = std::chrono::steady_clock::now();
  ProcessResult longPassword =
      RunProcess(VELLORAN_TOOL_PATH, {"check", (dir / "pair.ini").string(), "--timeout", "30"},
                 {{"VELLORAN_LDAP_USER", "CORP\\admin"},
                  {"VELLORAN_LDAP_PASSWORD_FILE", (dir / "long").string()}},
                 "", {"KRB5CCNAME"});
  EXPECT_EQ(longPassword.ExitCode, 2);
  EXPECT_TRUE(Contains(longPassword.Stderr, "longer than")) << longPassword.Stderr;
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);

  ProcessResult help = RunProcess(VELLORAN_TOOL_PATH, {"check", "--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_TRUE(Contains(help.Stdout, "Usage: velloran check INI"));
}

// ------------------------------------------------------------------- IPP

// An IPP server that answers every request alike with what a hostile or
// broken server may send: printer names and a status message of its
// choosing.
class FakeIppServer {
 public:
  FakeIppServer(const std::string& address, int port, uint16_t status, std::string message,
                std::vector<std::string> printers)
      : response_(Response(status, message, printers)) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0)
      throw std::runtime_error("cannot listen on " + address);
    thread_ = std::thread([this] { Serve(); });
  }
  ~FakeIppServer() {
    ::shutdown(fd_, SHUT_RDWR);
    ::close(fd_);
    thread_.join();
  }
  FakeIppServer(const FakeIppServer&) = delete;
  FakeIppServer& operator=(const FakeIppServer&) = delete;

 private:
  static std::string Attribute(char tag, const std::string& name, const std::string& value) {
    auto length = [](size_t n) {
      return std::string{static_cast<char>(n >> 8), static_cast<char>(n & 0xFF)};
    };
    return tag + length(name.size()) + name + length(value.size()) + value;
  }
  static std::string Response(uint16_t status, const std::string& message,
                              const std::vector<std::string>& printers) {
    std::string body{
        2, 0, static_cast<char>(status >> 8), static_cast<char>(status & 0xFF), 0, 0, 0, 1, 1};
    body += Attribute(0x47, "attributes-charset", "utf-8");
    body += Attribute(0x48, "attributes-natural-language", "en");
    if (!message.empty()) body += Attribute(0x41, "status-message", message);
    for (const std::string& p : printers) body += '\x04' + Attribute(0x42, "printer-name", p);
    return body + '\x03';
  }
  void Serve() {
    for (int c; (c = ::accept(fd_, nullptr, nullptr)) >= 0; ::close(c)) {
      timeval limit{5, 0};
      ::setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
      std::string in;
      char buf[4096];
      for (ssize_t n; (n = ::recv(c, buf, sizeof buf, 0)) > 0;) {
        in.append(buf, static_cast<size_t>(n));
        // One answer per request; the body is never needed.
        for (size_t end; (end = in.find("\r\n\r\n")) != std::string::npos;) {
          const std::string head = in.substr(0, end);
          std::smatch m;
          size_t length = 0;
          if (std::regex_search(head, m,
                                std::regex("Content-Length: *([0-9]+)", std::regex::icase)))
            length = std::stoul(m[1]);
          if (Contains(head, "100-continue")) Send(c, "HTTP/1.1 100 Continue\r\n\r\n");
          while (in.size() < end + 4 + length && (n = ::recv(c, buf, sizeof buf, 0)) > 0)
            in.append(buf, static_cast<size_t>(n));
          in.erase(0, std::min(in.size(), end + 4 + length));
          Send(c, "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: " +
                      std::to_string(response_.size()) + "\r\n\r\n" + response_);
        }
      }
    }
  }
  static void Send(int c, const std::string& text) {
    (void)!::send(c, text.data(), text.size(), MSG_NOSIGNAL);
  }

  std::string response_;
  int fd_ = -1;
  std::thread thread_;
};

struct IppServers : CheckTool {
  static constexpr const char* kOld = "127.0.0.2";
  static constexpr const char* kNew = "127.0.0.3";
  static constexpr const char* kEmpty = "127.0.0.5";  // a scheduler with no queues at all
  static constexpr const char* kCrafted = "127.0.0.6";
  static constexpr const char* kRefusing = "127.0.0.7";
  static inline int port = 0;
  static inline std::unique_ptr<Cupsd> oldServer, newServer, emptyServer;
  static inline std::unique_ptr<FakeIppServer> crafted, refusing;

  static void SetUpTestSuite() {
    port = FreePortOn({kOld, kNew, kEmpty, kCrafted, kRefusing});
    oldServer = std::make_unique<Cupsd>(kOld, port);
    newServer = std::make_unique<Cupsd>(kNew, port);
    emptyServer = std::make_unique<Cupsd>(kEmpty, port);
    for (const char* q : {"Laser", "Colour"}) oldServer->AddSharedQueue(q);
    newServer->AddSharedQueue("Laser");
    crafted = std::make_unique<FakeIppServer>(
        kCrafted, port, 0, "",
        std::vector<std::string>{"\x1B]0;owned\x07Q1", "\x1B[31mQ2", "Q3\xFF\xC2\x9B"});
    // client-error-forbidden, worded by the server.
    refusing = std::make_unique<FakeIppServer>(kRefusing, port, 0x0401, "no\x1B[2J\xC2\x85\xFF",
                                               std::vector<std::string>{});
  }
  static void TearDownTestSuite() {
    oldServer.reset();
    newServer.reset();
    emptyServer.reset();
    crafted.reset();
    refusing.reset();
  }
  void SetUp() override { env["IPP_PORT"] = std::to_string(port); }
};

TEST_F(IppServers, QueuesAreAskedOverIpp) {
  Ini ini;
  ini.servers = {{kOld, kNew}};
  ini.mixed = {
      {kOld, "X", kNew, "laser"}, {kOld, "X", kNew, "Nope"}, {kOld, "X", "127.0.0.4", "Laser"}};
  ProcessResult r = Check(ini, {"--protocol", "ipp"});
  EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
  std::vector<std::array<std::string, 2>> got;
  for (const Line& l : TableLines(r.Stdout)) got.push_back({l[1], l[2].substr(0, l[2].find(" ("))});
  EXPECT_EQ(got, (std::vector<std::array<std::string, 2>>{
                     {Unc(kNew, "Colour"), "missing"},
                     {Unc(kNew, "Laser"), "found"},
                     {Unc(kNew, "laser"), "found"},
                     {Unc(kNew, "Nope"), "missing"},
                     {Unc("127.0.0.4", "Laser"), "server unreachable"},
                 }))
      << r.Stdout;
}

// A scheduler without a single queue answers the list with "not found":
// that is an answer, so a servers pair's targets on it are missing.
TEST_F(IppServers, ASchedulerWithNoQueuesHasNoneOfTheTargets) {
  Ini ini;
  ini.servers = {{kOld, kEmpty}, {kEmpty, kNew}, {kEmpty, kEmpty}};
  ProcessResult r = Check(ini, {"--protocol", "ipp"});
  EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
  std::vector<std::array<std::string, 2>> got;
  for (const Line& l : TableLines(r.Stdout)) got.push_back({l[1], l[2]});
  const std::string compared = "old server " + std::string(kEmpty) +
                               " offers no printer shares; its queues were not compared";
  EXPECT_EQ(got,
            (std::vector<std::array<std::string, 2>>{
                {Unc(kEmpty, "Colour"), "missing"},
                {Unc(kEmpty, "Laser"), "missing"},
                {Unc(kNew), "found (" + compared + ")"},
                {Unc(kEmpty), "missing (the server offers no printer shares; " + compared + ")"},
            }))
      << r.Stdout;
}

// Names and messages a server sends are shown, never obeyed: no output form
// passes a control character or a byte that is no UTF-8 on.
TEST_F(IppServers, WhatServersAnswerReachesNoTerminalOrParserRaw) {
  Ini ini;
  ini.servers = {{kCrafted, kNew}, {kRefusing, kNew}};
  ini.mixed = {{kOld, "X", kRefusing, "Laser"}, {kOld, "X", kCrafted, "Q\x1B[4"}};
  for (const bool json : {false, true}) {
    SCOPED_TRACE(json ? "json" : "table");
    std::vector<std::string> args = {"--protocol", "ipp"};
    if (json) args.push_back("--json");
    ProcessResult r = Check(ini, args);
    EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
    EXPECT_EQ(RawControlIn(r.Stdout), "") << r.Stdout;
    // Each crafted name is still there to read, one target each.
    for (const char* shown : {"]0;owned", "[31mQ2", "Q3", "access denied", "[2J", "Q", "[4"})
      EXPECT_TRUE(Contains(r.Stdout, shown)) << shown << "\n" << r.Stdout;
  }
  ProcessResult table = Check(ini, {"--protocol", "ipp"});
  std::map<std::string, std::string> status;
  for (const Line& l : TableLines(table.Stdout)) status[l[1]] = l[2];
  EXPECT_EQ(status[Unc(kNew, "\\x1B]0;owned\\x07Q1")], "missing") << table.Stdout;
  EXPECT_EQ(status[Unc(kNew, "Q3\\xFF\\u009B")], "missing") << table.Stdout;
  EXPECT_TRUE(Contains(table.Stdout, "old server " + std::string(kRefusing) +
                                         ": no\\x1B[2J\\u0085\\xFF; its queues"))
      << table.Stdout;
}

}  // namespace
}  // namespace velloran::test
