// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

#include <benchmark/benchmark.h>

// Window benchmarks need a QApplication; offscreen unless the caller chose a
// platform, so they run the same on a desktop and in CI.
inline int RunQtBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
