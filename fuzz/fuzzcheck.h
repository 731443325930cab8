#ifndef NOLKSET_FUZZCHECK_H
#define NOLKSET_FUZZCHECK_H

#include <cstdio>
#include <cstdlib>

// A broken promise of the unit under test is a finding like a crash: it
// stops the fuzzer and leaves the input behind.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

#endif
