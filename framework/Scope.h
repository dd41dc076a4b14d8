// Steps that must happen however a block is left: by its end, a return or an
// exception. They run in destructors, so they only put back flags and counters; an
// event, a notification or anything else that may raise is never called from here
// (a handler's exception must reach the application's handler, not std::terminate).
#pragma once

#include <utility>

namespace qv {

// Runs its step when the block ends: TBlockEnd done{[this] { busy_ = false; }};
template <class F>
class TBlockEnd {
public:
    explicit TBlockEnd(F step) : step_(std::move(step)) {}
    ~TBlockEnd() { step_(); }
    TBlockEnd(const TBlockEnd&) = delete;
    TBlockEnd& operator=(const TBlockEnd&) = delete;

private:
    F step_;
};
template <class F>
TBlockEnd(F) -> TBlockEnd<F>;

// Gives a variable a value for the block's life and puts the old one back after it.
template <class T>
class [[nodiscard]] TScopedValue {
public:
    TScopedValue(T& variable, T value) : variable_(variable), saved_(std::move(variable))
    {
        variable_ = std::move(value);
    }
    ~TScopedValue() { variable_ = std::move(saved_); }
    TScopedValue(const TScopedValue&) = delete;
    TScopedValue& operator=(const TScopedValue&) = delete;

private:
    T& variable_;
    T saved_;
};

// Counts a nesting level up for the block's life (a lock that several blocks may hold).
class [[nodiscard]] TScopedCount {
public:
    explicit TScopedCount(int& counter) : counter_(counter) { ++counter_; }
    ~TScopedCount() { --counter_; }
    TScopedCount(const TScopedCount&) = delete;
    TScopedCount& operator=(const TScopedCount&) = delete;

private:
    int& counter_;
};

} // namespace qv
