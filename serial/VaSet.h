#pragma once
// A set of enumeration values stored as bits, one bit per value (bit n for
// the value n), as the component's option and event sets are kept.
#include <initializer_list>

template <typename E, typename Bits>
class TVaSet {
public:
  constexpr TVaSet() = default;
  constexpr TVaSet(std::initializer_list<E> items) {
    for (E item : items) FBits = Bits(FBits | Bit(item));
  }
  static constexpr TVaSet FromBits(Bits bits) {
    TVaSet set;
    set.FBits = bits;
    return set;
  }

  constexpr Bits ToBits() const { return FBits; }
  constexpr bool Contains(E item) const { return (FBits & Bit(item)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TVaSet& Include(E item) {
    FBits = Bits(FBits | Bit(item));
    return *this;
  }
  constexpr TVaSet& Exclude(E item) {
    FBits = Bits(FBits & ~Bit(item));
    return *this;
  }
  friend constexpr bool operator==(TVaSet, TVaSet) = default;

private:
  static constexpr Bits Bit(E item) { return Bits(Bits(1) << unsigned(item)); }
  Bits FBits = 0;
};
