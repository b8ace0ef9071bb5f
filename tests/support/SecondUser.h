#pragma once
// A real user of this machine besides root, for tests of what root does on
// a user's behalf: made with useradd, removed again when the test ends.

#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "tests/support/EngineProcess.h"

namespace velloran::test {

class SecondUser {
 public:
  /// `home` is the user's home in the password database; it is not made.
  explicit SecondUser(const std::filesystem::path& home)
      : name_("vlrt" + std::to_string(::getpid())) {
    auto r = RunProcess("/usr/sbin/useradd",
                        {"-M", "-U", "-d", home.string(), "-s", "/usr/sbin/nologin", name_});
    if (r.ExitCode != 0) throw std::runtime_error("useradd failed: " + r.Stderr);
    const passwd* pw = ::getpwnam(name_.c_str());
    if (!pw) throw std::runtime_error("the new user is not found");
    uid_ = pw->pw_uid;
    gid_ = pw->pw_gid;
  }
  ~SecondUser() { RunProcess("/usr/sbin/userdel", {name_}); }
  SecondUser(const SecondUser&) = delete;
  SecondUser& operator=(const SecondUser&) = delete;

  /// Whether this process may make one: root, with useradd at hand.
  static bool Possible() { return ::geteuid() == 0 && ::access("/usr/sbin/useradd", X_OK) == 0; }

  const std::string& Name() const { return name_; }
  void Own(const std::filesystem::path& p) const {
    if (::lchown(p.c_str(), uid_, gid_) != 0) throw std::runtime_error("lchown " + p.string());
  }
  uid_t Uid() const { return uid_; }
  gid_t Gid() const { return gid_; }

 private:
  std::string name_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
};

}  // namespace velloran::test
