// The editor of one template parameter (a number group with sliders, as the template store
// builds it): building it, refreshing it and destroying it, at 8 to 64 values (the bound of
// stored values). The time per value should stay the same as the count grows.

#include "app/KelAtomHolder.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamAtomHolder.h"
#include "params/NumGroupParameter.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>

namespace {

void buildRefreshDestroy(benchmark::State& state)
{
    const int count = int(state.range(0));
    for (auto _ : state) {
        auto* group = new KelUtils::NumGroupParameter<float>(QStringLiteral("g"), QStringLiteral("G"), nullptr,
                                                             nullptr, count, 0.0f, 1.0f, 0.5f, true, 1);
        std::unique_ptr<KelAtomHolder> holder(KelAtomHolder::create(group));
        holder->createUI();
        static_cast<KelParamAtomHolder*>(holder.get())->atom()->applyParamStateToUI();
        holder.reset();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(buildRefreshDestroy)
    ->Arg(8)
    ->Arg(16)
    ->Arg(32)
    ->Arg(KelUtils::MaxStoredGroupValues)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    KelAtomHolder::setFactory(KelParamAtomHolder::factory());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    KelAtomHolder::setFactory({});
    return 0;
}
