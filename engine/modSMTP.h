#pragma once
// Mail of the run's outcome over SMTP, with a back-up file when it fails.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "common/INISettings.h"
#include "engine/Run.h"
#include "platform/Clock.h"

namespace velloran {

/// Mails the outcome text; returns when the dialogue has ended. A failed
/// dialogue leaves the text in "<computer>_<date>_EmailFailure.txt" beside
/// the engine.
void SendSMTPNotification(Run& run);


/// The non-empty EmailTo entries, in list order.
std::vector<std::string> RecipientAddresses(const INISettings& settings);

/// Every CR, LF or CR LF made CR LF and a dot doubled at the start of each
/// line, so that no text can end the DATA phase or smuggle in commands.
std::string EncodeMessageBody(std::string_view text);

/// "us-ascii", "utf-8", or "unknown-8bit" for bytes that are neither.
std::string_view BodyCharset(std::string_view text);

/// "Mon, 07 Dec 2026 14:05:09 +0100".
std::string MailDate(const LocalTime& time);

/// "mm.dd.yyyy_hh.nn.ss", as the back-up file name carries it.
std::string BackupFileTimestamp(const LocalTime& time);

/// The message as sent after DATA, before its terminator: headers, an empty
/// line and the encoded outcome text, lines ended by CR LF.
std::string BuildMessageText(const INISettings& settings, std::string_view outcomeText,
                             const LocalTime& date, std::string_view messageId);

/// A fresh "<unique@domain>" for the Message-ID header.
std::string NewMessageId(const LocalTime& date, std::string_view domain);

}  // namespace velloran
