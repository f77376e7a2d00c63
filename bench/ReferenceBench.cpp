// The cost of the settings flags on a store far larger than the application
// ever keeps (10,000 favourite marks): one durable write, one read, and the
// first load at start-up.

#include "BenchHome.h"
#include "Classes/Reference.h"
#include "Platform/Foundation/UserDefaults.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using platform::UserDefaults;

constexpr int kKeys = 10000;

void fillStore() {
    auto& store = UserDefaults::standardUserDefaults();
    for (int i = 0; i < kKeys; ++i) store.setBool(i % 3 == 0, std::to_string(i));
    store.synchronize();
}

// One favourite toggle: set, then flush durably (read, merge, write, fsync, rename).
void BM_ReferenceSetBool(benchmark::State& state) {
    bool value = false;
    for (auto _ : state) {
        value = !value;
        Reference::setBool(value, "vibrate");
    }
    state.counters["keys"] = kKeys + 1;
}
BENCHMARK(BM_ReferenceSetBool)->Unit(benchmark::kMillisecond);

// One read: answered from memory.
void BM_ReferenceBoolForKey(benchmark::State& state) {
    const std::string key = std::to_string(kKeys / 2);
    for (auto _ : state) benchmark::DoNotOptimize(Reference::boolForKey(key));
}
BENCHMARK(BM_ReferenceBoolForKey)->Unit(benchmark::kNanosecond);

// The first use in a run: the store reads and parses the whole file.
void BM_StoreLoad(benchmark::State& state) {
    for (auto _ : state) {
        UserDefaults::resetStandardUserDefaults();
        benchmark::DoNotOptimize(UserDefaults::standardUserDefaults().boolForKey("1"));
    }
}
BENCHMARK(BM_StoreLoad)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    bench::BenchHome home;
    fillStore();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    UserDefaults::resetStandardUserDefaults();
    return 0;
}
