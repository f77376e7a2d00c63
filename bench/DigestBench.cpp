// Digest throughput of SPUtility against the bare OpenSSL call on the same buffer: the
// wrapper (digest plus hex text) should cost no more than a couple of percent on 1 MiB.
#include "Classes/SPLibrary/SPUtility.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <string>

namespace {

const std::string& buffer(std::size_t size) {
    static std::string bytes;
    if (bytes.size() != size) {
        bytes.resize(size);
        std::uint32_t state = 12345;
        for (auto& byte : bytes) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<char>(state >> 24);
        }
    }
    return bytes;
}

void bareEvp(benchmark::State& state, const EVP_MD* (*algorithm)()) {
    const auto& bytes = buffer(static_cast<std::size_t>(state.range(0)));
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    for (auto _ : state) {
        EVP_Digest(bytes.data(), bytes.size(), out, &length, algorithm(), nullptr);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}

template <class Digest>
void wrapped(benchmark::State& state, Digest digest) {
    const auto& bytes = buffer(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto text = digest(bytes);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}

void BM_EvpMD5(benchmark::State& state) {
    bareEvp(state, EVP_md5);
}
void BM_StringWithMD5(benchmark::State& state) {
    wrapped(state, [](const std::string& b) { return SPUtility::stringWithMD5(b); });
}
void BM_DigestByMD5(benchmark::State& state) {
    wrapped(state, [](const std::string& b) { return SPUtility::digestByMD5(b); });
}
void BM_EvpSHA1(benchmark::State& state) {
    bareEvp(state, EVP_sha1);
}
void BM_StringWithSHA1(benchmark::State& state) {
    wrapped(state, [](const std::string& b) { return SPUtility::stringWithSHA1(b); });
}
void BM_DigestBySHA1(benchmark::State& state) {
    wrapped(state, [](const std::string& b) { return SPUtility::digestBySHA1(b); });
}

constexpr std::int64_t kMiB = 1 << 20;

}  // namespace

BENCHMARK(BM_EvpMD5)->Arg(kMiB)->Arg(64);
BENCHMARK(BM_StringWithMD5)->Arg(kMiB)->Arg(64);
BENCHMARK(BM_DigestByMD5)->Arg(kMiB)->Arg(64);
BENCHMARK(BM_EvpSHA1)->Arg(kMiB)->Arg(64);
BENCHMARK(BM_StringWithSHA1)->Arg(kMiB)->Arg(64);
BENCHMARK(BM_DigestBySHA1)->Arg(kMiB)->Arg(64);

BENCHMARK_MAIN();
