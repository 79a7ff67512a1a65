#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>

// Stateless pseudo-random numbers: every value is a pure function of its
// inputs, so any minute of any day can be recomputed on its own and two runs
// with one seed agree byte for byte. qHash is no use here, it is salted per
// process.
class SimHash {
public:
    static constexpr std::uint64_t mix(std::uint64_t x)
    {
        // splitmix64 finaliser
        x += 0x9e3779b97f4a7c15ULL;
        x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
        x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
        return x ^ (x >> 31);
    }

    static std::uint64_t of(std::initializer_list<std::uint64_t> parts)
    {
        std::uint64_t h = 0x6a09e667f3bcc909ULL;
        for (std::uint64_t part : parts)
            h = mix(h ^ part);
        return h;
    }

    // FNV-1a over the UTF-16 code units: stable across runs and platforms.
    static std::uint64_t text(const QString& s)
    {
        std::uint64_t h = 0xcbf29ce484222325ULL;
        for (QChar c : s) {
            h ^= c.unicode();
            h *= 0x100000001b3ULL;
        }
        return h;
    }

    // Uniform in [0, 1).
    static double unit(std::uint64_t h) { return double(h >> 11) * 0x1.0p-53; }
    // Uniform in [-1, 1).
    static double signedUnit(std::uint64_t h) { return unit(h) * 2.0 - 1.0; }
    // Roughly standard normal with bounded tails (Irwin-Hall of four uniforms):
    // no draw lies beyond 3.5 sigma, which keeps simulated prices inside limits.
    static double normal(std::uint64_t h)
    {
        double sum = 0;
        for (int i = 0; i < 4; ++i) {
            h = mix(h + std::uint64_t(i));
            sum += unit(h);
        }
        return (sum - 2.0) * 1.7320508075688772;
    }
};
