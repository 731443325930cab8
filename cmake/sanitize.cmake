# NOLKSET_SANITIZE builds everything, tests included, with the named
# sanitizers: "address;undefined" or "thread" (they cannot be combined).
# tools/test builds both into their own folders and runs the suite under each.
set(NOLKSET_SANITIZE "" CACHE STRING
    "Sanitizers to build with: empty, \"address;undefined\" or \"thread\"")

# Environment for every test: halt on the first finding, and the suppressions
# of reports inside Debian's Qt and its libraries, which are not built with
# the sanitizers.
set(NOLKSET_SANITIZER_ENV "")

if(NOT NOLKSET_SANITIZE)
    return()
endif()
if(MSVC)
    message(FATAL_ERROR "NOLKSET_SANITIZE is for GCC and Clang")
endif()

set(_nolkset_known address undefined thread)
foreach(_sanitizer IN LISTS NOLKSET_SANITIZE)
    if(NOT _sanitizer IN_LIST _nolkset_known)
        message(FATAL_ERROR "NOLKSET_SANITIZE: unknown sanitizer '${_sanitizer}'")
    endif()
endforeach()
if("thread" IN_LIST NOLKSET_SANITIZE AND NOT NOLKSET_SANITIZE STREQUAL "thread")
    message(FATAL_ERROR "NOLKSET_SANITIZE: thread cannot be combined with other sanitizers")
endif()

list(JOIN NOLKSET_SANITIZE "," _nolkset_list)
set(_nolkset_flags -fsanitize=${_nolkset_list} -fno-omit-frame-pointer)
if("undefined" IN_LIST NOLKSET_SANITIZE)
    # Undefined behaviour ends the test like any other finding.
    list(APPEND _nolkset_flags -fno-sanitize-recover=all)
endif()
add_compile_options(${_nolkset_flags})
add_link_options(${_nolkset_flags})

set(_nolkset_supp ${PROJECT_SOURCE_DIR}/tools/sanitizers)
if("address" IN_LIST NOLKSET_SANITIZE)
    list(APPEND NOLKSET_SANITIZER_ENV
        "ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=1:strict_init_order=1"
        "LSAN_OPTIONS=suppressions=${_nolkset_supp}/lsan.supp:print_suppressions=0")
endif()
if("undefined" IN_LIST NOLKSET_SANITIZE)
    list(APPEND NOLKSET_SANITIZER_ENV
        "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
endif()
if("thread" IN_LIST NOLKSET_SANITIZE)
    # ignore_noninstrumented_modules: the memory effects of what Qt, GLib and
    # D-Bus (not built with ThreadSanitizer) do through the sanitizer's
    # interceptors - allocation, free, memcpy, condition variable teardown -
    # are not reported, as their futex-based locks are invisible to it. Their
    # pthread and file descriptor synchronisation still counts, and every
    # access of our own code is still checked.
    # die_after_fork=0: QProcess's child (the tests start openssl and copies
    # of the tool) runs Qt code between fork and exec, which the sanitizer
    # would otherwise end.
    list(APPEND NOLKSET_SANITIZER_ENV
        "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:die_after_fork=0:suppressions=${_nolkset_supp}/tsan.supp:print_suppressions=0")
endif()
