// A small set of enumeration values (ordinals 0..63), the classic "set of TEnum".
#pragma once

#include <cstdint>
#include <initializer_list>

template <class E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values) {
        for (E v : values)
            bits_ |= Bit(v);
    }
    static constexpr TSet FromMask(std::uint64_t mask) {
        TSet s;
        s.bits_ = mask;
        return s;
    }
    constexpr std::uint64_t Mask() const { return bits_; }

    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& Include(E v) {
        bits_ |= Bit(v);
        return *this;
    }
    constexpr TSet& Exclude(E v) {
        bits_ &= ~Bit(v);
        return *this;
    }
    constexpr TSet& operator<<(E v) { return Include(v); }
    constexpr TSet& operator>>(E v) { return Exclude(v); }

    constexpr TSet operator+(TSet o) const { return FromMask(bits_ | o.bits_); }
    constexpr TSet operator-(TSet o) const { return FromMask(bits_ & ~o.bits_); }
    constexpr TSet operator*(TSet o) const { return FromMask(bits_ & o.bits_); }
    constexpr TSet& operator+=(TSet o) {
        bits_ |= o.bits_;
        return *this;
    }
    constexpr TSet& operator-=(TSet o) {
        bits_ &= ~o.bits_;
        return *this;
    }
    constexpr TSet& operator*=(TSet o) {
        bits_ &= o.bits_;
        return *this;
    }
    constexpr bool operator==(const TSet&) const = default;
    // Subset test, like "a <= b" of the classic sets.
    constexpr bool operator<=(TSet o) const { return (bits_ & ~o.bits_) == 0; }

private:
    static constexpr std::uint64_t Bit(E v) { return std::uint64_t{1} << static_cast<int>(v); }
    std::uint64_t bits_ = 0;
};
