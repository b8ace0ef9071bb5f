#pragma once
// The manual migration of two print servers and one printer, with a pop-up
// and an output file: the record the toolkit holds and the file it writes.

#include <string>

#include "common/INISettings.h"

namespace velloran::test {

inline const std::string kExampleFile =
    "[GENERAL]\r\n"
    "UseActiveDirectory=False\r\n"
    "UseManualDefinitions=True\r\n"
    "AlwaysRun=False\r\n"
    "[ACTIVE DIRECTORY]\r\n"
    "DomainName= \r\n"
    "[MANUAL DEFINITIONS SERVERS]\r\n"
    "FromServers=OLDSRV1,OLDSRV2\r\n"
    "ToServers=NEWSRV1,NEWSRV2\r\n"
    "[MANUAL DEFINITIONS PRINTERS]\r\n"
    "FromPrinters=ACCOUNTING\r\n"
    "ToPrinters=ACCOUNTING-COLOR\r\n"
    "[MANUAL DEFINITIONS MIXED]\r\n"
    "FromServers= \r\n"
    "FromPrinters= \r\n"
    "ToServers= \r\n"
    "ToPrinters= \r\n"
    "[NOTIFICATION SMTP]\r\n"
    "UseSMTP=False\r\n"
    "SMTPServerNameOrIP= \r\n"
    "ServerPort=25\r\n"
    "EmailSubject= \r\n"
    "EmailTo= \r\n"
    "EmailFrom= \r\n"
    "[NOTIFICATION FILE OUTPUT]\r\n"
    "UseFileOutput=True\r\n"
    "FileOutputPath=\\\\NEWSRV1\\MIGRATION\r\n"
    "FileOutputName=results.txt\r\n"
    "IncludeComputerName=True\r\n"
    "IncludeOutcome=True\r\n"
    "WriteToEventLog=True\r\n"
    "[NOTIFICATION CLIENT POP-UP]\r\n"
    "UseClientPopup=True\r\n"
    "UseSuccessClientPopup=True\r\n"
    "SuccessMessage=Your printers have been moved.^CRLF^CRLFThank you.\r\n"
    "UseFailureClientPopup=True\r\n"
    "FailureMessage=Your printers were not moved.^CRLFPlease call the help desk.\r\n"
    "[DEPLOYMENT]\r\n"
    "DeploymentPath=\\\\NEWSRV1\\MIGRATION\r\n"
    "CreateWebLaunchPage=True\r\n"
    "CreateBatchFile=True\r\n"
    "IncludeMDAC=False\r\n"
    "MDACOption=0\r\n"
    "[SUPPORT]\r\n"
    "DebugOn=True\r\n";

/// The record as the reader gives it for kExampleFile.
inline INISettings ExampleRecord() {
  INISettings s;
  s.UseManualDefinitions = true;
  s.ServerPairs = {{"OLDSRV1", "NEWSRV1"}, {"OLDSRV2", "NEWSRV2"}};
  s.PrinterPairs = {{"ACCOUNTING", "ACCOUNTING-COLOR"}};
  s.ServerPort = "25";
  s.UseFileOutput = true;
  s.FileOutputPath = "\\\\NEWSRV1\\MIGRATION";
  s.FileOutputName = "results.txt";
  s.IncludeComputerName = true;
  s.IncludeOutcome = true;
  s.WriteToEventLog = true;
  s.UseClientPopup = true;
  s.UseSuccessClientPopup = true;
  s.SuccessMessage = "Your printers have been moved.^CRLF^CRLFThank you.";
  s.UseFailureClientPopup = true;
  s.FailureMessage = "Your printers were not moved.^CRLFPlease call the help desk.";
  s.DeploymentPath = "\\\\NEWSRV1\\MIGRATION";
  s.CreateWebLaunchPage = true;
  s.CreateBatchFile = true;
  s.DebugOn = true;
  return s;
}

/// A manual document with every value set away from its default, as the
/// toolkit's pages give it back: a control that does not reach the record
/// shows as a difference.
inline INISettings EveryValueSet() {
  INISettings s;
  ResetINISettings(s);
  s.UseManualDefinitions = true;
  s.AlwaysRun = true;
  s.DomainName = "corp.example.com";
  s.ServerPairs = {{"OLDSRV1", "NEWSRV1"}, {"OLDSRV2", "NEWSRV2"}};
  s.PrinterPairs = {{"ACCOUNTING", "ACCOUNTING-COLOR"}};
  s.MixedPairs = {{"OLDSRV", "HP4", "HP4-NEW", "NEWSRV"}};
  s.UseSMTP = true;
  s.SMTPServerNameOrIP = "mail.corp.example.com";
  s.ServerPort = "587";
  s.EmailSubject = "Printers moved";
  s.EmailTo = {"helpdesk@corp.example.com", "printadmin@corp.example.com"};
  s.EmailFrom = "velloran@corp.example.com";
  s.UseFileOutput = true;
  s.FileOutputPath = "\\\\srv\\results";
  s.FileOutputName = "moves.txt";
  s.IncludeComputerName = true;
  s.IncludeOutcome = true;
  s.WriteToEventLog = true;
  s.UseClientPopup = true;
  s.UseFailureClientPopup = true;
  s.FailureMessage = "Call^CRLFthe helpdesk.";
  s.SuccessMessage = "Moved.";
  s.DeploymentPath = "\\\\srv\\deploy";
  s.CreateWebLaunchPage = true;
  s.CreateBatchFile = true;
  s.IncludeMDAC = true;
  s.MDACOption = 1;
  s.DebugOn = true;
  return s;
}

}  // namespace velloran::test
