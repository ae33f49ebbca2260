// The cost of the automation runtime's two hot paths: value conversions, and
// calling a member through dispatch compared with a direct C++ call.
#include <benchmark/benchmark.h>

#include "platform/com/describe.h"

namespace {

using com::Variant;

void BM_TextToI4(benchmark::State& state) {
  Variant v("  12345 ");
  for (auto _ : state) benchmark::DoNotOptimize(v.ToI4());
}
BENCHMARK(BM_TextToI4);

void BM_R8ToI4HalfEven(benchmark::State& state) {
  Variant v(2.5);
  for (auto _ : state) benchmark::DoNotOptimize(v.ToI4());
}
BENCHMARK(BM_R8ToI4HalfEven);

void BM_R8ToText(benchmark::State& state) {
  Variant v(1.0 / 3.0);
  for (auto _ : state) benchmark::DoNotOptimize(v.ToText());
}
BENCHMARK(BM_R8ToText);

void BM_TextToR8(benchmark::State& state) {
  Variant v("0.3333333333333333");
  for (auto _ : state) benchmark::DoNotOptimize(v.ToR8());
}
BENCHMARK(BM_TextToR8);

void BM_TextToDate(benchmark::State& state) {
  Variant v("2026-12-08T10:30:00");
  for (auto _ : state) benchmark::DoNotOptimize(v.ToDate());
}
BENCHMARK(BM_TextToDate);

void BM_IsNumericText(benchmark::State& state) {
  Variant v("abc");
  for (auto _ : state) benchmark::DoNotOptimize(v.IsNumeric());
}
BENCHMARK(BM_IsNumericText);

class Counter : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{4C7E1F0A-2B3D-4E5F-9A6B-7C8D9E0F1A2B}"};
  static const com::TypeInfo& DispatchInfo();
  virtual int32_t Add(int32_t step) = 0;
  virtual std::string Caption() = 0;
};

const com::TypeInfo& Counter::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<Counter>("_Counter")
                                        .Method("Add", &Counter::Add, {com::Arg("Step")})
                                        .Get("Caption", &Counter::Caption)
                                        .Build();
  return info;
}

class CounterObject final : public com::Object<Counter> {
 public:
  int32_t Add(int32_t step) override { return total_ += step; }
  std::string Caption() override { return "counter"; }

 private:
  int32_t total_ = 0;
};

void BM_DirectCall(benchmark::State& state) {
  auto c = com::Make<CounterObject>();
  Counter* p = c.get();
  benchmark::DoNotOptimize(p);  // an opaque pointer: a real virtual call, as a client makes
  for (auto _ : state) benchmark::DoNotOptimize(p->Add(1));
}
BENCHMARK(BM_DirectCall);

void BM_InvokeById(benchmark::State& state) {
  auto c = com::Make<CounterObject>();
  com::Ref<com::Dispatch> d(static_cast<com::Dispatch*>(c.get()));
  com::DispId id = d->GetIDOfName("Add");
  Variant arg(1);
  for (auto _ : state) benchmark::DoNotOptimize(d->Invoke(id, com::kInvokeMethod, std::span<const Variant>(&arg, 1)));
}
BENCHMARK(BM_InvokeById);

void BM_InvokeByName(benchmark::State& state) {
  auto c = com::Make<CounterObject>();
  com::Unknown* u = static_cast<Counter*>(c.get());
  Variant arg(1);
  for (auto _ : state) benchmark::DoNotOptimize(com::CallMethod(u, "Add", std::span<const Variant>(&arg, 1)));
}
BENCHMARK(BM_InvokeByName);

void BM_InvokeByIdTextResult(benchmark::State& state) {
  auto c = com::Make<CounterObject>();
  com::Ref<com::Dispatch> d(static_cast<com::Dispatch*>(c.get()));
  com::DispId id = d->GetIDOfName("Caption");
  for (auto _ : state) benchmark::DoNotOptimize(d->Invoke(id, com::kInvokeGet, {}));
}
BENCHMARK(BM_InvokeByIdTextResult);

}  // namespace
