// The calculator's one window: four prompted fields, the run button, the exit
// and memory buttons, and the menu bar.
//
// The run button's caption is the operation mode. Each mode command writes
// its word there, and a press of the run button reads it back to learn which
// operation to perform.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPrinter>
#include <array>
#include <atomic>
#include <future>
#include <memory>
#include <string>

#include "BigNumber.h"
#include "SpecialFunctions.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class ConversionError;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // The window's number records: operands 1 and 2, answer 3, remainder 6.
  const std::array<TBigNumber, 7>& numbers() const { return Numbers; }
  const TBigNumber& memory() const { return Memory; }
  const TBigNumber& memory1() const { return Memory1; }

  // The printer and its settings, as the printing dialogs leave them.
  QPrinter& printer() { return Printer; }

  // True while a long search runs on its worker thread and the window is
  // busy.
  bool isBusy() const { return factoring_ != nullptr; }

  // Prints the image of the window's client area on one page of `target`,
  // at its top-left corner, scaled by the printer's resolution.
  bool PrintClientArea(QPrinter& target);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct ModeRow;

  // A prime factorisation running on a worker thread.
  struct Factoring {
    std::atomic<bool> cancel{false};
    std::string text;  // written by the worker until `result` is ready
    std::future<FactorOutcome> result;
    QElapsedTimer clock;
  };

  void BuildControls();
  void BuildMenu();
  QMenu* AddMenu(const char* name, const QString& title);
  void AddItem(QMenu* menu, const char* name, const QString& caption,
               void (TForm1::*handler)() = nullptr);

  void FormCreate();
  void HideInputs();
  void EnterMode(const ModeRow& mode);

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
  void Press();
  bool IsMode(const char* word) const;
  bool AnswersOnLine2() const;
  bool ReadField(const QString& text, TBigNumber& record);
  bool StoreAnswer(const TBigNumber& answer);
  void Subtraction();
  bool Multiplication();
  bool Division();
  void FactorialBranch();
  void ReciprocalBranch();
  void PowerBranch();
  void PrimeFactorBranch();
  void EnterBusy();
  void ShowProgress();
  void FinishFactoring();
  void CancelFactoring();
  void SquareRootBranch();
  void NthRootBranch();
  void ShowAnswer();
  void ShowTooLarge();
  void ShowConversionError(const ConversionError& error);

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

  std::array<TBigNumber, 7> Numbers{};
  TBigNumber Memory{};
  TBigNumber Memory1{};
  QPrinter Printer{QPrinter::HighResolution};
  std::unique_ptr<Factoring> factoring_;
  QTimer* busyTimer_ = nullptr;
};
