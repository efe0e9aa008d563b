// Synthesises the program's splash sounds as 16-bit mono wave files:
//   10054.wav  a soft shimmering pad that loops seamlessly while the splash animates;
//   10056.wav  a short bright chime that closes the animation.
// Usage: kv-wavgen OUTDIR
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

void put16(std::ofstream& out, uint16_t v) {
    const char b[2] = {char(v & 0xFF), char(v >> 8)};
    out.write(b, 2);
}
void put32(std::ofstream& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.put(char((v >> (8 * i)) & 0xFF));
}

bool writeWave(const std::string& path, const std::vector<double>& samples) {
    std::ofstream out(path, std::ios::binary);
    if (!out)
        return false;
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, dataBytes);
    for (double s : samples) {
        const double clipped = std::fmax(-1.0, std::fmin(1.0, s));
        put16(out, uint16_t(int16_t(std::lround(clipped * 32000.0))));
    }
    return bool(out);
}

// A pad of whole-cycle partials over exactly two seconds, so the loop has no seam.
std::vector<double> pad() {
    const int n = kRate * 2;
    const double partials[][2] = {{220.0, 0.22}, {277.5, 0.16}, {330.0, 0.14}, {440.0, 0.08}, {660.0, 0.04}};
    std::vector<double> s(n);
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        double v = 0;
        for (const auto& p : partials)
            v += p[1] * std::sin(2 * kPi * p[0] * t);
        // Slow tremolo of one cycle per second keeps the loop point continuous.
        s[i] = v * (0.75 + 0.25 * std::sin(2 * kPi * 1.0 * t));
    }
    return s;
}

std::vector<double> chime() {
    const int n = int(kRate * 1.2);
    const double notes[][3] = {{880.0, 0.0, 0.35}, {1318.5, 0.08, 0.28}, {1760.0, 0.16, 0.22}};
    std::vector<double> s(n);
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        double v = 0;
        for (const auto& note : notes) {
            const double local = t - note[1];
            if (local < 0)
                continue;
            const double attack = std::fmin(1.0, local / 0.004);
            v += note[2] * attack * std::exp(-local * 4.0) *
                 (std::sin(2 * kPi * note[0] * local) + 0.3 * std::sin(2 * kPi * 2 * note[0] * local));
        }
        s[i] = v;
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kv-wavgen OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    if (!writeWave(dir + "/10054.wav", pad()) || !writeWave(dir + "/10056.wav", chime())) {
        std::fprintf(stderr, "kv-wavgen: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
