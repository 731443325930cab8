#ifndef NOLKSET_BENCHRESULT_H
#define NOLKSET_BENCHRESULT_H

#include <cstdio>

namespace bench {

// One figure against its goal, on one line that tools/bench shows.
inline void result(const char *name, double figure, const char *unit, const char *goal,
                   double ratio, bool met)
{
    std::printf("RESULT %s: %.4g %s; goal %s; ratio %.3f; %s\n", name, figure, unit, goal, ratio,
                met ? "met" : "NOT MET");
    std::fflush(stdout);
}

} // namespace bench

#endif
