// The result of a platform call that can fail: a value, or the failing call and its status.
// Low-level code returns these; only the windows' handlers turn a failure into a message.
#pragma once

#include <cerrno>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace plumeroll {

// What a failure is due to, where a caller tells the user differently: memory running out, a
// picture that could not be read to its end (cut short, changed or gone while it was read), a
// file that could not be written; or none of those.
enum class Cause { kOther, kMemory, kSource, kTarget };

struct Failure {
  std::string call;          // the function that failed ("LoadImageW"), or the check that refused
  std::uint32_t status = 0;  // its error code (GetLastError, errno or a code of ours)
  Cause cause = Cause::kOther;
};

// Memory that could not be had (std::bad_alloc caught).
inline Failure OutOfMemory() {
  return Failure{"operator new", ENOMEM, Cause::kMemory};
}

// "LoadImageW, code 2": how a failure is named to the user.
inline std::string Describe(const Failure& failure) {
  return failure.call + ", code " + std::to_string(failure.status);
}

// A failure no handler can work around (the window system refusing a window): it ends the
// program with a message that names it.
class PlatformError : public std::runtime_error {
 public:
  explicit PlatformError(const Failure& failure) : std::runtime_error(Describe(failure)) {}
};

template <class T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Failure failure) : failure_(std::move(failure)) {}

  explicit operator bool() const { return !failure_; }
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  const Failure& failure() const { return *failure_; }

 private:
  std::optional<T> value_;
  std::optional<Failure> failure_;
};

template <>
class Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : failure_(std::move(failure)) {}

  explicit operator bool() const { return !failure_; }
  const Failure& failure() const { return *failure_; }

 private:
  std::optional<Failure> failure_;
};

}  // namespace plumeroll
