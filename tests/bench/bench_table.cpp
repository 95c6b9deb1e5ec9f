#include "bench/bench_table.h"

#include <windows.h>

#include <algorithm>

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

Timing Summarise(std::vector<double> samples) {
    samples.erase(std::remove_if(samples.begin(), samples.end(), [](double s) { return s < 0; }),
                  samples.end());
    Timing timing;
    timing.runs = static_cast<int>(samples.size());
    if (samples.empty()) {
        return timing;
    }
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    // The median of an even count is the mean of the two middle samples; the 95th percentile is the
    // sample at or above 95 % of the others (nearest rank).
    timing.median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    timing.p95 = samples[std::min(n - 1, (n * 95 + 99) / 100 - 1)];
    return timing;
}

Timing Measure(int runs, const std::function<void()>& body) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const double start = NowMs();
        body();
        samples.push_back(NowMs() - start);
    }
    return Summarise(samples);
}

ResultTable::ResultTable(const std::wstring& resultsPath) {
    if (!resultsPath.empty()) {
        _wfopen_s(&results_, resultsPath.c_str(), L"w");
    }
}

ResultTable::~ResultTable() {
    if (results_ != nullptr) {
        std::fclose(results_);
    }
}

void ResultTable::Heading(const char* text) {
    std::printf("\n%s\n\n| %-58s | %8s | %8s | %4s |\n|%s|%s|%s|%s|\n", text, "measure", "median", "p95",
                "runs", std::string(60, '-').c_str(), std::string(10, '-').c_str(),
                std::string(10, '-').c_str(), std::string(6, '-').c_str());
    std::fflush(stdout);
}

void ResultTable::Row(const char* what, const Timing& timing) {
    if (timing.runs == 0) {
        std::printf("| %-58s | %8s | %8s | %4d |\n", what, "failed", "failed", 0);
    } else {
        std::printf("| %-58s | %8.1f | %8.1f | %4d |\n", what, timing.median, timing.p95, timing.runs);
    }
    std::fflush(stdout);
    if (results_ != nullptr) {
        std::fprintf(results_, "%s\t%.1f\t%.1f\t%d\n", what, timing.median, timing.p95, timing.runs);
        std::fflush(results_);
    }
}
