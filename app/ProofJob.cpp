// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProofJob.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <set>
#include <thread>

#include "NumberText.h"

namespace {

// The factors of "1 x p x q ...", without repeats.
std::set<std::string> FactorsOf(const QString& answer) {
  std::set<std::string> factors;
  const QStringList parts = answer.split(QStringLiteral(" x "));
  for (qsizetype k = 1; k < parts.size(); ++k)
    factors.insert(parts[k].toStdString());
  return factors;
}

// Past 2^64 Baillie-PSW is no proof, and a factor needs a certificate.
bool PastTwoTo64(const std::string& digits) {
  constexpr std::string_view kTwoTo64 = "18446744073709551616";
  return digits.size() > kTwoTo64.size() ||
         (digits.size() == kTwoTo64.size() && digits >= kTwoTo64);
}

modular::Natural NaturalOf(const std::string& digits) {
  TBigNumber record;
  ReadDigits(digits, record);
  return modular::FromWide(wide::FromRecord(record));
}

}  // namespace

ProofJob::ProofJob(QString prover, QObject* parent)
    : QObject(parent), prover_(std::move(prover)), poll_(new QTimer(this)) {
  poll_->setInterval(10);
  connect(poll_, &QTimer::timeout, this, &ProofJob::PollCheck);
}

ProofJob::~ProofJob() {
  Stop(false);
}

QString ProofJob::FindProver() {
  const QString named = qEnvironmentVariable("QUORVEX_PROVER");
  if (!named.isEmpty()) return named;
  const QString here = QCoreApplication::applicationDirPath();
  for (const QString& path : {here + QStringLiteral("/quorvex-prove"),
                              here + QStringLiteral("/../libexec/quorvex/quorvex-prove")}) {
    if (QFileInfo(path).isExecutable()) return path;
  }
  return QString();
}

void ProofJob::Start(const QString& answer) {
  Stop(false);
  const std::set<std::string> factors = FactorsOf(answer);
  state_ = {ProofState::Stage::Proving, 0, static_cast<int>(factors.size()), 0};
  started_ = std::chrono::steady_clock::now();
  running_ = true;
  for (const std::string& factor : factors) {
    if (PastTwoTo64(factor)) {
      waiting_.push_back(factor);
    } else {
      ++state_.done;
    }
  }
  if (waiting_.empty()) return Finish(ProofState::Stage::Proven);
  if (prover_.isEmpty()) return Finish(ProofState::Stage::NotProven);
  process_ = new QProcess(this);
  connect(process_, &QProcess::readyReadStandardOutput, this, &ProofJob::ReadProver);
  connect(process_, &QProcess::finished, this, [this] {
    ReadProver();
    if (running_ && !waiting_.empty()) Finish(ProofState::Stage::NotProven);
  });
  // One thread for the prover: its steps gain little from a second, which
  // checks the certificates meanwhile.
  process_->start(prover_, {QStringLiteral("--threads"), QStringLiteral("1")});
  for (const std::string& factor : waiting_)
    process_->write((factor + '\n').c_str());
  process_->closeWriteChannel();
  emit changed(state_);
}

void ProofJob::ReadProver() {
  while (process_ != nullptr && process_->canReadLine())
    TakeLine(process_->readLine().trimmed().toStdString());
}

void ProofJob::TakeLine(const std::string& line) {
  if (waiting_.empty()) return;
  if (line == "composite") {
    const QString factor = QString::fromStdString(waiting_.front());
    Stop(false);
    emit composite(factor);
    return;
  }
  if (line != "end") {
    lines_ += line + '\n';
    return;
  }
  auto certificate = proof::ParseCertificate(lines_);
  lines_.clear();
  if (!certificate) return Finish(ProofState::Stage::NotProven);
  unchecked_.emplace_back(waiting_.front(), std::move(*certificate));
  waiting_.pop_front();
  CheckNext();
}

// One certificate at a time on a worker thread, with the cores the prover
// leaves.
void ProofJob::CheckNext() {
  if (checking_.valid() || unchecked_.empty()) return;
  const int threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
  checking_ = std::async(std::launch::async, [this, threads, job = unchecked_.front()] {
    return proof::Check(NaturalOf(job.first), job.second, threads, &cancel_);
  });
  unchecked_.pop_front();
  poll_->start();
}

void ProofJob::PollCheck() {
  if (!checking_.valid()) return poll_->stop();
  if (checking_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
  const proof::Verdict verdict = checking_.get();
  poll_->stop();
  if (verdict != proof::Verdict::Proven) return Finish(ProofState::Stage::NotProven);
  ++state_.done;
  if (state_.done == state_.total) return Finish(ProofState::Stage::Proven);
  emit changed(state_);
  CheckNext();
}

void ProofJob::Stop(bool report) {
  if (!running_) return;
  running_ = false;
  cancel_ = true;
  if (process_ != nullptr) {
    process_->disconnect(this);
    process_->kill();
    process_->waitForFinished(100);
    process_->deleteLater();
    process_ = nullptr;
  }
  if (checking_.valid()) checking_.wait();
  checking_ = {};
  poll_->stop();
  cancel_ = false;
  waiting_.clear();
  unchecked_.clear();
  lines_.clear();
  if (report) {
    state_.stage = ProofState::Stage::NotProven;
    emit changed(state_);
  }
}

void ProofJob::Finish(ProofState::Stage stage) {
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started_;
  Stop(false);
  state_.stage = stage;
  state_.seconds = elapsed.count();
  emit changed(state_);
}
