// SPDX-License-Identifier: GPL-3.0-or-later
// A prime factorisation on a worker thread, with its cancel flag, its clock
// and its progress. The window starts it, words what it reports and hears
// when it has finished; nothing of the search runs on the window's thread.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "BigNumber.h"
#include "SpecialFunctions.h"

class QTimer;

class FactoringJob : public QObject {
  Q_OBJECT

 public:
  // The search: FactorIntoPrimes, or a stand-in with its signature.
  using Search =
      std::function<FactorOutcome(const TBigNumber&, const std::function<void(const TBigNumber&)>&,
                                  const std::atomic<bool>*, const FactorSettings&)>;

  // A search that ends within `busyDelay` answers before Start returns;
  // a longer one makes the job busy until it ends or is cancelled.
  FactoringJob(Search search, std::chrono::milliseconds busyDelay, QObject* parent = nullptr);
  // Cancels a running search and waits for it, without a word to anyone.
  ~FactoringJob() override;

  // Starts the search for the factors of `number` on all the machine's
  // threads. Emits finished() before returning when the search ends within
  // the busy delay; otherwise emits busy(), then progress() every 100 ms
  // (how far the search has come, the time it has taken and, once the
  // sieve's rate is known, the time it has left), then
  // finished().
  // With `composite`, the number is known composite (FactorSettings).
  void Start(const TBigNumber& number, bool composite = false);

  // Asks a running search to stop and waits for it; finished() follows with
  // FactorOutcome::Cancelled. Does nothing when no search runs.
  void Cancel();

  bool IsRunning() const { return running_ != nullptr; }

 signals:
  void busy();
  void progress(const FactorProgress::Reading& reading, std::chrono::duration<double> elapsed,
                std::optional<std::chrono::duration<double>> left);
  // `factors` is "1" followed by " x " and each factor, smallest first; it
  // holds what was found so far when the search did not complete.
  void finished(FactorOutcome outcome, const QString& factors);

 private:
  struct Running;

  void Poll();
  void Finish();

  Search search_;
  std::chrono::milliseconds busyDelay_;
  std::unique_ptr<Running> running_;
  QTimer* poll_;
};
