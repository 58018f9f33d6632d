// libFuzzer entry point for the storage file's readers: arbitrary bytes as the storage file,
// judged for damage and read into entries; a broken rule aborts, so libFuzzer keeps the input as
// a crash. The rewrites have their own, slower target (fuzz_storage_pipeline).
#include "storageinvariants.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const QString broken = StorageInvariants::checkReaders(bytes);
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "storage rule broken: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
