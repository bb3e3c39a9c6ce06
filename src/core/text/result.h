// A value or the error that kept it from being made, in the shape of C++23's std::expected (which
// the compilers this builds with do not offer in C++20 mode). Result<void> carries only an error.
// Reading the value of an error, or the error of a value, is a programming fault.
#pragma once

#include <cassert>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>

namespace kelvo {

// Wraps an error so that Result<T, E> can be built from it even where T could be built from E too.
template <typename E>
struct Unexpected {
  E error;
};
template <typename E>
Unexpected(E) -> Unexpected<E>;

template <typename T, typename E = std::error_code>
class [[nodiscard]] Result {
 public:
  Result() requires std::is_default_constructible_v<T> : state_(std::in_place_index<0>) {}
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  Result(Unexpected<E> failure)                                          // NOLINT: implicit
      : state_(std::in_place_index<1>, std::move(failure.error)) {}

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
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const E& error() const {
    assert(!has_value());
    return std::get<1>(state_);
  }

  template <typename U>
  T value_or(U&& fallback) const& {
    return has_value() ? value() : static_cast<T>(std::forward<U>(fallback));
  }

 private:
  std::variant<T, E> state_;
};

template <typename E>
class [[nodiscard]] Result<void, E> {
 public:
  Result() = default;
  Result(Unexpected<E> failure) : error_(std::move(failure.error)), failed_(true) {}  // NOLINT

  bool has_value() const { return !failed_; }
  explicit operator bool() const { return has_value(); }
  const E& error() const {
    assert(failed_);
    return error_;
  }

 private:
  E error_{};
  bool failed_ = false;
};

// The usual way to fail with a std::error_code: Fail(errno_value) or Fail(std::errc::...).
inline Unexpected<std::error_code> Fail(std::error_code error) {
  return {error};
}
inline Unexpected<std::error_code> Fail(std::errc error) {
  return {std::make_error_code(error)};
}

}  // namespace kelvo
