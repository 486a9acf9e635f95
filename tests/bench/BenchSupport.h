// Shared by the benchmarks: timing, and catalogs of many papers.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "catalog/PaperCatalog.h"

inline double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of three runs: the machine's other work only ever adds time.
inline double BestOfThree(const std::function<void()>& work) {
    double best = Seconds(work);
    for (int i = 0; i < 2; ++i) best = std::min(best, Seconds(work));
    return best;
}

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
