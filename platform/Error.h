#pragma once
// Failures at the operating-system seams: a signed 32-bit number and a text.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace velloran {

/// A failed platform call. Negative numbers are COM-style HRESULTs, positive
/// ones Win32 or errno-style codes; the engine writes both in decimal.
struct PlatformError {
  int32_t Number = 0;
  std::string Description;

  bool operator==(const PlatformError&) const = default;
};

/// The outcome of a call that produces nothing: ok(), or the failure.
/// It has no conversion to bool on purpose: "if (status)" read as "if it
/// failed" once, and as "if it worked" elsewhere.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(PlatformError error) : e_(std::move(error)) {}  // NOLINT(implicit)

  static Status Ok() { return {}; }

  bool ok() const { return !e_.has_value(); }
  const PlatformError& error() const { return *e_; }

  bool operator==(const Status&) const = default;

 private:
  std::optional<PlatformError> e_;
};

/// A value or the failure that kept it from being produced; true and ok()
/// on success, like Status.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}              // NOLINT(implicit)
  Result(PlatformError error) : v_(std::move(error)) {}  // NOLINT(implicit)

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() { return std::get<0>(v_); }
  const T& value() const { return std::get<0>(v_); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const PlatformError& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, PlatformError> v_;
};

/// Whether a failure counts for the log: only positive numbers do, the rule
/// of the steps that test "error number greater than 0" (a COM failure, being
/// negative, passes those tests silently).
inline bool CountsAsError(const Status& s) { return !s.ok() && s.error().Number > 0; }

/// "ActiveX component can't create object": a COM object that cannot be made.
inline constexpr int32_t kCannotCreateObject = 429;
/// EINVAL: an environment variable or argument holds a value that cannot be used.
inline constexpr int32_t kInvalidSetting = 22;

/// errno as a platform failure, with the C library's text for it.
PlatformError ErrnoError(int err);

}  // namespace velloran
