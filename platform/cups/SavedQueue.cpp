#include "platform/cups/SavedQueue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"

namespace velloran::cups {

namespace {

constexpr const char* kMagic = "velloran saved queue 1";
// PPDs of big office machines run to a few hundred kilobytes.
constexpr size_t kMaxSavedQueue = 16u << 20;

struct Buffer {
  std::string Bytes;
  size_t Read = 0;
};

ssize_t WriteToBuffer(void* context, ipp_uchar_t* data, size_t bytes) {
  static_cast<Buffer*>(context)->Bytes.append(reinterpret_cast<const char*>(data), bytes);
  return static_cast<ssize_t>(bytes);
}

ssize_t ReadFromBuffer(void* context, ipp_uchar_t* data, size_t bytes) {
  auto* b = static_cast<Buffer*>(context);
  size_t n = std::min(bytes, b->Bytes.size() - b->Read);
  std::memcpy(data, b->Bytes.data() + b->Read, n);
  b->Read += n;
  return static_cast<ssize_t>(n);
}

std::string Encode(ipp_t* attributes) {
  Buffer b;
  ippSetState(attributes, IPP_STATE_IDLE);
  if (ippWriteIO(&b, WriteToBuffer, 1, nullptr, attributes) != IPP_STATE_DATA) return "";
  return b.Bytes;
}

PlatformError NotSaved(const std::string& path, const std::string& why) {
  return {kInvalidSetting, path + " is not a saved queue: " + why};
}

}  // namespace

// The folder must be root's alone (or, without root, its user's): whoever
// else could write there could make root restore a queue of their choosing.
Status EnsureQueueStateFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec)
    return PlatformError{ec.value(),
                         "The queue state folder " + folder + " cannot be made: " + ec.message()};
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) return ErrnoError(errno);
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
    if (S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && ::chmod(folder.c_str(), 0700) == 0)
      return Status::Ok();
    return PlatformError{kAccessDenied, "The queue state folder " + folder +
                                            " is not a folder of this user's alone."};
  }
  return Status::Ok();
}

namespace {

std::string Stamp() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::gmtime_r(&now, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &tm);
  return text;
}

// One "key: value" line; false at the end of the header.
bool HeaderLine(const std::string& text, size_t& pos, std::string& key, std::string& value) {
  size_t nl = text.find('\n', pos);
  if (nl == std::string::npos) return false;
  std::string line = text.substr(pos, nl - pos);
  size_t colon = line.find(": ");
  if (colon == std::string::npos) return false;
  key = line.substr(0, colon);
  value = line.substr(colon + 2);
  pos = nl + 1;
  return true;
}

// "KEY: N\n" followed by N bytes.
bool Block(const std::string& text, size_t& pos, const std::string& key, std::string& bytes) {
  std::string k, v;
  if (!HeaderLine(text, pos, k, v) || k != key) return false;
  size_t n = 0;
  for (char c : v) {
    if (c < '0' || c > '9' || n > kMaxSavedQueue) return false;
    n = n * 10 + static_cast<size_t>(c - '0');
  }
  if (v.empty() || n > text.size() - pos) return false;
  bytes = text.substr(pos, n);
  pos += n;
  if (pos < text.size() && text[pos] == '\n') ++pos;
  return true;
}

}  // namespace

std::string SavedQueueFolder() {
  std::string fallback =
      ::geteuid() == 0 ? "/var/lib/velloran/queues" : JoinPath(UserStateFolder(), "queues");
  return EnvOr("VELLORAN_QUEUE_STATE", fallback);
}

Result<std::string> SaveQueue(const Queue& q) {
  const std::string folder = SavedQueueFolder();
  if (Status s = EnsureQueueStateFolder(folder); !s.ok()) return s.error();
  const std::string path =
      JoinPath(folder, q.Name + "." + Stamp() + "." + std::to_string(::getpid()) + ".queue");
  const std::string attributes = q.Attributes ? Encode(q.Attributes.get()) : "";
  std::string text = std::string(kMagic) + "\nname: " + q.Name + "\ndevice-uri: " + q.DeviceUri +
                     "\nsystem-default: " + (q.WasSystemDefault ? "yes" : "no") + "\n";
  if (!q.JobsParkedIn.empty()) text += "jobs-waiting-in: " + q.JobsParkedIn + "\n";
  if (!q.HoldingMark.empty()) text += "holding-mark: " + q.HoldingMark + "\n";
  text += "attributes: " + std::to_string(attributes.size()) + "\n" + attributes + "\n";
  if (q.Ppd) text += "ppd: " + std::to_string(q.Ppd->size()) + "\n" + *q.Ppd + "\n";
  if (Status s = WriteFileAtomically(path, text, 0600); !s.ok())
    return PlatformError{s.error().Number, "The settings of the queue " + q.Name +
                                               " cannot be saved to " + path + ": " +
                                               s.error().Description};
  return path;
}

Result<Queue> LoadSavedQueue(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    PlatformError e = ErrnoError(errno);
    e.Description = path + ": " + e.Description;
    return e;
  }
  struct stat st {};
  std::string text;
  bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (regular && static_cast<size_t>(st.st_size) <= kMaxSavedQueue) {
    text.resize(static_cast<size_t>(st.st_size));
    ssize_t n = ::read(fd, text.data(), text.size());
    text.resize(n < 0 ? 0 : static_cast<size_t>(n));
  }
  ::close(fd);
  if (!regular) return NotSaved(path, "not a regular file");
  // What root puts back must be root's own word: a file another user owns
  // or may change could name any driver and device.
  if (st.st_uid != ::geteuid() || (st.st_mode & 022) != 0)
    return NotSaved(path, "it is not this user's own file, or others may change it");
  if (static_cast<size_t>(st.st_size) > kMaxSavedQueue) return NotSaved(path, "too large");
  if (!text.starts_with(std::string(kMagic) + "\n")) return NotSaved(path, "no header");

  size_t pos = std::strlen(kMagic) + 1;
  std::string name, device, key, value;
  bool wasDefault = false;
  std::string parked, mark;
  for (int i = 0; i < 5 && text.compare(pos, 12, "attributes: ") != 0; ++i) {
    if (!HeaderLine(text, pos, key, value)) return NotSaved(path, "a broken header line");
    if (key == "name") name = value;
    if (key == "device-uri") device = value;
    if (key == "system-default") wasDefault = value == "yes";
    if (key == "jobs-waiting-in") parked = value;
    if (key == "holding-mark") mark = value;
  }
  if (name.empty() || device.empty()) return NotSaved(path, "no name or device");
  Queue q = MakeQueue(name, device);
  q.WasSystemDefault = wasDefault;
  q.JobsParkedIn = parked;
  q.HoldingMark = mark;
  std::string attributes;
  if (!Block(text, pos, "attributes", attributes)) return NotSaved(path, "no attributes");
  if (!attributes.empty()) {
    Buffer b{attributes, 0};
    ipp_t* ipp = ippNew();
    if (ippReadIO(&b, ReadFromBuffer, 1, nullptr, ipp) != IPP_STATE_DATA) {
      ippDelete(ipp);
      return NotSaved(path, "its attributes cannot be read");
    }
    q.Attributes = Hold(ipp);
  }
  std::string ppd;
  if (pos < text.size()) {
    if (!Block(text, pos, "ppd", ppd)) return NotSaved(path, "a broken driver block");
    q.Ppd = std::move(ppd);
  }
  return q;
}

}  // namespace velloran::cups
