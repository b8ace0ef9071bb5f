#include "toolkit/core/Form.h"

#include "toolkit/core/Pages.h"

namespace velloran {
namespace {

using K = ControlKind;
using B = Binding;
using S = INISettings;

FormControl Flag(int page, std::string_view name, std::string_view caption, bool S::*flag,
                 std::string_view switchedBy = {}) {
  return {page, name, K::Check, caption, B::Flag, nullptr, flag, 0, Rule::None, 0, switchedBy};
}

FormControl Text(int page, std::string_view name, std::string_view caption, std::string S::*text,
                 Rule rule = Rule::None, std::string_view switchedBy = {},
                 std::string_view title = {}, K kind = K::Text) {
  return {page,    name, kind, caption,     B::Text,    text,
          nullptr, 0,    rule, kValueLimit, switchedBy, title};
}

FormControl Typed(int page, std::string_view name, std::string_view caption, Rule rule,
                  std::string_view switchedBy = {}) {
  return {page, name, K::Text, caption, B::None, nullptr, nullptr, 0, rule, 0, switchedBy};
}

FormControl List(int page, std::string_view name, std::string_view caption, Binding bind,
                 std::string_view title, std::string_view switchedBy = {}) {
  return {page,    name, K::List,    caption,       bind,       nullptr,
          nullptr, 0,    Rule::None, kListKeyLimit, switchedBy, title};
}

FormControl Button(int page, std::string_view name, std::string_view caption,
                   std::string_view switchedBy) {
  return {page, name, K::Button, caption, B::None, nullptr, nullptr, 0, Rule::None, 0, switchedBy};
}

FormControl MessageText(std::string_view name, std::string S::*text, std::string_view switchedBy,
                        std::string_view title) {
  FormControl c = Text(kPageClientPopup, name, {}, text, Rule::None, switchedBy, title, K::Message);
  c.Bind = B::Message;
  return c;
}

FormControl Preference(int page, std::string_view name, std::string_view caption) {
  FormControl c = Flag(page, name, caption, nullptr);
  c.Bind = B::Preference;
  return c;
}

FormControl MDACOption(int index, std::string_view name, std::string_view caption) {
  return {kPageMDAC, name,  K::Option,  caption, B::MDACOption,   nullptr,
          nullptr,   index, Rule::None, 0,       "chkIncludeMDAC"};
}

const std::vector<FormControl>& Controls() {
  static const std::vector<FormControl> kControls = {
      {kPageGeneral, "cboConfigurationFileType", K::Combo, "Configuration File Type: (Read Only)"},
      Flag(kPageGeneral, "chkAlwaysRun", "Always &Run", &S::AlwaysRun),

      Text(kPageActiveDirectory, "cboDomainName",
           "Please select or enter your &Active Directory domain name:", &S::DomainName, Rule::None,
           {}, "Active Directory domain name", K::Combo),

      Typed(kPageServers, "txtFromServer", "F&rom Print Server:", Rule::ServerName),
      Typed(kPageServers, "txtToServer", "&To Print Server:", Rule::ServerName),
      List(kPageServers, "lstServerPairs", "&Print Server Pairs:", B::ServerPairs,
           "Print Server Pairs"),

      Typed(kPagePrinters, "txtFromPrinter", "F&rom Printer:", Rule::ListEntry),
      Typed(kPagePrinters, "txtToPrinter", "&To Printer:", Rule::ListEntry),
      List(kPagePrinters, "lstPrinterPairs", "&Printer Pairs:", B::PrinterPairs, "Printer Pairs"),

      Typed(kPageMixed, "txtMixedFromServer", "&From Print Server:", Rule::ServerName),
      Typed(kPageMixed, "txtMixedFromPrinter", "&From Printer:", Rule::ListEntry),
      Typed(kPageMixed, "txtMixedToServer", "To &Print Server:", Rule::ServerName),
      Typed(kPageMixed, "txtMixedToPrinter", "T&o Printer:", Rule::ListEntry),
      List(kPageMixed, "lstMixedPrintersAndServers",
           "Print Server &and Printer Pairs:", B::MixedPairs, "Print Server and Printer Pairs"),

      Flag(kPageSMTPMail, "chkUseSMTP", "Notify v&ia email", &S::UseSMTP),
      Text(kPageSMTPMail, "txtSMTPServerName", "&SMTP Server Name or IP:", &S::SMTPServerNameOrIP,
           Rule::None, "chkUseSMTP"),
      Text(kPageSMTPMail, "txtSMTPServerPort", "SMTP Server &Port:", &S::ServerPort, Rule::Port,
           "chkUseSMTP"),
      Text(kPageSMTPMail, "txtSMTPEmailAddress", "Fro&m Email Address:", &S::EmailFrom,
           Rule::EmailAddress, "chkUseSMTP"),
      Typed(kPageSMTPMail, "txtSendEmailTo", "Send Email &To:", Rule::ListEntry, "chkUseSMTP"),
      Button(kPageSMTPMail, "cmdAddSendEmail", "&Add", "chkUseSMTP"),
      List(kPageSMTPMail, "lstToEmailAddresses", "", B::Recipients, "Send Email To", "chkUseSMTP"),
      Button(kPageSMTPMail, "cmdRemoveSendEmail", "&Remove", "chkUseSMTP"),
      Text(kPageSMTPMail, "txtEmailSubject", "&Email Subject:", &S::EmailSubject, Rule::None,
           "chkUseSMTP"),

      Flag(kPageFileOutput, "chkUseFileOutput", "Notify v&ia file output", &S::UseFileOutput),
      Text(kPageFileOutput, "txtFileOutputPath", "File &Output Path:", &S::FileOutputPath,
           Rule::Folder, "chkUseFileOutput"),
      Button(kPageFileOutput, "cmdBrowseFileOutput", "...", "chkUseFileOutput"),
      Text(kPageFileOutput, "txtFileOutputName", "File Output Na&me:", &S::FileOutputName,
           Rule::None, "chkUseFileOutput"),
      Flag(kPageFileOutput, "chkIncludeComputerName", "Include &client computer name in filename",
           &S::IncludeComputerName, "chkUseFileOutput"),
      Flag(kPageFileOutput, "chkIncludeFinalStatus", "Include final &status in filename",
           &S::IncludeOutcome, "chkUseFileOutput"),

      Flag(kPageClientPopup, "chkUseNotifyUser",
           "Notify user on &success with message:", &S::UseSuccessClientPopup),
      MessageText("txtSucessMessage", &S::SuccessMessage, "chkUseNotifyUser",
                  "Notify user on success with message"),
      Flag(kPageClientPopup, "chkNotifyMessageOnFailure",
           "Notify user on f&ailure with message:", &S::UseFailureClientPopup),
      MessageText("txtFailureMessage", &S::FailureMessage, "chkNotifyMessageOnFailure",
                  "Notify user on failure with message"),

      Flag(kPageEventLog, "chkWriteToEventLog",
           "&Write sucess and failure messages to the Windows application event log",
           &S::WriteToEventLog),

      Flag(kPageSupport, "chkDebugOn", "&Turn on debugging", &S::DebugOn),

      Text(kPageDeployment, "txtNetworkSharePath", "Network &Share Path:", &S::DeploymentPath,
           Rule::Folder),
      Flag(kPageDeployment, "chkBatchFile", "Create b&atch file", &S::CreateBatchFile),
      Flag(kPageDeployment, "chkCreateHTML", "&Create web launch page", &S::CreateWebLaunchPage),
      Preference(kPageDeployment, "chkDriverScript", "Create d&river start-up script"),

      Flag(kPageMDAC, "chkIncludeMDAC", "Include &MDAC in batch file and/or web page",
           &S::IncludeMDAC),
      MDACOption(0, "optMDACVersion(0)",
                 "MDAC vr 2.&5 SP3 - default version when using Windows 2000"),
      MDACOption(1, "optMDACVersion(1)", "MDAC vr 2.&7 SP1- default version when using Windows XP"),
      MDACOption(2, "optMDACVersion(2)",
                 "MDAC vr 2.&8 - default version when using Windows 2003/Windows XP SP2"),
  };
  return kControls;
}

}  // namespace

std::string FormControl::PlainCaption() const {
  std::string plain;
  for (size_t i = 0; i < Caption.size(); ++i) {
    // "&&" stands for one ampersand; a lone one marks the mnemonic.
    if (Caption[i] == '&' && ++i == Caption.size()) break;
    plain += Caption[i];
  }
  if (!plain.empty() && plain.back() == ':') plain.pop_back();
  return plain;
}

std::string FormControl::Called() const {
  return Title.empty() ? PlainCaption() : std::string(Title);
}

std::span<const FormControl> FormControls() { return Controls(); }

const FormControl* FormControlNamed(std::string_view name) {
  for (const FormControl& c : Controls()) {
    if (c.Name == name) return &c;
  }
  return nullptr;
}

char MnemonicOf(std::string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    const char c = caption[i + 1];
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return 0;
}

std::string_view MnemonicTarget(int page, char letter, std::string_view focused,
                                const std::function<bool(std::string_view)>& available) {
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  std::vector<std::string_view> owners;
  size_t after = 0;  // the first owner to try: the one after the focused control
  for (const FormControl& c : Controls()) {
    if (c.Page != page) continue;
    if (c.Name == focused) after = owners.size();
    if (letter == 0 || MnemonicOf(c.Caption) != letter || !available(c.Name)) continue;
    owners.push_back(c.Name);
    if (c.Name == focused) after = owners.size();
  }
  if (owners.empty()) return {};
  return owners[after % owners.size()];
}

std::span<const FormMenu> FormMenus() {
  static const std::vector<FormMenu> kMenus = {
      {"ID_MNU_FILE",
       "&File",
       {{"ID_BTN_NEW", "&New", "Ctrl+N", true},
        {"ID_BTN_OPEN", "&Open ...", "Ctrl+O", true},
        {"ID_BTN_SAVE", "&Save", "Ctrl+S"},
        {"ID_BTN_SAVE_AS", "Save &As ...", {}, true},
        {"ID_BTN_EXIT", "E&xit"}}},
      {"ID_MNU_VIEW",
       "&View",
       {{"ID_BTN_GENERAL", "&General", {}, true},
        {"ID_BTN_AD", "&Active Directory", {}, true},
        {"ID_BTN_SERVER", "Server &To Server"},
        {"ID_BTN_PRINTER", "Pr&inter To Printer"},
        {"ID_BTN_MIXED", "&Mixed Server And Printer", {}, true},
        {"ID_BTN_EMAIL", "&Email Output"},
        {"ID_BTN_FILE", "&File Output"},
        {"ID_BTN_CLIENT", "Client Pop-&up"},
        {"ID_BTN_APP_EL", "Application Event &Log", {}, true},
        {"ID_BTN_DEPLOYMENT", "&Deployment"},
        {"ID_BTN_DEPLOY_GENERAL", "Deployment Ge&neral"},
        {"ID_BTN_MDAC", "MDA&C", {}, true},
        {"ID_BTN_SUPPORT", "Su&pport"}}},
      {"ID_MNU_TOOLS", "Too&ls", {{"actCheckTargets", "&Check Targets ..."}}},
      {"ID_MNU_HELP",
       "&Help",
       {{"ID_BTN_CONTENTS", "&Contents ..."},
        {"ID_BTN_ABOUT", "&About Velloran Deployment Toolkit ..."}}},
  };
  return kMenus;
}

}  // namespace velloran
