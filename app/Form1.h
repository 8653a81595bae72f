// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator's one window: four prompted fields, the run button, the exit
// and memory buttons, and the menu bar.
//
// The run button's caption is the operation mode. Each mode command writes
// its word there, and a press of the run button reads it back to learn which
// operation to perform.
#pragma once

#include <QMainWindow>
#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <utility>

#include "BigNumber.h"
#include "FactoringJob.h"
#include "Modes.h"
#include "Press.h"
#include "ProofJob.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QPushButton;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  // A window whose prime-factor press runs `search` and turns busy when the
  // search takes longer than `busyDelay`.
  TForm1(FactoringJob::Search search, std::chrono::milliseconds busyDelay,
         QWidget* parent = nullptr);
  ~TForm1() override;

  // The window's number records (Press.h).
  const Records& numbers() const { return Numbers; }
  const TBigNumber& memory() const { return Memory; }
  const TBigNumber& memory1() const { return Memory1; }

  // The printer and its settings, as the printing dialogs leave them.
  QPrinter& printer() { return *Printer; }

  // True while a prime factorisation runs on its worker thread.
  bool isBusy() const { return factoring_->IsRunning(); }
  // True while the factors of the answer are being proven prime.
  bool isProving() const { return proof_->IsRunning(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Return or Enter on a focused push button clicks it.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildMenu();
  QMenu* AddMenu(const char* name, const QString& title);
  void AddItem(QMenu* menu, const char* name, const QString& caption,
               void (TForm1::*handler)() = nullptr);

  void FormCreate();
  void HideInputs();
  void EnterMode(const Mode& mode);

  void plus1Click();
  void minus1Click();
  void multiply1Click();
  void divide1Click();
  void sqroot1Click();
  void primefactors1Click();
  void nthrootofnumber1Click();
  void N1x1Click();
  void xtothepowerofn1Click();
  void n1Click();

  void Button1Click();
  void EnterBusy();
  void FinishFactoring(FactorOutcome outcome, const QString& factors);
  void ShowProof(const ProofState& state);
  void CorrectFactors(const QString& composite);
  void ShowConversionError(const QString& message, QLineEdit* atFault);
  void PlaceOnScreen();

  void Button2Click();
  void exit1Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void Button8Click();
  void copyline11Click();
  void copyline21Click();
  void copyline31Click();
  void copyline41Click();
  void printoptions1Click();
  void printscreen1Click();

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QLineEdit* Edit4 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button5 = nullptr;
  QPushButton* Button6 = nullptr;
  QPushButton* Button7 = nullptr;
  QPushButton* Button8 = nullptr;

  Records Numbers{};
  TBigNumber Memory{};
  TBigNumber Memory1{};
  std::unique_ptr<QPrinter> Printer;
  FactoringJob* factoring_ = nullptr;
  ProofJob* proof_ = nullptr;
  // While a factor that a proof found composite is split: the answer it
  // stood in and the factor.
  std::optional<std::pair<QString, QString>> correcting_;
};
