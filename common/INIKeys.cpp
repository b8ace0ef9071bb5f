#include "common/INIKeys.h"

#include <array>

namespace velloran {

namespace {

using K = INIKeyKind;
using S = INISettings;

constexpr std::string_view kGeneral = "GENERAL";
constexpr std::string_view kActiveDirectory = "ACTIVE DIRECTORY";
constexpr std::string_view kSmtp = "NOTIFICATION SMTP";
constexpr std::string_view kFileOutput = "NOTIFICATION FILE OUTPUT";
constexpr std::string_view kPopup = "NOTIFICATION CLIENT POP-UP";
constexpr std::string_view kDeployment = "DEPLOYMENT";
constexpr std::string_view kSupport = "SUPPORT";

constexpr INIKey Flag(std::string_view section, std::string_view name, bool S::*field,
                      std::string_view dumpName = {}) {
  return INIKey{section, name, K::Boolean, dumpName, field, nullptr, nullptr};
}
constexpr INIKey Text(std::string_view section, std::string_view name, std::string S::*field,
                      K kind = K::Text) {
  return INIKey{section, name, kind, {}, nullptr, field, nullptr};
}
constexpr INIKey List(std::string_view section, std::string_view name, K kind) {
  return INIKey{section, name, kind, {}, nullptr, nullptr, nullptr};
}

const std::array kKeys = {
    Flag(kGeneral, "UseActiveDirectory", &S::UseActiveDirectory),
    Flag(kGeneral, "UseManualDefinitions", &S::UseManualDefinitions),
    Flag(kGeneral, "AlwaysRun", &S::AlwaysRun),
    Text(kActiveDirectory, "DomainName", &S::DomainName),
    List("MANUAL DEFINITIONS SERVERS", "FromServers", K::ServerPairs),
    List("MANUAL DEFINITIONS PRINTERS", "FromPrinters", K::PrinterPairs),
    List("MANUAL DEFINITIONS MIXED", "FromServers", K::MixedPairs),
    Flag(kSmtp, "UseSMTP", &S::UseSMTP),
    Text(kSmtp, "SMTPServerNameOrIP", &S::SMTPServerNameOrIP),
    Text(kSmtp, "ServerPort", &S::ServerPort),
    Text(kSmtp, "EmailSubject", &S::EmailSubject),
    List(kSmtp, "EmailTo", K::EmailTo),
    Text(kSmtp, "EmailFrom", &S::EmailFrom),
    Flag(kFileOutput, "UseFileOutput", &S::UseFileOutput),
    Text(kFileOutput, "FileOutputPath", &S::FileOutputPath, K::Folder),
    Text(kFileOutput, "FileOutputName", &S::FileOutputName),
    Flag(kFileOutput, "IncludeComputerName", &S::IncludeComputerName),
    Flag(kFileOutput, "IncludeOutcome", &S::IncludeOutcome),
    Flag(kFileOutput, "WriteToEventLog", &S::WriteToEventLog),
    Flag(kPopup, "UseClientPopup", &S::UseClientPopup),
    Flag(kPopup, "UseSuccessClientPopup", &S::UseSuccessClientPopup),
    Text(kPopup, "SuccessMessage", &S::SuccessMessage),
    Flag(kPopup, "UseFailureClientPopup", &S::UseFailureClientPopup),
    Text(kPopup, "FailureMessage", &S::FailureMessage),
    Text(kDeployment, "DeploymentPath", &S::DeploymentPath, K::Folder),
    // The dump has always called this one by an older name; log readers
    // know it by that.
    Flag(kDeployment, "CreateWebLaunchPage", &S::CreateWebLaunchPage, "CreateHTMLLaunchPage"),
    Flag(kDeployment, "CreateBatchFile", &S::CreateBatchFile),
    Flag(kDeployment, "IncludeMDAC", &S::IncludeMDAC),
    INIKey{kDeployment, "MDACOption", K::Integer, {}, nullptr, nullptr, &S::MDACOption},
    Flag(kSupport, "DebugOn", &S::DebugOn),
};

}  // namespace

std::span<const INIKey> INIKeys() { return kKeys; }

}  // namespace velloran
