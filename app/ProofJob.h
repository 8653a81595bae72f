// SPDX-License-Identifier: GPL-3.0-or-later
// The proof that an answer's prime factors are prime, in the background:
// the prover's process makes a certificate for each factor past 2^64 (below
// it Baillie-PSW is exact), and our checker checks each on a worker thread.
// The window starts it after the answer and stops it at the next press, a
// mode command, Esc or closing; nothing of a stopped proof reports later.
#pragma once

#include <QObject>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <deque>
#include <future>
#include <string>

#include "Progress.h"
#include "proof/Certificate.h"

class QProcess;
class QTimer;

class ProofJob : public QObject {
  Q_OBJECT

 public:
  // `prover`: the prover program's path; empty for none, which leaves every
  // answer not proven.
  explicit ProofJob(QString prover, QObject* parent = nullptr);
  // Stops a running proof without a word.
  ~ProofJob() override;

  // The prover beside the program in a build tree, or where the package
  // installs it; QUORVEX_PROVER names another.
  static QString FindProver();

  // Proves the factors of an answer "1 x p x q ...": changed() reports each
  // step, the last one Proven or NotProven.
  void Start(const QString& answer);
  // Stops a running proof within milliseconds: the prover's process ends,
  // the checker at its next step. With `report`, changed() says NotProven.
  void Stop(bool report);
  bool IsRunning() const { return running_; }

 signals:
  void changed(const ProofState& state);
  // The prover found a factor of the answer composite: the search must go
  // on with it (no such number is known; Baillie-PSW said prime).
  void composite(const QString& factor);

 private:
  void ReadProver();
  void TakeLine(const std::string& line);
  void CheckNext();
  void PollCheck();
  void Finish(ProofState::Stage stage);

  QString prover_;
  QProcess* process_ = nullptr;
  QTimer* poll_;
  bool running_ = false;
  ProofState state_;
  std::chrono::steady_clock::time_point started_;
  std::deque<std::string> waiting_;  // factors sent to the prover, in order
  std::string lines_;                // the certificate the prover is writing
  std::deque<std::pair<std::string, proof::Certificate>> unchecked_;
  std::atomic<bool> cancel_{false};
  std::future<proof::Verdict> checking_;
};
