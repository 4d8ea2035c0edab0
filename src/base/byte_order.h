// Fixed-order reads of values taken from file bytes, whatever the machine's own order.
#pragma once

#include <cstdint>

inline uint16_t ReadLittle16(const uint8_t *p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t ReadLittle32(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint16_t ReadBig16(const uint8_t *p) {
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

inline uint32_t SwapBytes32(uint32_t v) {
  return v >> 24 | (v >> 8 & 0xFF00) | (v << 8 & 0xFF0000) | v << 24;
}
