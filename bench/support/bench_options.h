#pragma once

#include "bench/support/figures.h"

namespace skyloom::bench {

// What every benchmark takes:  [--quick] [--runs N] [--json FILE]
//   --quick  a short run that only shows the benchmark works
//   --runs   how often each figure is measured (the spread is over these)
//   --json   where the figures go as JSON besides the printed table
struct BenchOptions {
    bool quick = false;
    int runs = 0;
    const char* json = nullptr;

    // The runs asked for, else the benchmark's own count for a full or a
    // quick run.
    int Runs(int full, int quick) const { return runs > 0 ? runs : this->quick ? quick : full; }
};

// False, with the usage on stderr, for anything else on the command line.
bool ParseBenchOptions(int argc, char* argv[], BenchOptions& options);

// Prints the table and writes the JSON; the exit status: 1 when a figure
// could not be measured or the JSON not written.
int ReportFigures(const FigureTable& table, const BenchOptions& options);

}  // namespace skyloom::bench
