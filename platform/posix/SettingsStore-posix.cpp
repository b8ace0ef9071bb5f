// The settings store as one text file per hive:
//
//   [Software\Velloran\C:\deploy\move.ini]
//   SUCCESS=True
//
// Key paths are split at backslashes and compared part by part without
// regard to case, as registry keys are. A trailing backslash names the key
// itself (an empty INI path keeps its marker in the application key); empty
// parts inside a path are kept, so "\\srv\x.ini" and "\srv\x.ini" stay apart.
// '%', line ends, ']' in key paths, '=' in value names and a ';' or '[' that
// starts a value name (it would read back as a comment or a key) are written
// as %XX.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <map>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"
#include "platform/Backends.h"
#include "platform/posix/OpenFile-posix.h"

namespace velloran {

namespace {

std::string NormalizeKey(std::string_view keyPath) {
  std::string k(keyPath);
  while (!k.empty() && k.back() == '\\') k.pop_back();
  return k;
}

std::string Escape(std::string_view s, std::string_view special,
                   std::string_view specialFirst = {}) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if (c == '%' || c == '\r' || c == '\n' || special.find(c) != std::string_view::npos ||
        (out.empty() && specialFirst.find(c) != std::string_view::npos)) {
      out += '%';
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() + 0 &&
        std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// A hive holds a few lines per INI file a user ever ran; a file far larger
// is not one, and reading it whole would only cost memory.
constexpr size_t kMaxHiveBytes = 16u << 20;

struct Value {
  std::string Name, Data;
};
struct Key {
  std::string Path;  // as first written
  std::vector<Value> Values;
};

class HiveFile {
 public:
  std::vector<Key> Keys;

  static Result<HiveFile> Load(const std::string& path) {
    HiveFile hive;
    auto content = ReadRegularFile(path, kMaxHiveBytes);
    if (!content) {
      if (content.error().Number == ENOENT) return hive;
      return content.error();
    }
    Key* current = nullptr;
    std::string_view rest = *content;
    while (!rest.empty()) {
      size_t nl = rest.find('\n');
      std::string_view line = rest.substr(0, nl);
      rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
      if (line.empty() || line[0] == ';') continue;
      if (line.front() == '[' && line.back() == ']') {
        hive.Keys.push_back({Unescape(line.substr(1, line.size() - 2)), {}});
        current = &hive.Keys.back();
      } else if (size_t eq = line.find('='); current && eq != std::string_view::npos) {
        current->Values.push_back({Unescape(line.substr(0, eq)), Unescape(line.substr(eq + 1))});
      }
    }
    return hive;
  }

  std::string Serialize() const {
    std::string out = "; Velloran settings hive\n";
    for (const Key& k : Keys) {
      out += "[" + Escape(k.Path, "]") + "]\n";
      for (const Value& v : k.Values)
        out += Escape(v.Name, "=", ";[") + "=" + Escape(v.Data, "") + "\n";
    }
    return out;
  }

  // Key paths compare exactly: here they hold file paths of a system whose
  // file names are case-sensitive, and two INI files whose paths differ only
  // in case must not share one run-once marker. Value names still compare
  // without regard to case, as the registry's do.
  Key* Find(std::string_view keyPath) {
    std::string want = NormalizeKey(keyPath);
    for (Key& k : Keys)
      if (k.Path == want) return &k;
    return nullptr;
  }
};

class FileSettingsStore : public SettingsStore {
 public:
  FileSettingsStore(std::string user, std::string machine)
      : user_(std::move(user)), machine_(std::move(machine)) {}

  Result<std::optional<std::string>> ReadValue(Hive hive, std::string_view keyPath,
                                               std::string_view name) override {
    auto file = HiveFile::Load(PathOf(hive));
    if (!file) return file.error();
    if (Key* k = file->Find(keyPath)) {
      std::string want = AsciiLower(name);
      for (const Value& v : k->Values)
        if (AsciiLower(v.Name) == want) return std::optional<std::string>(v.Data);
    }
    return std::optional<std::string>();
  }

  Status WriteValue(Hive hive, std::string_view keyPath, std::string_view name,
                    std::string_view value) override {
    const std::string& path = PathOf(hive);
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder, ec)) {
      std::filesystem::create_directories(folder, ec);
      if (ec)
        return PlatformError{ec.value(), "Cannot create " + folder.string() + ": " + ec.message()};
      if (hive == Hive::CurrentUser) ::chmod(folder.c_str(), 0700);
    }

    // Two engines of one user may finish together: serialise the
    // read-modify-write so neither loses the other's value.
    std::string lockPath = path + ".lock";
    auto lock = OpenRegularFile(lockPath, O_RDWR | O_CREAT, 0600);
    if (lock) ::flock(*lock, LOCK_EX);
    Status result = Update(path, hive, keyPath, name, value);
    if (lock) ::close(*lock);
    return result;
  }

 private:
  const std::string& PathOf(Hive hive) const {
    return hive == Hive::CurrentUser ? user_ : machine_;
  }

  Status Update(const std::string& path, Hive hive, std::string_view keyPath, std::string_view name,
                std::string_view value) {
    // The rename would replace a file its owner made read-only; refuse as
    // the registry refuses a key without write access.
    if (IsReadOnlyFile(path)) return ErrnoError(EACCES);
    auto file = HiveFile::Load(path);
    if (!file) return file.error();
    Key* k = file->Find(keyPath);
    if (!k) {
      file->Keys.push_back({NormalizeKey(keyPath), {}});
      k = &file->Keys.back();
    }
    std::string want = AsciiLower(name);
    auto v = std::find_if(k->Values.begin(), k->Values.end(),
                          [&](const Value& x) { return AsciiLower(x.Name) == want; });
    if (v != k->Values.end())
      v->Data = value;
    else
      k->Values.push_back({std::string(name), std::string(value)});
    return ReplaceRegularFile(path, file->Serialize(), hive == Hive::CurrentUser ? 0600 : 0644);
  }

  std::string user_, machine_;
};

}  // namespace

std::unique_ptr<SettingsStore> MakeFileSettingsStore(std::string userHivePath,
                                                     std::string machineHivePath) {
  return std::make_unique<FileSettingsStore>(std::move(userHivePath), std::move(machineHivePath));
}

}  // namespace velloran
