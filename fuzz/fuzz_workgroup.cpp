// libFuzzer target for the workgroup file reader. The first byte chooses: even, the rest is
// the file as it is; odd, the rest is the file's body and a right checksum line is added,
// so that the checks behind the checksum are reached too.

#include "core/VbError.h"
#include "db/Workgroup.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    QByteArray file(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    if (data[0] % 2 == 1)
        file +=
            "checksum " + QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex() + '\n';
    try {
        const auto wg = kv::db::WorkgroupFile::parse(file, QStringLiteral("fuzz.mdw"));
        // Log-in against what was read, when the hash is cheap enough to compute here.
        for (const auto& a : wg.accounts())
            if (a.iterations <= 2000) wg.verify(a.user, QStringLiteral("Tq4mZr8LwPe"));
    } catch (const kv::VbError&) {
        // Not a workgroup file: what should happen.
    }
    return 0;
}
