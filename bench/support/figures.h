#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace skyloom::bench {

// A figure measured n times (runs, or events within runs): its median and
// spread.
struct Spread {
    double median = 0.0;
    double q1 = 0.0;
    double q3 = 0.0;
    double min = 0.0;
    double max = 0.0;
    size_t n = 0;
};

// Quartiles by linear interpolation between the sorted values; all zero
// for no values.
Spread SpreadOf(std::vector<double> values);

// The value below which the given fraction (0..1) of the values lie.
double Quantile(std::vector<double> values, double fraction);

// One section of the benchmark table. Every benchmark prints its figures in
// the same columns and, for scripts/bench, writes them as one JSON object.
class FigureTable {
public:
    explicit FigureTable(std::string title) : title_(std::move(title)) {}

    // A figure failed to measure when it has no values.
    void Add(const std::string& name, const std::string& unit, const std::vector<double>& values);
    bool AllMeasured() const;

    void Print(FILE* out) const;
    // False (and the reason on stderr) when the file cannot be written.
    bool WriteJson(const char* path) const;

private:
    struct Row {
        std::string name;
        std::string unit;
        Spread spread;
    };
    std::string title_;
    std::vector<Row> rows_;
};

}  // namespace skyloom::bench
