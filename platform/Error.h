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

/// Nothing on success, the failure otherwise.
using Status = std::optional<PlatformError>;

/// A value or the failure that kept it from being produced.
template <typename T>
class Result {
 public:
  Result(T value) : v_(std::move(value)) {}                 // NOLINT(implicit)
  Result(PlatformError error) : v_(std::move(error)) {}     // NOLINT(implicit)

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

/// errno as a platform failure, with the C library's text for it.
PlatformError ErrnoError(int err);

}  // namespace velloran
