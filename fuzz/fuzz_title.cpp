// libFuzzer target for the title reader: any bytes, opened as a title and read every way.

#include "ExerciseTitle.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto t = kv::title::TitleFile::fromBytes(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (t) kv::title::exerciseTitle(*t);
    return 0;
}
