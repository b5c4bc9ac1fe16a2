#include "bench/support/bench_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace skyloom::bench {

bool ParseBenchOptions(int argc, char* argv[], BenchOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--quick") == 0) {
            options.quick = true;
        } else if (std::strcmp(arg, "--runs") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long runs = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || runs < 1 || runs > 10000) {
                std::fprintf(stderr, "%s: not a run count: %s\n", argv[0], argv[i]);
                return false;
            }
            options.runs = static_cast<int>(runs);
        } else if (std::strcmp(arg, "--json") == 0 && i + 1 < argc) {
            options.json = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--quick] [--runs N] [--json FILE]\n", argv[0]);
            return false;
        }
    }
    return true;
}

int ReportFigures(const FigureTable& table, const BenchOptions& options) {
    table.Print(stdout);
    if (options.json != nullptr && !table.WriteJson(options.json)) {
        return 1;
    }
    return table.AllMeasured() ? 0 : 1;
}

}  // namespace skyloom::bench
