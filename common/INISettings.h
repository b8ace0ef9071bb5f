#pragma once
// The settings record: one field per INI key, named after the key.

#include <cstdint>
#include <string>
#include <vector>

namespace velloran {

/// An old and a new name, server or printer, paired by position.
struct NamePair {
  std::string FromName;
  std::string ToName;
  bool operator==(const NamePair&) const = default;
};

/// One entry of the mixed section: old server and printer to new ones.
struct MixedPair {
  std::string FromServer;
  std::string FromPrinter;
  std::string ToPrinter;
  std::string ToServer;
  bool operator==(const MixedPair&) const = default;
};

/// Lists hold their entries from index 0, one per item of the key that
/// sizes them; an empty list is an empty key. The INI file's own numbering
/// of list slots is the reader's, the writer's and the debug dump's business.

struct INISettings {
  // GENERAL
  bool UseActiveDirectory = false;
  bool UseManualDefinitions = false;
  bool AlwaysRun = false;
  // ACTIVE DIRECTORY
  std::string DomainName;
  // MANUAL DEFINITIONS SERVERS / PRINTERS / MIXED
  std::vector<NamePair> ServerPairs;
  std::vector<NamePair> PrinterPairs;
  std::vector<MixedPair> MixedPairs;
  // NOTIFICATION SMTP
  bool UseSMTP = false;
  std::string SMTPServerNameOrIP;
  std::string ServerPort;
  std::string EmailSubject;
  std::vector<std::string> EmailTo;
  std::string EmailFrom;
  // NOTIFICATION FILE OUTPUT
  bool UseFileOutput = false;
  std::string FileOutputPath;
  std::string FileOutputName;
  bool IncludeComputerName = false;
  bool IncludeOutcome = false;
  bool WriteToEventLog = false;
  // NOTIFICATION CLIENT POP-UP
  bool UseClientPopup = false;
  bool UseSuccessClientPopup = false;
  std::string SuccessMessage;  ///< line breaks stored as "^CRLF"
  bool UseFailureClientPopup = false;
  std::string FailureMessage;  ///< line breaks stored as "^CRLF"
  // DEPLOYMENT
  std::string DeploymentPath;
  bool CreateWebLaunchPage = false;
  bool CreateBatchFile = false;
  bool IncludeMDAC = false;
  int16_t MDACOption = 0;
  // SUPPORT
  bool DebugOn = false;

  bool operator==(const INISettings&) const = default;
};

/// New-document defaults: switches off, texts empty, ServerPort "25",
/// MDACOption 0, every list empty.
void ResetINISettings(INISettings& settings);

}  // namespace velloran
