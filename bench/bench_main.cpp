#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>

#include "bench/program_allocator.h"
#include "startup/start_up.h"

// The views and windows need an application object; everything runs headless.
int main(int argc, char** argv)
{
    bench::useProgramAllocatorState();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    startup::setUpApplication(application);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
