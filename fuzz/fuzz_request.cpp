// A line sent to the running window's local socket, and the answer line the
// command line reads back: whatever bytes either side receives.

#include "app/cli/request.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>

using namespace request;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray line(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    const ParsedRequest parsed = parseRequest(line);
    FUZZ_CHECK(parsed.request.has_value() == parsed.error.isEmpty());
    if (parsed.request) {
        const Request &request = *parsed.request;
        FUZZ_CHECK(line.size() <= MaxLineBytes);
        FUZZ_CHECK(commands().contains(request.command));
        FUZZ_CHECK(needsArgument(request.command) != request.argument.isEmpty());
        // What the command line would send for it reads back the same.
        const QByteArray again = encode(request);
        FUZZ_CHECK(again.endsWith('\n') && again.count('\n') == 1);
        // Qt may write a character longer than it was read (invalid UTF-8
        // as U+FFFD): only a line within the limit must read back.
        const ParsedRequest reread = parseRequest(again.chopped(1));
        FUZZ_CHECK(again.size() > MaxLineBytes + 1 ||
                   (reread.request && reread.request->command == request.command &&
                   reread.request->argument == request.argument &&
                   reread.request->force == request.force));
    }

    const ParsedAnswer answer = parseAnswer(line);
    FUZZ_CHECK(answer.answer.has_value() == answer.error.isEmpty());
    if (answer.answer) {
        FUZZ_CHECK(answer.answer->status >= 0 && answer.answer->status <= 6);
        const QByteArray again = encode(*answer.answer);
        FUZZ_CHECK(again.endsWith('\n') && again.count('\n') == 1);
        const ParsedAnswer reread = parseAnswer(again.chopped(1));
        FUZZ_CHECK(again.size() > MaxLineBytes + 1 ||
                   (reread.answer && reread.answer->status == answer.answer->status &&
                   reread.answer->out == answer.answer->out &&
                   reread.answer->err == answer.answer->err));
    }
    return 0;
}
