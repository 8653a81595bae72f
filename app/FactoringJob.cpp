// SPDX-License-Identifier: GPL-3.0-or-later
#include "FactoringJob.h"

#include <QTimer>
#include <future>
#include <string>

#include "NumberText.h"
#include "Progress.h"

// What the worker shares with the window's thread: the flag it reads, the
// text it writes until its future is ready.
struct FactoringJob::Running {
  std::atomic<bool> cancel{false};
  FactorProgress progress;
  TimeLeft timeLeft;
  std::string factors = "1";
  std::future<FactorOutcome> outcome;
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

FactoringJob::FactoringJob(Search search, std::chrono::milliseconds busyDelay, QObject* parent)
    : QObject(parent), search_(std::move(search)), busyDelay_(busyDelay), poll_(new QTimer(this)) {
  poll_->setInterval(100);
  connect(poll_, &QTimer::timeout, this, &FactoringJob::Poll);
}

FactoringJob::~FactoringJob() {
  if (!running_) return;
  running_->cancel = true;
  running_->outcome.wait();
}

void FactoringJob::Start(const TBigNumber& number, bool composite) {
  running_ = std::make_unique<Running>();
  Running* job = running_.get();
  FactorSettings settings(0, &job->progress);
  settings.composite = composite;
  job->outcome = std::async(std::launch::async, [search = search_, job, number, settings] {
    return search(
        number,
        [job](const TBigNumber& factor) {
          job->factors += " x ";
          job->factors += DigitString(factor);
        },
        &job->cancel, settings);
  });
  if (job->outcome.wait_for(busyDelay_) == std::future_status::ready) return Finish();
  emit busy();
  // The search may end by now: Poll then finishes it and stops the timer.
  poll_->start();
  Poll();
}

void FactoringJob::Cancel() {
  if (!running_) return;
  running_->cancel = true;
  running_->outcome.wait();
  Finish();
}

void FactoringJob::Poll() {
  if (running_->outcome.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    return Finish();
  }
  const FactorProgress::Reading reading = running_->progress.Read();
  const std::chrono::duration<double> elapsed =
      std::chrono::steady_clock::now() - running_->started;
  running_->timeLeft.Observe(reading, elapsed);
  emit progress(reading, elapsed, running_->timeLeft.Left());
}

void FactoringJob::Finish() {
  poll_->stop();
  const FactorOutcome outcome = running_->outcome.get();
  const QString factors = QString::fromStdString(running_->factors);
  running_.reset();
  emit finished(outcome, factors);
}
