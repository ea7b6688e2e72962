// libFuzzer target: arbitrary bytes as records file (read and corrected),
// roster, settings value, hand-made text to be decoded, time stamp and typed
// time.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/RecordsFuzzBody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const char* failure = records_fuzz::checkAll(data, size)) {
        std::fprintf(stderr, "records_fuzz: %s\n", failure);
        std::abort();
    }
    return 0;
}
