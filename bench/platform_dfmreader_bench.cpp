// Reading and writing stored window descriptions: a root with many components, each with a few
// values of the common kinds (integers, strings, enumerations through the registry).
#include "platform/component.h"
#include "platform/dfmreader.h"
#include "platform/dfmwriter.h"
#include "platform/timer.h"

#include <benchmark/benchmark.h>

namespace {

QString Description(int components) {
    QString text = QStringLiteral("object Root: TComponent\n  Tag = 1\n");
    for (int i = 0; i < components; ++i)
        text += QStringLiteral("  object Timer%1: TTimer\n    Enabled = False\n    Interval = %2\n"
                               "    Tag = %1\n  end\n")
                    .arg(i)
                    .arg(100 + i);
    return text + QStringLiteral("end\n");
}

void BM_ReadDescription(benchmark::State& state) {
    const QString text = Description(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TComponent root(nullptr);
        ReadComponentText(&root, text);
        benchmark::DoNotOptimize(root.ComponentCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadDescription)->Arg(10)->Arg(100)->Arg(1000);

void BM_WriteDescription(benchmark::State& state) {
    TComponent root(nullptr);
    ReadComponentText(&root, Description(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteComponentText(&root));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteDescription)->Arg(100)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
