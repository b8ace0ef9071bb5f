#include "tests/support/EngineProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <stdexcept>
#include <thread>

#include "engine/modDebug.h"

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

EngineFolder::EngineFolder(const std::string& builtEngine) {
  fs::create_directories(Folder());
  fs::copy_file(builtEngine, Engine());
  // The programs and modules the engine loads from its own folder.
  for (const char* companion : {"VelloranMessageBox", "velloran-directory.so"}) {
    const fs::path built = fs::path(builtEngine).parent_path() / companion;
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
}

ProcessResult EngineFolder::Run(const std::vector<std::string>& args) const {
  return RunProcess(Engine().string(), args, Env, Root().string(), Unset);
}

std::string EngineFolder::DebugText(const std::string& computer) const {
  std::string raw = ReadFile(Folder() / (computer + ".debug"));
  auto text = DecodeDebugBytes(Bytes(raw.begin(), raw.end()));
  if (!text) return "<undecodable: " + text.error().Description + ">";
  return *text;
}

void StopProcess(pid_t& pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  int status = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
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
