#pragma once
// Paths on the system the program runs on.

#include <string>
#include <string_view>
#include <vector>

namespace velloran {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

/// folder + separator + name; a folder that already ends in a separator
/// gets none added.
std::string JoinPath(std::string_view folder, std::string_view name);

/// The folder of the running program file, without a trailing separator.
std::string ExecutableFolder();

/// Names of the plain files of a folder, in the order the file system lists
/// them. Folders, devices and hidden files (names starting with ".") are left
/// out; an unreadable folder gives none.
std::vector<std::string> PlainFileNames(const std::string& folder);

/// Where the engine keeps the files it writes about itself (the debug file,
/// the e-mail back-up): its own folder, which on a deployment share is where
/// the administrator collects them. An engine installed in a system folder (a
/// bin or sbin folder with ../lib/velloran beside it) uses the state folder
/// instead, made when missing: /var/log/velloran for root,
/// UserStateFolder() for a user.
std::string EngineFilesFolder(const std::string& engineFolder);

/// This computer's host name ("" when it cannot be read).
std::string HostName();

/// $XDG_CONFIG_HOME/velloran (default ~/.config/velloran).
std::string UserConfigFolder();
/// $XDG_STATE_HOME/velloran (default ~/.local/state/velloran).
std::string UserStateFolder();

/// A new folder in the system's folder for temporary files that only this
/// user may read, named `prefix` and a random part; "" when none can be made.
std::string MakePrivateTempFolder(std::string_view prefix);

/// The value of an environment variable, or `fallback` when unset or empty.
std::string EnvOr(const char* name, std::string_view fallback);

}  // namespace velloran
