#pragma once
// Timings and the rows they become: the median and 95th percentile of a set of samples, printed for a person
// and appended to a results file that scripts/bench.sh joins into one table for both screen sizes.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

double NowMs();

struct Timing {
    double median = -1; // -1 when there were no samples
    double p95 = -1;
    int runs = 0;
};
// Samples below 0 are failed runs and left out.
Timing Summarise(std::vector<double> samples);
Timing Measure(int runs, const std::function<void()>& body);

class ResultTable {
  public:
    // `resultsPath` may be empty: then the rows are only printed.
    explicit ResultTable(const std::wstring& resultsPath);
    ~ResultTable();
    ResultTable(const ResultTable&) = delete;
    ResultTable& operator=(const ResultTable&) = delete;

    void Heading(const char* text);
    void Row(const char* what, const Timing& timing);

  private:
    FILE* results_ = nullptr;
};
