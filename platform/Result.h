#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace fm {

// The failure a Result carries instead of its value.
template <class E>
struct Unexpected {
    E error;
};

template <class E>
Unexpected<std::decay_t<E>> unexpected(E&& error) {
    return {std::forward<E>(error)};
}

// A value, or the failure that kept the call from it (the shape of C++23's std::expected):
// read where it is returned, never after the fact. E defaults to the failure's text.
template <class T, class E = std::string>
class Result {
  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    template <class G>
    Result(Unexpected<G> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    T value_or(T otherwise) const { return has_value() ? **this : std::move(otherwise); }

    const E& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, E> state_;
};

// A call that has nothing to return but may fail.
template <class E>
class Result<void, E> {
  public:
    Result() = default;
    template <class G>
    Result(Unexpected<G> failure) : failure_(std::move(failure.error)) {}

    bool has_value() const { return !failure_; }
    explicit operator bool() const { return has_value(); }
    const E& error() const { return *failure_; }

  private:
    std::optional<E> failure_;
};

}  // namespace fm
