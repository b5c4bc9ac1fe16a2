#include "bench/support/figures.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace skyloom::bench {

namespace {

double SortedQuantile(const std::vector<double>& sorted, double fraction) {
    const double position = fraction * static_cast<double>(sorted.size() - 1);
    const size_t below = static_cast<size_t>(std::floor(position));
    const size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (position - static_cast<double>(below));
}

// Names and units are the benchmarks' own plain words; only a quote or a
// backslash would need escaping, and none is ever used.
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Enough digits for both milliseconds and megabytes, and finite for JSON.
std::string Number(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

}  // namespace

Spread SpreadOf(std::vector<double> values) {
    if (values.empty()) {
        return Spread{};
    }
    std::sort(values.begin(), values.end());
    return Spread{SortedQuantile(values, 0.5), SortedQuantile(values, 0.25), SortedQuantile(values, 0.75),
                  values.front(), values.back(), values.size()};
}

double Quantile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return SortedQuantile(values, fraction);
}

void FigureTable::Add(const std::string& name, const std::string& unit, const std::vector<double>& values) {
    rows_.push_back(Row{name, unit, SpreadOf(values)});
}

bool FigureTable::AllMeasured() const {
    return std::all_of(rows_.begin(), rows_.end(), [](const Row& row) { return row.spread.n > 0; });
}

void FigureTable::Print(FILE* out) const {
    std::fprintf(out, "%s\n", title_.c_str());
    std::fprintf(out, "  %-50s %-8s %10s %22s %22s %4s\n", "figure", "unit", "median", "quartiles", "min .. max",
                 "n");
    for (const Row& row : rows_) {
        const Spread& s = row.spread;
        if (s.n == 0) {
            std::fprintf(out, "  %-50s %-8s %10s\n", row.name.c_str(), row.unit.c_str(), "failed");
            continue;
        }
        std::fprintf(out, "  %-50s %-8s %10.4g %9.4g .. %-9.4g %9.4g .. %-9.4g %4zu\n", row.name.c_str(),
                     row.unit.c_str(), s.median, s.q1, s.q3, s.min, s.max, s.n);
    }
    std::fflush(out);
}

bool FigureTable::WriteJson(const char* path) const {
    FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s: %s\n", path, std::strerror(errno));
        return false;
    }
    std::fprintf(file, "{\"title\": %s, \"figures\": [", Quoted(title_).c_str());
    for (size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        const Spread& s = row.spread;
        std::fprintf(file, "%s\n  {\"name\": %s, \"unit\": %s, \"n\": %zu", i > 0 ? "," : "",
                     Quoted(row.name).c_str(), Quoted(row.unit).c_str(), s.n);
        if (s.n > 0) {
            std::fprintf(file, ", \"median\": %s, \"q1\": %s, \"q3\": %s, \"min\": %s, \"max\": %s",
                         Number(s.median).c_str(), Number(s.q1).c_str(), Number(s.q3).c_str(), Number(s.min).c_str(),
                         Number(s.max).c_str());
        }
        std::fprintf(file, "}");
    }
    std::fprintf(file, "\n]}\n");
    if (std::fclose(file) != 0) {
        std::fprintf(stderr, "cannot write %s: %s\n", path, std::strerror(errno));
        return false;
    }
    return true;
}

}  // namespace skyloom::bench
