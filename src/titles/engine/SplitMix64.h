#pragma once

// splitmix64: a small, fast generator whose sequence for a seed is the same on every
// platform, so generated catalogues and benchmark data come out the same wherever they are
// made. Header only and free of Qt, for the demo catalogue and the benchmark generators.

#include <cstdint>

namespace kv::title {

class SplitMix64 {
public:
    explicit SplitMix64(uint64_t seed) : m_state(seed) {}
    uint64_t next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A number from 0 to n - 1 (n > 0).
    uint32_t below(uint32_t n) { return uint32_t(next() % n); }
    // A number in [0, 1) with 53 random bits.
    double unit() { return double(next() >> 11) / double(1ull << 53); }

private:
    uint64_t m_state;
};

} // namespace kv::title
