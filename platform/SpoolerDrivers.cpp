#include "platform/SpoolerDrivers.h"

#include <algorithm>

#include "platform/CodePage.h"

namespace velloran {

namespace {

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\\'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string ValueText(std::optional<uint32_t> value, uint32_t absent) {
  return value ? std::to_string(*value) : "not set, which counts as " + std::to_string(absent);
}

DriverRules Refused(DriverRules rules, std::string why) {
  rules.UserMayInstall = false;
  rules.Why = std::move(why);
  return rules;
}

std::string_view ServerOf(std::string_view share) {
  while (share.starts_with('\\')) share.remove_prefix(1);
  return share.substr(0, share.find('\\'));
}

}  // namespace

bool ServerListNames(std::string_view list, std::string_view server) {
  server = Trimmed(server);
  if (server.empty()) return false;
  while (!list.empty()) {
    const size_t end = list.find(';');
    if (SameText(Trimmed(list.substr(0, end)), server)) return true;
    if (end == std::string_view::npos) break;
    list.remove_prefix(end + 1);
  }
  return false;
}

DriverRules DecideDriverRules(const PointAndPrintPolicy& p, const DriverInstallCase& c) {
  DriverRules rules;
  // Either the policy or the setting the user chose turns the mode on; the
  // policy's "off" (0) wins over nothing, as the policy does.
  rules.ProtectedPrint = p.WindowsProtectedPrintGroupPolicyState
                             ? *p.WindowsProtectedPrintGroupPolicyState == 1
                             : p.WindowsProtectedPrintMode.value_or(0) == 1;

  // An administrator's elevated token or the system installs what the
  // policy allows anyone to install; the restrictions below are the user's.
  if (c.Elevated) return rules;

  // Since the 2021 update an unset value counts as 1: only administrators.
  if (p.RestrictDriverInstallationToAdministrators.value_or(1) != 0)
    return Refused(rules, "RestrictDriverInstallationToAdministrators is " +
                              ValueText(p.RestrictDriverInstallationToAdministrators, 1) +
                              ": only an administrator may install printer drivers, and this "
                              "process is not elevated");

  if (p.PackagePointAndPrintOnly.value_or(0) == 1) {
    if (!c.PackageAware)
      return Refused(rules,
                     "PackagePointAndPrintOnly is 1 and the driver of this queue is not "
                     "package-aware");
    if (p.PackagePointAndPrintServerList.value_or(0) == 1 &&
        std::none_of(p.PackageServers.begin(), p.PackageServers.end(),
                     [&](const std::string& s) { return ServerListNames(s, c.Server); }))
      return Refused(rules,
                     "PackagePointAndPrintServerList is 1 and its list of servers does "
                     "not name " +
                         c.Server);
  }

  // Without the restrictions policy, Windows applies them with both prompts
  // on. Whether a package-aware driver from an approved server escapes the
  // prompts was not measured: it is treated like any other driver here.
  if (p.Restricted.value_or(1) == 0) return rules;
  if (p.TrustedServers.value_or(0) == 1 && !ServerListNames(p.ServerList, c.Server))
    return Refused(rules, "TrustedServers is 1 and ServerList does not name " + c.Server);
  if (c.Update) {
    if (p.UpdatePromptSettings.value_or(0) != 2)
      return Refused(rules, "UpdatePromptSettings is " + ValueText(p.UpdatePromptSettings, 0) +
                                ": updating the driver would show a prompt, and 2 is needed");
  } else if (p.NoWarningNoElevationOnInstall.value_or(0) != 1) {
    return Refused(rules, "NoWarningNoElevationOnInstall is " +
                              ValueText(p.NoWarningNoElevationOnInstall, 0) +
                              ": installing the driver would show a prompt, and 1 is needed");
  }
  return rules;
}

namespace {

class SpoolerDrivers : public PrinterDrivers {
 public:
  explicit SpoolerDrivers(std::unique_ptr<SpoolerSystem> system) : system_(std::move(system)) {}

  Result<std::optional<PrinterDriver>> QueueDriver(std::string_view share) override {
    auto driver = system_->QueueDriver(share);
    if (!driver) return driver.error();
    if (!*driver) return std::optional<PrinterDriver>();
    last_ = Last{std::string(ServerOf(share)), **driver, false};
    return std::optional<PrinterDriver>((*driver)->Driver);
  }

  Result<bool> HasDriver(const PrinterDriver& driver) override {
    auto local = system_->LocalDrivers();
    if (!local) return local.error();
    bool named = false, recent = false;
    for (const PrinterDriver& d : *local) {
      if (!SameText(d.Name, driver.Name)) continue;
      named = true;
      recent = recent || d.Version >= driver.Version;
    }
    if (last_ && SameText(last_->Driver.Driver.Name, driver.Name)) last_->Update = named && !recent;
    return recent;
  }

  // The rules differ for a new driver and an update, and for a
  // package-aware one: the answer is for the queue last asked about on
  // that server, as a move asks about one queue at a time.
  Result<DriverRules> Rules(std::string_view server) override {
    auto policy = system_->ReadPolicy();
    if (!policy) return policy.error();
    DriverInstallCase install{std::string(server), false, false, system_->Elevated()};
    if (last_ && SameText(last_->Server, server)) {
      install.Update = last_->Update;
      install.PackageAware = last_->Driver.PackageAware;
    }
    return DecideDriverRules(*policy, install);
  }

  // A connection made as an administrator or as the system installs the
  // driver for the whole computer, and the driver stays when the connection
  // goes; a connection the account had before is left as it was.
  Status InstallDriver(std::string_view share, const PrinterDriver& driver) override {
    auto had = system_->HasConnection(share);
    if (!had) return had.error();
    if (Status connected = system_->Connect(share); !connected.ok()) return connected;
    if (!*had) {
      if (Status gone = system_->Disconnect(share); !gone.ok())
        return PlatformError{gone.error().Number,
                             "the driver was installed, but the connection made for it could "
                             "not be removed again: " +
                                 gone.error().Description};
    }
    auto present = HasDriver(driver);
    if (!present) return present.error();
    if (!*present)
      return PlatformError{0, "the connection was made, but the driver " + driver.Name +
                                  " is still not installed at the server's version"};
    return Status::Ok();
  }

 private:
  struct Last {
    std::string Server;
    ServerDriver Driver;
    bool Update = false;
  };
  std::unique_ptr<SpoolerSystem> system_;
  std::optional<Last> last_;
};

}  // namespace

std::unique_ptr<PrinterDrivers> MakeSpoolerDrivers(std::unique_ptr<SpoolerSystem> system) {
  return std::make_unique<SpoolerDrivers>(std::move(system));
}

}  // namespace velloran
