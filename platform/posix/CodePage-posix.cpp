// Code pages through iconv. windows-1252, the default, is built in: glibc's
// table leaves five bytes undefined that Windows reads as C1 controls, and
// the default must not depend on the system's converter modules.

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/CodePage.h"
#include "platform/CodePageDetail.h"

namespace velloran {

namespace {

constexpr const char* kSettingName = "VELLORAN_CODEPAGE";
constexpr std::string_view kDefault = "windows-1252";

class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : cd_(::iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t Handle() const { return cd_; }

  /// Converts `in`; where the input cannot be converted, `replacement` is
  /// written and `skip(in, at)` bytes are passed over; when the text
  /// ends inside a sequence, the tail is replaced once.
  std::string Run(std::string_view in, std::string_view replacement,
                  size_t (*skip)(std::string_view, size_t)) const {
    if (!ok()) return std::string(replacement);
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out(in.size() * 4 + 16, '\0');
    char* inp = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    size_t used = 0;
    auto room = [&](size_t need) {
      if (out.size() - used < need) out.resize(out.size() * 2 + need);
    };
    while (inLeft > 0) {
      char* outp = out.data() + used;
      size_t outLeft = out.size() - used;
      size_t r = ::iconv(cd_, &inp, &inLeft, &outp, &outLeft);
      used = static_cast<size_t>(outp - out.data());
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        room(out.size());
        continue;
      }
      room(replacement.size());
      out.replace(used, replacement.size(), replacement);
      used += replacement.size();
      size_t at = in.size() - inLeft;
      size_t n = errno == EINVAL ? inLeft : std::max<size_t>(1, std::min(inLeft, skip(in, at)));
      inp += n;
      inLeft -= n;
    }
    room(16);
    char* outp = out.data() + used;
    size_t outLeft = out.size() - used;
    ::iconv(cd_, nullptr, nullptr, &outp, &outLeft);
    out.resize(static_cast<size_t>(outp - out.data()));
    return out;
  }

 private:
  iconv_t cd_;
};

size_t OneByte(std::string_view, size_t) { return 1; }

size_t OneUtf8Sequence(std::string_view s, size_t at) {
  size_t i = at;
  DecodeUtf8(s, i);
  return i - at;
}

/// A multi-byte code page, converted by iconv on every call.
class IconvCodePage final : public CodePage {
 public:
  IconvCodePage(std::string name, std::string iconvName)
      : name_(std::move(name)), iconvName_(std::move(iconvName)) {}

  const std::string& Name() const override { return name_; }
  bool SingleByte() const override { return false; }

  std::string ToUtf8(std::string_view ansi) const override {
    Converter c("UTF-8", iconvName_);
    return c.Run(ansi, "\xEF\xBF\xBD", OneByte);
  }
  std::string FromUtf8(std::string_view utf8) const override {
    Converter c(iconvName_, "UTF-8");
    return c.Run(utf8, "?", OneUtf8Sequence);
  }

 private:
  std::string name_, iconvName_;
};

/// Opens `iconvName`: as a byte table when every byte stands alone, else as
/// a converter. Nothing when iconv does not know the name.
std::unique_ptr<CodePage> OpenWithIconv(const std::string& name, const std::string& iconvName) {
  Converter probe("UTF-32LE", iconvName);
  if (!probe.ok()) return nullptr;
  codepage::ByteTable table{};
  for (size_t b = 0; b < 256; ++b) {
    char in[1] = {static_cast<char>(b)};
    unsigned char out[16];
    char* inp = in;
    char* outp = reinterpret_cast<char*>(out);
    size_t inLeft = 1, outLeft = sizeof out;
    ::iconv(probe.Handle(), nullptr, nullptr, nullptr, nullptr);
    size_t r = ::iconv(probe.Handle(), &inp, &inLeft, &outp, &outLeft);
    const size_t produced = sizeof out - outLeft;
    // A byte that starts a longer sequence (or shifts state) makes the code
    // page multi-byte: table lookups would split its characters.
    if ((r == static_cast<size_t>(-1) && errno == EINVAL) ||
        (r != static_cast<size_t>(-1) && produced != 4)) {
      return std::make_unique<IconvCodePage>(name, iconvName);
    }
    table[b] = r == static_cast<size_t>(-1)
                   ? codepage::kUndefined
                   : static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
  }
  return codepage::MakeByteTableCodePage(name, table);
}

}  // namespace

Result<std::unique_ptr<CodePage>> OpenCodePage(std::string_view name) {
  std::vector<std::string> candidates;
  std::string label(name);
  if (auto number = codepage::CodePageNumber(name)) {
    if (*number == 1252) return codepage::MakeByteTableCodePage("windows-1252", codepage::Windows1252());
    label = codepage::CharsetName(*number);
    candidates = {label, "CP" + std::to_string(*number), "WINDOWS-" + std::to_string(*number)};
  } else {
    candidates = {label};
  }
  if (!label.empty()) {
    for (const auto& candidate : candidates) {
      if (auto cp = OpenWithIconv(label, candidate)) return cp;
    }
  }
  return PlatformError{kInvalidSetting, "\"" + std::string(name) + "\" is no code page this system can convert"};
}

namespace {

struct ProcessCodePage {
  std::unique_ptr<CodePage> Page;
  Status Setting;
};

const ProcessCodePage& Process() {
  static const ProcessCodePage p = [] {
    ProcessCodePage r;
    const char* value = std::getenv(kSettingName);
    std::string_view name = value && *value ? std::string_view(value) : kDefault;
    auto opened = OpenCodePage(name);
    if (opened) {
      r.Page = std::move(*opened);
    } else {
      r.Setting = PlatformError{kInvalidSetting, std::string(kSettingName) + ": " + opened.error().Description};
      r.Page = codepage::MakeByteTableCodePage("windows-1252", codepage::Windows1252());
    }
    return r;
  }();
  return p;
}

}  // namespace

Status CheckAnsiCodePageSetting() { return Process().Setting; }

const CodePage& AnsiCodePage() { return *Process().Page; }

}  // namespace velloran
