#pragma once
// Reading and writing the settings record through the profile functions.

#include <functional>
#include <string>
#include <string_view>

#include "common/INISettings.h"
#include "platform/Error.h"
#include "platform/profile/Profile.h"

namespace velloran {

/// Where the reader reports what it had to drop (surplus list entries). The
/// engine passes its debug log; the toolkit may pass nothing.
using ReaderLog = std::function<void(std::string_view line)>;

/// Placeholders stored for a blank item inside a non-empty list key.
inline constexpr std::string_view kErrorFromServer = "Error in From Server Name";
inline constexpr std::string_view kErrorToServer = "Error in To Server Name";
inline constexpr std::string_view kErrorFromPrinter = "Error in From Printer Name";
inline constexpr std::string_view kErrorToPrinter = "Error in To Printer Name";
inline constexpr std::string_view kErrorToEmail = "Error in To Email Address";

/// The INI document of one program: the file path and the profile backend
/// every read and write goes through.
class INIDocument {
 public:
  INIDocument(ProfileFunctions& profile, std::string path, ReaderLog log = {})
      : profile_(profile), path_(std::move(path)), log_(std::move(log)) {}

  const std::string& Path() const { return path_; }
  void SetPath(std::string path) { path_ = std::move(path); }

  std::string ReadINIString(std::string_view section, std::string_view key) const;
  bool ReadINIBoolean(std::string_view section, std::string_view key) const;
  int16_t ReadINIInteger(std::string_view section, std::string_view key) const;
  void ReadServerPairs(std::vector<NamePair>& list) const;
  void ReadPrinterPairs(std::vector<NamePair>& list) const;
  void ReadMixedPairs(std::vector<MixedPair>& list) const;
  void ReadEmailToList(std::vector<std::string>& list) const;
  /// Reads every key, in file order, into `s`. DebugOn is read last.
  void ReadINISettings(INISettings& s) const;

  /// Writers: empty texts become a single blank in the record and the file.
  /// The first failed write is returned (later keys are still attempted).
  Status WriteINIString(std::string_view section, std::string_view key, std::string& text);
  Status WriteINIBoolean(std::string_view section, std::string_view key, bool value);
  Status WriteINIInteger(std::string_view section, std::string_view key, int16_t value);
  Status WriteServerPairs(const std::vector<NamePair>& list);
  Status WritePrinterPairs(const std::vector<NamePair>& list);
  Status WriteMixedPairs(const std::vector<MixedPair>& list);
  Status WriteEmailToList(const std::vector<std::string>& list);
  Status WriteINISettings(INISettings& s);

 private:
  ProfileFunctions& profile_;
  std::string path_;
  ReaderLog log_;
};

/// How many slots the file format numbers for a list of `entries` entries:
/// a key without entries still has one blank slot, and a single entry has a
/// blank slot behind it, so that "last slot above 0" means "has entries".
/// Only listings that show the lists the way the format counts them need it.
size_t FileListSlots(size_t entries);

/// The leading-number rule of MDACOption: blanks, tabs and line feeds are
/// ignored anywhere, the longest leading decimal number is taken (0 if none),
/// rounded half to even and clamped into the signed 16-bit range.
int16_t LeadingNumberToInt16(std::string_view text);

}  // namespace velloran
