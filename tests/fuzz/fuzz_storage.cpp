// libFuzzer entry point: arbitrary bytes as the storage file, every reader and rewrite run over
// them; a broken rule aborts, so libFuzzer keeps the input as a crash.
#include "storageinvariants.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QString broken = StorageInvariants::check(bytes);
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "storage rule broken: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
