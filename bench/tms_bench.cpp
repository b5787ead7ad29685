// Throughput of the score compiler (both output types) and of the decoder, in
// bytes of input per second. The compiler's echo goes to /dev/null; the report
// is printed on standard error.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

#include <unistd.h>

#include "converter.h"
#include "decoder.h"
#include "inputs.h"
#include "score_compiler.h"

namespace {

void compile_score(benchmark::State& state, int type)
{
    const std::string score = bench::large_score();
    std::vector<unsigned char> in(kBufInSize, 0);
    std::vector<unsigned char> out(kBufOutSize, 0);
    bufIN = in.data();
    bufOUT = out.data();
    TypeDest = type;
    for (auto _ : state) {
        // The compiler splits the text in place, so each pass starts from a
        // fresh copy, as each run of the program loads its own.
        std::memcpy(in.data(), score.data(), score.size());
        if (MUSConv() != 0) {
            state.SkipWithError("the score did not compile");
            break;
        }
        benchmark::DoNotOptimize(LengthOUT);
        benchmark::ClobberMemory();
    }
    std::fflush(stdout);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(score.size()));
    state.counters["stream_bytes"] = LengthOUT;
    bufIN = nullptr;
    bufOUT = nullptr;
}

void BM_CompileScoreType1(benchmark::State& state)
{
    compile_score(state, 1);
}
void BM_CompileScoreType3(benchmark::State& state)
{
    compile_score(state, 3);
}

// Lists the bench image line by line, each round from its first byte: `next_line` writes the
// line at an offset into `line` and returns the offset behind it.
template <class NextLine>
void list_image(benchmark::State& state, NextLine next_line)
{
    const std::string image = bench::large_image();
    std::vector<unsigned char> data(image.begin(), image.end());
    koddar::buffer = data.data();
    koddar::loaded_length = static_cast<std::int32_t>(data.size());
    koddar::reloc = 0;
    char line[koddar::kLineSize];
    std::int64_t lines = 0;
    for (auto _ : state) {
        for (std::int32_t at = 0; at < koddar::loaded_length; ++lines) {
            at = next_line(line, at);
            benchmark::DoNotOptimize(line);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.size()));
    state.counters["lines"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kAvgIterations);
    koddar::buffer = nullptr;
}

void BM_DecodeImage(benchmark::State& state)
{
    list_image(state, [](char* line, std::int32_t at) { return koddar::Dasmtms7020(line, at); });
}

// The listing's lines, written in place as the listing writes them; the bench image has no
// five-digit address, which the listing would leave to Dasmtms7020.
void BM_ListImage(benchmark::State& state)
{
    list_image(state, [](char* line, std::int32_t at) {
        return koddar::write_four_digit_line(line, koddar::kLineSize, at) != 0 ? koddar::a : koddar::loaded_length;
    });
}

BENCHMARK(BM_CompileScoreType1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompileScoreType3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListImage)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // The compiler echoes every element on standard output.
    if (!std::freopen("/dev/null", "w", stdout))
        return 1;
    benchmark::ConsoleReporter reporter(isatty(2) ? benchmark::ConsoleReporter::OO_Defaults
                                                  : benchmark::ConsoleReporter::OO_Tabular);
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
