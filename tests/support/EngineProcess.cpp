#include "tests/support/EngineProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "engine/modDebug.h"
#include "platform/Backends.h"

namespace velloran::test {

namespace fs = std::filesystem;

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env,
                         const std::string& workingDir, const std::vector<std::string>& unset) {
  TempDir scratch;
  const std::string outPath = (scratch / "out").string(), errPath = (scratch / "err").string();
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int in = ::open("/dev/null", O_RDONLY);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    for (const auto& k : unset) ::unsetenv(k.c_str());
    for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
    if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0) ::_exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProcessResult r;
  r.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.Stdout = ReadFile(outPath);
  r.Stderr = ReadFile(errPath);
  return r;
}

namespace {
std::string GetEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

/// VELLORAN_E2E_RUNNER split into words ("wine" for the Windows engine).
std::vector<std::string> RunnerWords() {
  std::vector<std::string> words;
  std::istringstream in(GetEnv("VELLORAN_E2E_RUNNER"));
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

/// Runs `args` through the runner, found on PATH as a shell finds it.
ProcessResult RunThroughRunner(std::vector<std::string> words, const std::vector<std::string>& args,
                               const std::map<std::string, std::string>& env,
                               const std::string& dir, const std::vector<std::string>& unset = {}) {
  words.insert(words.end(), args.begin(), args.end());
  return RunProcess("/usr/bin/env", words, env, dir, unset);
}

/// The runner for the registry tool: the engine's runner, or plain Wine.
std::vector<std::string> RegistryRunner() {
  auto words = RunnerWords();
  return words.empty() ? std::vector<std::string>{"wine"} : words;
}
}  // namespace

EngineFolder::EngineFolder(const std::string& builtEngine) {
  const std::string other = GetEnv("VELLORAN_E2E_ENGINE");
  const fs::path engine = other.empty() ? fs::path(builtEngine) : fs::path(other);
  engineName_ = engine.filename().string();
  windows_ = engine.extension() == ".exe";
  fs::create_directories(Folder());
  fs::copy_file(engine, Engine());
  // The programs and modules the engine loads from its own folder.
  for (const char* companion :
       {"VelloranMessageBox", "velloran-directory.so", "velloran-cups.so"}) {
    const fs::path built = engine.parent_path() / companion;
    if (fs::exists(built)) fs::copy_file(built, Folder() / companion);
  }
  WriteFile(Connections(), "computer: PC01\n");
  Env = {
      {"VELLORAN_PRINTERS", "profile:" + Connections().string()},
      {"VELLORAN_USER_HIVE", UserHive().string()},
      {"VELLORAN_MACHINE_HIVE", MachineHive().string()},
      {"VELLORAN_MESSAGEBOX", "console"},
      {"VELLORAN_EVENTLOG", "file:" + EventFile().string()},
      {"VELLORAN_SMTP_TICK_MS", "50"},
      {"VELLORAN_LDAP_BIND", "anonymous"},
  };
  // VELLORAN_E2E_PRINTERS=system: the Windows engine works on the system's
  // network object over COM, which in the Windows test stage is the test
  // stand-in over this same connection file.
  if (windows_ && GetEnv("VELLORAN_E2E_PRINTERS") == "system") {
    Env["VELLORAN_PRINTERS"] = "system";
    Env["VELLORAN_TEST_NETWORK_STATE"] = EnginePath(Connections());
  }
}

ProcessResult EngineFolder::Run(const std::vector<std::string>& args) const {
  return RunCopy(Engine(), args);
}

ProcessResult EngineFolder::RunCopy(const fs::path& copy,
                                    const std::vector<std::string>& args) const {
  auto words = RunnerWords();
  if (words.empty()) return RunProcess(copy.string(), args, Env, Root().string(), Unset);
  std::vector<std::string> all{copy.string()};
  all.insert(all.end(), args.begin(), args.end());
  return RunThroughRunner(words, all, Env, Root().string(), Unset);
}

std::string EngineFolder::EnginePath(const fs::path& p) const {
  if (!windows_) return p.string();
  // Wine's drive Z: is the root of the POSIX file system.
  std::string out = "Z:" + fs::absolute(p).string();
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

std::optional<std::string> EngineFolder::RegistryValue(const std::string& root,
                                                       const std::string& key,
                                                       const std::string& name) const {
  std::string k = root + "\\" + key;
  while (!k.empty() && k.back() == '\\') k.pop_back();
  ProcessResult r =
      RunThroughRunner(RegistryRunner(), {"reg", "query", k, "/v", name}, {}, Root().string());
  if (r.ExitCode != 0) return std::nullopt;
  // "    NAME    REG_SZ    VALUE"
  std::istringstream lines(r.Stdout);
  const std::string marker = "    " + name + "    REG_SZ    ";
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto at = line.find(marker);
    if (at != std::string::npos) return line.substr(at + marker.size());
  }
  return std::nullopt;
}

std::optional<std::string> EngineFolder::UserValue(const std::string& key,
                                                   const std::string& name) const {
  if (windows_) return RegistryValue("HKEY_CURRENT_USER", key, name);
  auto store = MakeFileSettingsStore(UserHive().string(), MachineHive().string());
  auto v = store->ReadValue(Hive::CurrentUser, key, name);
  return v ? *v : std::nullopt;
}

std::optional<std::string> EngineFolder::MachineValue(const std::string& key,
                                                      const std::string& name) const {
  if (windows_) return RegistryValue("HKEY_LOCAL_MACHINE", key, name);
  auto store = MakeFileSettingsStore(UserHive().string(), MachineHive().string());
  auto v = store->ReadValue(Hive::LocalMachine, key, name);
  return v ? *v : std::nullopt;
}

void EngineFolder::DeleteUserValue(const std::string& key, const std::string& name) const {
  if (!windows_) return;
  static_cast<void>(RunThroughRunner(
      RegistryRunner(), {"reg", "delete", "HKEY_CURRENT_USER\\" + key, "/v", name, "/f"}, {},
      Root().string()));
}

std::string EngineFolder::DebugText(const std::string& computer) const {
  std::string raw = ReadFile(Folder() / (computer + ".debug"));
  auto text = DecodeDebugBytes(Bytes(raw.begin(), raw.end()));
  if (!text) return "<undecodable: " + text.error().Description + ">";
  // Every file the engine writes must pass the readers' own test of a whole
  // file; the texts the tests compare are the run's, without the length line.
  if (std::string why = DebugTextCutShort(*text); !why.empty()) return "<cut short: " + why + ">";
  return std::string(WithoutLengthLine(*text));
}

pid_t StartServer(const ServerCommand& command) {
  // Everything the child needs is built before the fork: a test with
  // threads of its own may hold the allocator's lock at that moment.
  std::vector<std::string> words{command.Program};
  words.insert(words.end(), command.Args.begin(), command.Args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables;
  for (char** e = environ; *e; ++e) {
    std::string_view v(*e);
    if (!command.Env.contains(std::string(v.substr(0, v.find('='))))) variables.emplace_back(v);
  }
  for (const auto& [k, v] : command.Env) variables.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& v : variables) envp.push_back(v.data());
  envp.push_back(nullptr);
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (command.AppendToLog ? O_APPEND : O_TRUNC);

  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int log = ::open(command.Log.c_str(), flags, 0600);
    if (log < 0) ::_exit(126);
    if (command.Stdin >= 0) ::dup2(command.Stdin, 0);
    ::dup2(log, 1);
    ::dup2(log, 2);
    ::execve(command.Program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  return pid;
}

bool WaitForServer(pid_t& pid, std::chrono::milliseconds timeout, std::chrono::milliseconds every,
                   const std::function<bool()>& ready) {
  for (auto deadline = std::chrono::steady_clock::now() + timeout;
       std::chrono::steady_clock::now() < deadline;) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      pid = -1;
      return false;
    }
    if (ready()) return true;
    std::this_thread::sleep_for(every);
  }
  return false;
}

void StopProcess(pid_t& pid, std::chrono::milliseconds grace) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  int status = 0;
  auto deadline = std::chrono::steady_clock::now() + grace;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  pid = -1;
}

}  // namespace velloran::test
