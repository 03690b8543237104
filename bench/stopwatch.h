// The benchmarks' clock: milliseconds since construction, from the
// performance counter.
#pragma once

#include <windows.h>

class Stopwatch {
public:
    Stopwatch() { ::QueryPerformanceCounter(&m_start); }
    double Milliseconds() const
    {
        LARGE_INTEGER now{};
        LARGE_INTEGER freq{};
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&freq);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
    }

private:
    LARGE_INTEGER m_start{};
};
