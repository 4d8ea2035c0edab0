// The 64-bit identifiers of OMF mobs, kept as two 32-bit halves with the low half first,
// as the databases and media headers store them.
#pragma once

#include <cstdint>

struct MobKey {
  uint32_t low;
  uint32_t high;
};

// Ordered as one unsigned 64-bit number: high half first, then low half.
inline bool MobKeyLess(const MobKey &a, const MobKey &b) {
  return a.high != b.high ? a.high < b.high : a.low < b.low;
}

inline bool MobKeyEqual(const MobKey &a, const MobKey &b) {
  return a.high == b.high && a.low == b.low;
}

inline bool MobKeyIsZero(const MobKey &key) {
  return key.high == 0 && key.low == 0;
}
