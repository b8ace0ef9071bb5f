#include "tests/support/Fakes.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/AsciiCase.h"

namespace velloran::test {

namespace fs = std::filesystem;

namespace {
bool SameName(std::string_view a, std::string_view b) { return AsciiLower(a) == AsciiLower(b); }
}  // namespace

std::string RawControlIn(std::string_view text, std::string_view allowed) {
  auto at = [&](size_t i, const char* what) {
    return std::string(what) + " at byte " + std::to_string(i);
  };
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      if ((b < 0x20 && allowed.find(static_cast<char>(b)) == std::string_view::npos) || b == 0x7F)
        return at(i, "C0 control or DEL");
      ++i;
      continue;
    }
    // Shortest forms only, no surrogates: what a strict reader accepts.
    const size_t length = b >= 0xC2 && b <= 0xDF   ? 2
                          : b >= 0xE0 && b <= 0xEF ? 3
                          : b >= 0xF0 && b <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || i + length > text.size()) return at(i, "byte that is no UTF-8");
    char32_t c = b & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return at(i, "byte that is no UTF-8");
      c = (c << 6) | (next & 0x3F);
    }
    if ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
        (length == 4 && (c < 0x10000 || c > 0x10FFFF)))
      return at(i, "byte that is no UTF-8");
    if (c >= 0x80 && c <= 0x9F) return at(i, "C1 control");
    i += length;
  }
  return {};
}

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "velloran-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave read-only folders behind; make them removable first.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const fs::path& p, const std::string& content) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << content;
}

Result<std::optional<std::string>> MemorySettingsStore::ReadValue(Hive hive,
                                                                  std::string_view keyPath,
                                                                  std::string_view name) {
  auto it = Values.find(std::to_string(static_cast<int>(hive)) + "|" + AsciiLower(keyPath) + "|" +
                        AsciiLower(name));
  if (it == Values.end()) return std::optional<std::string>();
  return std::optional<std::string>(it->second);
}

Status MemorySettingsStore::WriteValue(Hive hive, std::string_view keyPath, std::string_view name,
                                       std::string_view value) {
  if (FailWrites) return *FailWrites;
  Values[std::to_string(static_cast<int>(hive)) + "|" + AsciiLower(keyPath) + "|" +
         AsciiLower(name)] = value;
  return Status::Ok();
}

namespace {
class FakeNetworkObject : public NetworkObject {
 public:
  explicit FakeNetworkObject(FakeNetwork& net) : net_(net) {}

  Result<std::vector<std::string>> EnumPrinterConnections() override {
    net_.Calls.push_back("enum");
    if (net_.EnumFails) return *net_.EnumFails;
    std::vector<std::string> items;
    for (const auto& c : net_.Connections) {
      items.push_back(c.rfind("\\\\", 0) == 0 ? "" : "LPT1:");
      items.push_back(c);
    }
    return items;
  }

  Status RemovePrinterConnection(std::string_view path, bool, bool) override {
    net_.Calls.push_back("remove " + std::string(path));
    for (const auto& [p, err] : net_.RemoveFails)
      if (SameName(p, path)) return err;
    auto it = std::find_if(net_.Connections.begin(), net_.Connections.end(),
                           [&](const std::string& c) { return SameName(c, path); });
    if (it == net_.Connections.end())
      return PlatformError{-2147022646, "This network connection does not exist."};
    if (SameName(net_.Default, *it)) net_.Default.clear();
    net_.Connections.erase(it);
    return Status::Ok();
  }

  Status AddWindowsPrinterConnection(std::string_view path) override {
    net_.Calls.push_back("add " + std::string(path));
    for (const auto& [p, err] : net_.AddFails)
      if (SameName(p, path)) return err;
    if (!net_.Shares.empty() &&
        std::none_of(net_.Shares.begin(), net_.Shares.end(),
                     [&](const std::string& s) { return SameName(s, path); }))
      return PlatformError{-2147023095, "The printer name is invalid."};
    if (std::none_of(net_.Connections.begin(), net_.Connections.end(),
                     [&](const std::string& c) { return SameName(c, path); }))
      net_.Connections.emplace_back(path);
    return Status::Ok();
  }

  Result<std::string> GetDefaultPrinter() override { return net_.Default; }

  Status SetDefaultPrinter(std::string_view path) override {
    net_.Calls.push_back("default " + std::string(path));
    if (net_.SetDefaultFails) return *net_.SetDefaultFails;
    if (std::none_of(net_.Connections.begin(), net_.Connections.end(),
                     [&](const std::string& c) { return SameName(c, path); }))
      return PlatformError{-2147022646, "This network connection does not exist."};
    net_.Default = path;
    return Status::Ok();
  }

  Result<std::string> ComputerName() override {
    if (net_.ComputerNameFails) return *net_.ComputerNameFails;
    return net_.Computer;
  }

 private:
  FakeNetwork& net_;
};
}  // namespace

Result<std::unique_ptr<NetworkObject>> FakeNetwork::Create(std::string_view) {
  if (CreateFails) return *CreateFails;
  ++ObjectsCreated;
  return std::unique_ptr<NetworkObject>(std::make_unique<FakeNetworkObject>(*this));
}

MessageAnswer RecordingMessageBox::Show(std::string_view text, std::string_view title,
                                        MessageIcon icon, MessageButtons buttons) {
  Shown.push_back({std::string(text), std::string(title), icon, buttons});
  if (!Answers.empty()) {
    MessageAnswer a = Answers.front();
    Answers.erase(Answers.begin());
    return a;
  }
  switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
      return MessageAnswer::Yes;
    default:
      return MessageAnswer::OK;
  }
}

Status RecordingEventLog::ReportEvent(std::string_view source, uint16_t type, uint32_t eventId,
                                      std::string_view text) {
  if (Fails) return *Fails;
  Events.push_back({std::string(source), type, eventId, std::string(text)});
  return Status::Ok();
}

}  // namespace velloran::test
