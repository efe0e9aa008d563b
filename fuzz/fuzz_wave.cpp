// libFuzzer target for the wave file reader: whatever it accepts must lie inside the image.

#include "platform/WaveFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray image(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<kv::WaveInfo> info = kv::parseWave(image);
    if (!info) return 0;
    if (info->dataOffset < 12 || info->dataSize < 0 ||
        info->dataOffset + info->dataSize > image.size() || info->channels < 1 ||
        info->channels > 2 || (info->bitsPerSample != 8 && info->bitsPerSample != 16) ||
        !std::isfinite(info->seconds()))
        std::abort();
    return 0;
}
