// Encoding and decoding of debug text: a run with thousands of connections
// still writes its debug file in a blink.

#include <benchmark/benchmark.h>

#include "engine/modDebug.h"

namespace {

std::string DebugLines(size_t bytes) {
  std::string text;
  const std::string line =
      ">> Removed printer connection: \\\\OLDSRV1\\ACCOUNTING-COLOR-FLOOR3\r\n";
  while (text.size() < bytes) text += line;
  text.resize(bytes);
  return text;
}

void BM_EncodeDebugText(benchmark::State& state) {
  const std::string text = DebugLines(10 * 1000 * 1000);
  for (auto _ : state) benchmark::DoNotOptimize(velloran::EncodeDebugText(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_EncodeDebugText)->Unit(benchmark::kMillisecond);

// The same with the output buffer reused: the encoding alone, without the
// cost of faulting in fresh memory for every run.
void BM_EncodeDebugTextReusedBuffer(benchmark::State& state) {
  const std::string text = DebugLines(10 * 1000 * 1000);
  velloran::Bytes out;
  for (auto _ : state) {
    velloran::EncodeDebugText(text, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_EncodeDebugTextReusedBuffer)->Unit(benchmark::kMillisecond);

void BM_DecodeDebugBytes(benchmark::State& state) {
  const velloran::Bytes bytes = velloran::EncodeDebugText(DebugLines(10 * 1000 * 1000));
  for (auto _ : state) benchmark::DoNotOptimize(velloran::DecodeDebugBytes(bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size() / 2));
}
BENCHMARK(BM_DecodeDebugBytes)->Unit(benchmark::kMillisecond);

}  // namespace
