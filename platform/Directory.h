#pragma once
// The directory: objects bound by "LDAP://" path, and a data-access
// connection that runs query text against them.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

// windows.h renames these by macro (to their A/W forms); the seam keeps its
// own names where windows.h was included before it.
#ifdef _WIN32
#undef GetObject
#endif

namespace velloran {

/// A directory object found by its path; alive until its owner releases it.
class DirectoryObject {
 public:
  virtual ~DirectoryObject() = default;
  /// The object's full path in the canonical form "LDAP://host[:port]/DN".
  virtual std::string AdsPath() const = 0;
};

/// One record: per field of the record set, in the order of its FieldNames,
/// every value the record holds (none when it lacks the attribute).
struct DirectoryRecord {
  std::vector<std::vector<std::string>> Fields;
};

/// Every record a query selected, in the order the directory returned them.
struct RecordSet {
  /// The select list, then the attributes asked for besides it.
  std::vector<std::string> FieldNames;
  std::vector<DirectoryRecord> Records;
  /// Position of a field in the select list, case-insensitive; -1 if absent.
  int FieldIndex(std::string_view name) const;
};

/// An open connection of the directory's data-access provider.
class DirectoryConnection {
 public:
  virtual ~DirectoryConnection() = default;
  /// Runs "SELECT attr, ... FROM 'LDAP://...' WHERE attr='value' [AND ...]"
  /// as a subtree search below the path and reads every record, however
  /// many the server hands out per answer. `alsoRead` names attributes
  /// read besides the select list without changing the command text, which
  /// callers log as it stands.
  virtual Result<RecordSet> Execute(std::string_view commandText,
                                    const std::vector<std::string>& alsoRead = {}) = 0;
};

class DirectoryService {
 public:
  virtual ~DirectoryService() = default;
  /// Binds the object named by an "LDAP://" path; fails when the server
  /// cannot be reached or the object does not exist.
  virtual Result<std::unique_ptr<DirectoryObject>> GetObject(std::string_view path) = 0;
  /// Opens a connection of the named provider ("ADsDSOObject").
  virtual Result<std::unique_ptr<DirectoryConnection>> OpenConnection(
      std::string_view provider) = 0;
};

// Failures with the numbers a Windows client would see for the same cause.
inline constexpr int32_t kBadPathname = -2147463168;       // E_ADS_BAD_PATHNAME
inline constexpr int32_t kErrorsInCommand = -2147217900;   // DB_E_ERRORSINCOMMAND
inline constexpr int32_t kProviderNotFound = -2146824582;  // adErrProviderNotFound
inline constexpr int32_t kNoSuchObject = -2147016656;      // ERROR_DS_NO_SUCH_OBJECT
inline constexpr int32_t kServerDown = -2147016646;        // ERROR_DS_SERVER_DOWN

/// The parts of an "LDAP://host[:port]/DN", "LDAP://DN" or "LDAP://name" path.
struct AdsPathParts {
  /// Empty when the path names no server (the client's configured one is used).
  std::string Host;
  /// 0 when the path gives none.
  int Port = 0;
  /// Empty when the path names only a server or domain: the root DSE decides.
  std::string DN;
};

/// Splits a path; a malformed one fails with kBadPathname.
Result<AdsPathParts> ParseAdsPath(std::string_view path);
/// "host", "host:port" (port left out when 0 or 389), "[v6]:port".
std::string CanonicalServer(std::string_view host, int port);

/// What a query text asks for, in LDAP terms.
struct DirectoryCommand {
  std::vector<std::string> Attributes;
  std::string Path;
  /// An RFC 4515 filter, "(objectClass=*)" when the text has no WHERE.
  std::string Filter;
};

/// Reads the SQL dialect of the directory provider; anything outside it
/// fails with kErrorsInCommand.
Result<DirectoryCommand> ParseDirectoryCommand(std::string_view text);

}  // namespace velloran
