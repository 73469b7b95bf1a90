// Archive throughput: doubles through the archive against a raw memcpy of the same bytes (the
// peer: the least any encoder must spend), and the framing of many shared objects.
#include "core/object/instantiator.h"
#include "core/persist/archive.h"
#include "core/persist/archive_vector.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

class Leaf : public xcPersistent, public xcRepBase {
public:
    void dispatchSerialize(xcArchive& ar) override {
        if (haveVisited(ar)) return;
        unsigned char version = 0;
        ar || version || value;
        setVisited(ar);
    }
    double value = 1.0;
};

xcPersistent* makeLeaf() {
    return new Leaf;
}
const xc_Instantiator sLeaf(typeid(Leaf), &makeLeaf);

std::vector<double> numbers(std::size_t n) {
    std::vector<double> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = 0.5 * double(i);
    return v;
}

void BM_ArchiveStoreDoubles(benchmark::State& state) {
    std::vector<double> v = numbers(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        xcMemoryArchive ar;
        ar || v;
        benchmark::DoNotOptimize(ar.bytes().data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 8);
}

void BM_PeerMemcpyStoreDoubles(benchmark::State& state) {
    std::vector<double> v = numbers(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::vector<unsigned char> out(5 + v.size() * 8);
        std::memcpy(out.data() + 5, v.data(), v.size() * 8);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 8);
}

void BM_ArchiveLoadDoubles(benchmark::State& state) {
    std::vector<double> v = numbers(static_cast<std::size_t>(state.range(0)));
    xcMemoryArchive st;
    st || v;
    for (auto _ : state) {
        xcMemoryArchive ar(st.bytes());
        std::vector<double> back;
        ar || back;
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 8);
}

void BM_PeerMemcpyLoadDoubles(benchmark::State& state) {
    std::vector<double> v = numbers(static_cast<std::size_t>(state.range(0)));
    std::vector<unsigned char> bytes(5 + v.size() * 8);
    std::memcpy(bytes.data() + 5, v.data(), v.size() * 8);
    for (auto _ : state) {
        std::vector<unsigned char> copy(bytes);
        std::vector<double> back(v.size());
        std::memcpy(back.data(), copy.data() + 5, v.size() * 8);
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 8);
}

// n handles onto n / 2 objects: half the references are back-references.
void BM_ArchiveSharedHandlesRoundTrip(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<xcPtrHandle<Leaf>> handles(n);
    for (std::size_t i = 0; i < n; i += 2)
        handles[i] = handles[i + 1] = xcPtrHandle<Leaf>(new Leaf);
    for (auto _ : state) {
        xcMemoryArchive st;
        st || handles;
        xcMemoryArchive ld(st.bytes());
        std::vector<xcPtrHandle<Leaf>> back;
        ld || back;
        benchmark::DoNotOptimize(back.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_ArchiveStoreDoubles)->Arg(1 << 14);
BENCHMARK(BM_PeerMemcpyStoreDoubles)->Arg(1 << 14);
BENCHMARK(BM_ArchiveLoadDoubles)->Arg(1 << 14);
BENCHMARK(BM_PeerMemcpyLoadDoubles)->Arg(1 << 14);
BENCHMARK(BM_ArchiveSharedHandlesRoundTrip)->Arg(1 << 12);

BENCHMARK_MAIN();
