// Shared by the benchmarks: timing, the judging of each figure against a limit
// measured in the same run, and catalogs of many papers.
//
// A figure is the median of several runs (one slow run on a busy machine says
// nothing of the program). Each benchmark ends with Judge::Finish, which
// prints the table, one "MISSED <benchmark>: <figure>" line per figure over
// its limit (scripts/bench.sh gathers them) and answers the exit code: 1 when
// a figure missed or a timed command failed.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "catalog/PaperCatalog.h"

inline double Milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The times of `runs` runs of `act`, each after an untimed `prepare`.
struct Timing {
    std::vector<double> runs;  // milliseconds, sorted
    double Median() const { return runs.empty() ? 0 : runs[runs.size() / 2]; }
    double Slowest() const { return runs.empty() ? 0 : runs.back(); }
};

inline Timing Time(int runs, const std::function<void()>& prepare, const std::function<void()>& act) {
    Timing timing;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        timing.runs.push_back(Milliseconds(act));
    }
    std::sort(timing.runs.begin(), timing.runs.end());
    return timing;
}

inline Timing Time(int runs, const std::function<void()>& act) { return Time(runs, nullptr, act); }

class Judge {
public:
    explicit Judge(std::string benchmark) : benchmark_(std::move(benchmark)) {}

    // A part of some limit, shown for information.
    void Show(const std::string& what, const Timing& timing, const char* unit = "ms") {
        rows_.push_back({what, timing.Median(), timing.Slowest(), -1, {}, unit});
    }
    // The figure's median may be at most `limit`, which `how` describes
    // ("1.5 x plain list box").
    bool Hold(const std::string& what, const Timing& timing, double limit, const std::string& how,
              const char* unit = "ms") {
        return Hold(what, timing.Median(), timing.Slowest(), limit, how, unit);
    }
    bool Hold(const std::string& what, double median, double slowest, double limit, const std::string& how,
              const char* unit = "ms") {
        rows_.push_back({what, median, slowest, limit, how, unit});
        if (median > limit) missed_.push_back(what);
        return median <= limit;
    }
    // The work a figure times did not do what it should: the figure is worthless.
    void Fail(const std::string& what) {
        std::fprintf(stderr, "%s: %s\n", benchmark_.c_str(), what.c_str());
        missed_.push_back(what);
    }

    int Finish() const {
        std::printf("%-50s %10s %10s %10s  %s\n", "figure", "median", "slowest", "limit", "limit from");
        for (const Row& row : rows_) {
            if (row.limit < 0) {
                std::printf("%-50s %10.3f %10.3f %10s  %s\n", row.what.c_str(), row.median, row.slowest, "-",
                            row.unit);
                continue;
            }
            std::printf("%-50s %10.3f %10.3f %10.3f  %s (%s)%s\n", row.what.c_str(), row.median, row.slowest,
                        row.limit, row.how.c_str(), row.unit, row.median > row.limit ? "  MISSED" : "");
        }
        for (const std::string& what : missed_) std::printf("MISSED %s: %s\n", benchmark_.c_str(), what.c_str());
        std::fflush(stdout);
        return missed_.empty() ? 0 : 1;
    }

private:
    struct Row {
        std::string what;
        double median;
        double slowest;
        double limit;  // below 0: no limit
        std::string how;
        const char* unit;
    };
    std::string benchmark_;
    std::vector<Row> rows_;
    std::vector<std::string> missed_;
};

// `count` papers named Paper<first>, Paper<first + 1>, ...; the weights
// shifted by `weightOffset`, so that two such catalogs differ in every paper.
inline CPaperCatalog MakeCatalog(int count, int weightOffset = 0, int first = 0) {
    static const char* const sizes[] = {"LETTER", "LEGAL", "A4", "A3", "TABLOID"};
    static const char* const colors[] = {"white", "blue", "yellow", "red", "green"};
    static const char* const types[] = {"plain", "cover", "color", "tab", "insert"};
    CPaperCatalog catalog;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Paper%06d", first + i);
        catalog.AddPaper(name, sizes[i % 5], std::to_string(60 + (i + weightOffset) % 140), colors[i % 5], types[i % 5],
                         i % 7 == 0, i);
    }
    return catalog;
}
