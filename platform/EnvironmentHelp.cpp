#include "platform/EnvironmentHelp.h"

namespace velloran {

namespace {

struct Variable {
  const char* Name;
  const char* Meaning;
};

#ifdef _WIN32
constexpr const char* kPrinters = "system (default), profile:PATH or none";
constexpr const char* kEventLog = "eventlog (default) or file:PATH";
constexpr const char* kHives = "no effect here (the registry keeps them)";
constexpr const char* kCodePage = "no effect here (the system's ANSI code page is used)";
#else
constexpr const char* kPrinters =
    "profile:PATH, cups or none (default: profile:$XDG_STATE_HOME/velloran/connections.txt)";
constexpr const char* kEventLog = "syslog (default) or file:PATH";
constexpr const char* kHives = nullptr;
constexpr const char* kCodePage = "code page of INI and output files (default: windows-1252)";
#endif

const Variable kVariables[] = {
    {"VELLORAN_PRINTERS", kPrinters},
    {"VELLORAN_USER_HIVE",
     kHives ? kHives
            : "file of the run-once markers (default: $XDG_CONFIG_HOME/velloran/user.hive)"},
    {"VELLORAN_MACHINE_HIVE",
     kHives ? kHives : "file of the machine's settings (default: /var/lib/velloran/machine.hive)"},
    {"VELLORAN_MESSAGEBOX", "auto (default), console or qt"},
    {"VELLORAN_EVENTLOG", kEventLog},
    {"VELLORAN_LDAP_BIND", "auto (default), anonymous, gssapi or simple"},
    {"VELLORAN_LDAP_USER", "the user of a simple bind (user@REALM or DOMAIN\\user)"},
    {"VELLORAN_LDAP_PASSWORD_FILE", "the file that holds that user's password"},
    {"VELLORAN_LDAP_TLS", "auto (default), starttls or none"},
    {"VELLORAN_LDAP_TIMEOUT", "seconds to wait for the directory, 1 to 3600 (default: 120)"},
    {"VELLORAN_SMTP_TICK_MS", "one tick of the SMTP reply timer in ms (default: 1000)"},
    {"VELLORAN_CODEPAGE", kCodePage},
#ifndef _WIN32
    {"CUPS_SERVER", "the CUPS scheduler for VELLORAN_PRINTERS=cups (default: client.conf's)"},
    {"VELLORAN_QUEUE_STATE",
     "where CUPS queues are saved before deletion (default: /var/lib/velloran/queues)"},
#endif
};

}  // namespace

std::string EnvironmentHelp() {
  std::string out = "Environment (an empty value means the default):\n";
  constexpr size_t kColumn = 31, kWidth = 79;
  const std::string indent(kColumn, ' ');
  for (const Variable& v : kVariables) {
    std::string line = std::string("  ") + v.Name;
    line.resize(kColumn, ' ');
    // A meaning too long for one line is broken before its default.
    std::string meaning = v.Meaning;
    size_t split = meaning.find(" (default: ");
    if (kColumn + meaning.size() > kWidth && split != std::string::npos)
      meaning = meaning.substr(0, split) + "\n" + indent + meaning.substr(split + 1);
    out += line + meaning + "\n";
  }
  return out;
}

}  // namespace velloran
