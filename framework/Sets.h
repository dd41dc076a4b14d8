// A small set of enumeration values held in one integer, one bit per value
// (the ordinal of the value is its bit number), for "which of these apply" fields.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace qv {

template <class E, class Bits = std::uint32_t>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items)
    {
        for (E e : items)
            bits_ |= Bit(e);
    }
    static constexpr TSet FromBits(Bits bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }

    constexpr Bits ToBits() const { return bits_; }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& Include(E e)
    {
        bits_ |= Bit(e);
        return *this;
    }
    constexpr TSet& Exclude(E e)
    {
        bits_ &= static_cast<Bits>(~Bit(e));
        return *this;
    }

    friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(static_cast<Bits>(a.bits_ | b.bits_)); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(static_cast<Bits>(a.bits_ & ~b.bits_)); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(static_cast<Bits>(a.bits_ & b.bits_)); }
    friend constexpr bool operator==(TSet a, TSet b) { return a.bits_ == b.bits_; }
    friend constexpr bool operator!=(TSet a, TSet b) { return a.bits_ != b.bits_; }

private:
    static constexpr Bits Bit(E e) { return static_cast<Bits>(Bits(1) << static_cast<unsigned>(e)); }

    Bits bits_ = 0;
};

} // namespace qv
