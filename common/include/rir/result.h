// A value or the error that kept it from being made; the caller must look before using it.
#pragma once

#include <cassert>
#include <optional>
#include <utility>
#include <variant>

#include "rir/error.h"

namespace rir {

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}      // NOLINT: implicit
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT: implicit

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  T& value() & {
    assert(has_value());
    return std::get<0>(state_);
  }
  const T& value() const& {
    assert(has_value());
    return std::get<0>(state_);
  }
  T&& value() && {
    assert(has_value());
    return std::get<0>(std::move(state_));
  }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  const Error& error() const {
    assert(!has_value());
    return std::get<1>(state_);
  }

 private:
  std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)) {}  // NOLINT: implicit

  bool has_value() const { return !error_.has_value(); }
  explicit operator bool() const { return has_value(); }
  const Error& error() const {
    assert(error_.has_value());
    return *error_;
  }

 private:
  std::optional<Error> error_;
};

}  // namespace rir
