// SPDX-License-Identifier: GPL-3.0-or-later
// A whole press of the run button through the window, on the offscreen
// platform, at the worst case of each mode: reading the fields, the
// operation, and writing the answer.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "BenchNumbers.h"
#include "Form1.h"

namespace {

void BM_Press(benchmark::State& state, const char* item, std::string first, std::string second) {
  TForm1 form;
  form.findChild<QAction*>(item)->trigger();
  auto* edit1 = form.findChild<QLineEdit*>("Edit1");
  auto* edit2 = form.findChild<QLineEdit*>("Edit2");
  auto* run = form.findChild<QPushButton*>("Button1");
  for (auto _ : state) {
    state.PauseTiming();
    edit1->setText(QString::fromStdString(first));
    if (edit2->isVisible() || !second.empty()) edit2->setText(QString::fromStdString(second));
    state.ResumeTiming();
    run->click();
  }
}

const std::string kNines500(500, '9');

BENCHMARK_CAPTURE(BM_Press, Plus500, "plus1", std::string(500, '4'), std::string(500, '5'))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, Minus500, "minus1", "1" + std::string(499, '0'), "1")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, Multiply250x250, "multiply1", std::string(250, '9'),
                  std::string(250, '9'))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, Divide500by3, "divide1", kNines500, RandomDigits(3, 4))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, Divide500by250, "divide1", kNines500, RandomDigits(250, 4))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, SquareRoot146, "sqroot1", RandomDigits(146, 5), "")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, SquareRoot500, "sqroot1", RandomDigits(500, 5), "")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, CubeRoot73, "nthrootofnumber1", RandomDigits(73, 6), "3")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, CubeRoot500, "nthrootofnumber1", RandomDigits(500, 6), "3")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, Root150of500, "nthrootofnumber1", RandomDigits(500, 6), "150")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, Reciprocal500, "N1x1", RandomDigits(500, 7), "")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, Power3to1047, "xtothepowerofn1", "3", "1047")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Press, Factorial253, "n1", "253", "")->Unit(benchmark::kMillisecond);

// How long Esc takes to stop the proof of a 500-digit prime's factors, at
// eight moments spread over its start; the worst goes to worst_ms.
void BM_ProofStop(benchmark::State& state) {
  TForm1 form;
  form.show();
  if (!QTest::qWaitForWindowActive(&form)) state.SkipWithError("no active window");
  form.findChild<QAction*>("primefactors1")->trigger();
  form.findChild<QLineEdit*>("Edit1")->setText("1" + QString(494, '0') + "12397");
  auto* run = form.findChild<QPushButton*>("Button1");
  double worst = 0;
  int round = 0;
  for (auto _ : state) {
    run->click();
    if (!form.isProving()) state.SkipWithError("no prover");
    QTest::qWait(100 * (round++ % 8));
    const auto asked = std::chrono::steady_clock::now();
    QTest::keyClick(&form, Qt::Key_Escape);
    const std::chrono::duration<double> delay = std::chrono::steady_clock::now() - asked;
    if (form.isProving()) state.SkipWithError("Esc did not stop the proof");
    state.SetIterationTime(delay.count());
    worst = std::max(worst, delay.count());
  }
  state.counters["worst_ms"] = worst * 1000;
}
BENCHMARK(BM_ProofStop)->UseManualTime()->Iterations(16)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QUORVEX_PROVER", QUORVEX_PROVER);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory of the process: %ld KiB\n", usage.ru_maxrss);
  return 0;
}
