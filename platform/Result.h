// The result of a platform call that can fail: a value, or the failing call and its status.
// Low-level code returns these; only the windows' handlers turn a failure into a message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace plumeroll {

struct Failure {
  std::string Call;          // the function that failed, e.g. "LoadImageW"
  std::uint32_t Status = 0;  // its error code (GetLastError, errno or a code of ours)
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
