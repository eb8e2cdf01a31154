#pragma once

#include <utility>
#include <variant>

namespace veltrano {

// The value a step yields, or why it yields none.
template <class T, class E> class [[nodiscard]] Result {
public:
    Result(T value) : held_(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : held_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return held_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& operator*() { return std::get<0>(held_); }
    const T& operator*() const { return std::get<0>(held_); }
    T* operator->() { return &std::get<0>(held_); }
    const T* operator->() const { return &std::get<0>(held_); }
    const E& error() const { return std::get<1>(held_); }

private:
    std::variant<T, E> held_;
};

} // namespace veltrano
