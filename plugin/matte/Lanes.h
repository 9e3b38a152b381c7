// Vectors of pixel lanes for the row kernels, written once for every
// instruction set: the kernels use the compiler's vector types and this
// file's helpers, and each instruction set's own file instantiates them
// with its lane count and square root, compiled with its own flags.
//
// Everything here is a template on the lane set `L`, which each of those
// files declares in an anonymous namespace: no function compiled for a
// wider instruction set can then stand in for another file's copy at link
// time, and code for a set the CPU lacks is only reached through a pointer
// chosen after the CPU check. A lane set supplies every helper the
// `LaneSet` concept (LaneMath.h) names, each its own way or by naming one
// of the generic ones here: none is filled in for it.
//
// Number semantics: the element operations are the plain IEEE operations
// the scalar formulas use (no contraction: the whole build compiles with
// -ffp-contract=off), conversions round to nearest like a scalar cast, and
// comparisons are false for not-a-number, so each lane computes exactly
// what the scalar code computes for that pixel.
#pragma once

#include <cstdint>

namespace kestrow::matte {

template <int N>
struct LaneTypes {
  static constexpr int kCount = N;
  typedef double D __attribute__((vector_size(N * sizeof(double))));
  typedef float F __attribute__((vector_size(N * sizeof(float))));
  // Lane masks: all bits set where true, as comparisons produce them.
  typedef std::int64_t M __attribute__((vector_size(N * sizeof(std::int64_t))));
  typedef std::int32_t MF __attribute__((vector_size(N * sizeof(std::int32_t))));
  // Bit patterns of doubles, for stepping to a neighbouring value.
  typedef std::uint64_t U __attribute__((vector_size(N * sizeof(std::uint64_t))));
};

// One value in every lane.
template <class L>
inline typename L::D lanes(double value) {
  typename L::D v;
  for (int i = 0; i < L::kCount; ++i) v[i] = value;
  return v;
}

template <class L>
inline typename L::F lanes(float value) {
  typename L::F v;
  for (int i = 0; i < L::kCount; ++i) v[i] = value;
  return v;
}

template <class L>
inline typename L::MF lanes(std::int32_t value) {
  typename L::MF v;
  for (int i = 0; i < L::kCount; ++i) v[i] = value;
  return v;
}

template <class L>
inline typename L::M lanes(std::int64_t value) {
  typename L::M v;
  for (int i = 0; i < L::kCount; ++i) v[i] = value;
  return v;
}

// The lane set's own conversion (the compiler may split the generic one
// into halves).
template <class L>
inline typename L::D genericWiden(typename L::F v) {
  return __builtin_convertvector(v, typename L::D);
}

template <class L>
inline typename L::D widen(typename L::F v) {
  return L::widen(v);
}

template <class L>
inline typename L::F narrow(typename L::D v) {
  return __builtin_convertvector(v, typename L::F);
}

template <class L>
inline typename L::MF narrowMask(typename L::M m) {
  return __builtin_convertvector(m, typename L::MF);
}

// mask ? a : b, lane by lane, by bits (no arithmetic touches the values):
// the compiler's vector conditional, which each instruction set turns
// into its blend.
template <class L>
inline typename L::D select(typename L::M mask, typename L::D a, typename L::D b) {
  return mask ? a : b;
}

template <class L>
inline typename L::F select(typename L::MF mask, typename L::F a, typename L::F b) {
  return mask ? a : b;
}

// |v| by clearing the sign bit, as fabs does (not-a-number payloads kept).
template <class L>
inline typename L::D absolute(typename L::D v) {
  using M = typename L::M;
  return (typename L::D)((M)v & lanes<L>(std::int64_t{0x7fffffffffffffff}));
}

// The largest whole number not above each lane of v, for |v| below
// `big` (2^52 in double, 2^23 in float): |v| rounded to the nearest whole
// number (adding and taking away `big`), v's sign put back, and a step
// down where that rounded up.
template <class V, class S>
inline V floorByRounding(V v, S big) {
  using Bits = decltype(v < v);
  const Bits sign = (Bits)(-V{});  // -0 in every lane: the sign bits alone
  const V magnitude = (V)((Bits)v & ~sign);
  const V rounded = (V)((Bits)((magnitude + big) - big) | ((Bits)v & sign));
  return rounded > v ? rounded - S{1} : rounded;
}

template <class L>
inline typename L::D genericFloor(typename L::D v) {
  return floorByRounding(v, 0x1p52);
}

template <class L>
inline typename L::F genericFloor(typename L::F v) {
  return floorByRounding(v, 0x1p23f);
}

// The floor in double lanes (lanes other than |v| below 2^52 get whatever
// the lane set gives) and in float lanes (|v| below 2^23).
template <class L>
inline typename L::D floorOf(typename L::D v) {
  return L::floor(v);
}

template <class L>
inline typename L::F floorOf(typename L::F v) {
  return L::floor(v);
}

template <class L>
inline typename L::M widenMask(typename L::MF m) {
  return __builtin_convertvector(m, typename L::M);
}

// One bit per lane, lane 0 lowest.
template <class L>
inline unsigned genericLaneBits(typename L::M mask) {
  unsigned bits = 0;
  for (int i = 0; i < L::kCount; ++i) bits |= (mask[i] != 0 ? 1u : 0u) << i;
  return bits;
}

template <class L>
inline unsigned laneBits(typename L::M mask) {
  return L::laneBits(mask);
}

template <class L>
inline bool any(typename L::M mask) {
  return laneBits<L>(mask) != 0;
}

template <class L>
inline bool all(typename L::M mask) {
  return laneBits<L>(mask) == (1u << L::kCount) - 1;
}

}  // namespace kestrow::matte
