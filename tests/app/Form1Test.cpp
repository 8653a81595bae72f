// SPDX-License-Identifier: GPL-3.0-or-later
// The window driven as a user drives it: menu items, typed fields and the run
// button, all found by their object names.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <utility>

#include "Form1.h"
#include "NumberText.h"

namespace {

const QStringList kInputs = {"Label1", "Edit1",  "Label2", "Edit2",  "Label3",
                             "Edit3",  "Label4", "Edit4",  "Button1"};
// 2 10^99 + 12363 and 10^499 + 12397, primes.
const QString kPrime100 = "2" + QString(94, '0') + "12363";
const QString kPrime500 = "1" + QString(494, '0') + "12397";
const QStringList kAlwaysShown = {"Button2", "Button3", "Button4", "Button5",
                                  "Button6", "Button7", "Button8"};

QString Digits(const TBigNumber& x) {
  return QString::fromStdString(DigitString(x));
}

// 80 digits, two primes of 40 digits: too long for the sieve, and hours of
// curves.
const QString kHardNumber =
    "15948631238018815695381437143326203828904502090831867156586347461367379791452713";

// Holds a search until opened; a cancel lets it go at once.
struct Gate {
  std::mutex mutex;
  std::condition_variable opened;
  bool open = false;
  std::atomic<bool> sawCancel{false};

  void Open() {
    const std::lock_guard lock(mutex);
    open = true;
    opened.notify_all();
  }
  // True once opened; false when `cancel` turns true first.
  bool Pass(const std::atomic<bool>& cancel) {
    std::unique_lock lock(mutex);
    while (!open) {
      if (cancel) {
        sawCancel = true;
        return false;
      }
      opened.wait_for(lock, std::chrono::milliseconds(1));
    }
    return true;
  }
};

// Runs `act` once when `watched` receives an event of `type`.
class EventWatch : public QObject {
 public:
  EventWatch(QObject* watched, QEvent::Type type, std::function<void()> act)
      : type_(type), act_(std::move(act)) {
    watched->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == type_ && act_) std::exchange(act_, nullptr)();
    return false;
  }

 private:
  QEvent::Type type_;
  std::function<void()> act_;
};

// Records the caption of a button each time it is painted.
class PaintedCaptions : public QObject {
 public:
  explicit PaintedCaptions(QPushButton* button) { button->installEventFilter(this); }
  QStringList captions;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) captions << static_cast<QPushButton*>(watched)->text();
    return false;
  }
};

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form;

  template <typename T>
  T* Find(const QString& name) {
    T* found = form->findChild<T*>(name);
    if (!found) qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
  }
  QLineEdit* Edit(int n) { return Find<QLineEdit>(QStringLiteral("Edit%1").arg(n)); }
  QLabel* Label(int n) { return Find<QLabel>(QStringLiteral("Label%1").arg(n)); }
  QPushButton* Button(int n) { return Find<QPushButton>(QStringLiteral("Button%1").arg(n)); }

  void Choose(const QString& item) { Find<QAction>(item)->trigger(); }

  void Type(int field, const QString& text) {
    Edit(field)->clear();
    // Long operands are pasted rather than typed, as a user would.
    if (text.size() > 80) {
      Edit(field)->setText(text);
    } else {
      QTest::keyClicks(Edit(field), text);
    }
  }

  // Presses the run button. A prime-factor press goes busy when its search
  // outlasts the busy delay, as it may on a loaded machine; Run waits for its
  // answer, Start does not.
  void Start() { QTest::mouseClick(Button(1), Qt::LeftButton); }
  void Run() {
    Start();
    QTRY_VERIFY_WITH_TIMEOUT(!form->isBusy(), 60000);
  }

  // A window whose prime-factor search holds at `gate` until the test opens
  // it (or the search is cancelled), then factors for real.
  void UseGatedSearch(Gate& gate) {
    UseSearch([&gate](const TBigNumber& n, const std::function<void(const TBigNumber&)>& append,
                      const std::atomic<bool>* cancel, const FactorSettings& settings) {
      if (!gate.Pass(*cancel)) return FactorOutcome::Cancelled;
      return FactorIntoPrimes(n, append, cancel, settings);
    });
  }

  // A new window whose prime-factor press runs `search`.
  void UseSearch(FactoringJob::Search search) {
    form = std::make_unique<TForm1>(std::move(search), std::chrono::milliseconds(100));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }

  QStringList Visible() const {
    QStringList shown;
    for (const QString& name : kInputs + kAlwaysShown) {
      if (form->findChild<QWidget*>(name)->isVisible()) shown << name;
    }
    return shown;
  }

  // Presses the run button and returns the text of the error box it shows,
  // closing the box; empty when none appeared.
  QString RunExpectingError() {
    // Shared, since the timer outlives this call when no box appears.
    const auto message = std::make_shared<QString>();
    QTimer::singleShot(0, this, [message] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        *message = box->text();
        box->accept();
      }
    });
    Run();
    return *message;
  }

 private slots:
  void init() {
    form = std::make_unique<TForm1>();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }
  void cleanup() { form.reset(); }

  void startsWithOnlyTheMenuAndTheButtons() {
    QCOMPARE(form->objectName(), QStringLiteral("Form1"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Quorvex"));
    QCOMPARE(Visible(), kAlwaysShown);
    QCOMPARE(form->centralWidget()->size(), QSize(773, 339));
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    for (const TBigNumber& number : form->numbers()) {
      QCOMPARE(number.Len, 0);
      QCOMPARE(number.Flag, 1);
    }
  }

  void hasTheMenusInOrder() {
    QStringList titles;
    for (QAction* menu : form->menuBar()->actions())
      titles << menu->menu()->objectName();
    QCOMPARE(titles,
             QStringList({"main1", "special1", "printing1", "about1", "Copylinetoclipboard1"}));
    const QStringList items = {
        "plus1",      "minus1",        "multiply1",        "divide1",    "sqroot1",
        "exit1",      "primefactors1", "nthrootofnumber1", "N1x1",       "xtothepowerofn1",
        "n1",         "printoptions1", "printscreen1",     "copyline11", "copyline21",
        "copyline31", "copyline41"};
    for (const QString& item : items) {
      QVERIFY2(form->findChild<QAction*>(item), qPrintable(item));
      QVERIFY(Find<QAction>(item)->shortcut().isEmpty());
    }
    QCOMPARE(Find<QAction>("copyline21")->text(), QStringLiteral("copy line2"));
    QVERIFY(Find<QMenu>("about1")->actions().at(2)->text() == "version 7.0");
  }

  void tabsThroughTheControlsInOrder() {
    const QStringList expected = {"Edit1",   "Edit2",   "Edit3",   "Button1", "Edit4",   "Button2",
                                  "Button3", "Button4", "Button5", "Button6", "Button7", "Button8"};
    QStringList order;
    QWidget* widget = Edit(1);
    for (int i = 0; i < expected.size(); ++i) {
      order << widget->objectName();
      do {
        widget = widget->nextInFocusChain();
      } while (widget->objectName().isEmpty() || !expected.contains(widget->objectName()));
    }
    QCOMPARE(order, expected);
  }

  void modeCommandSetsUpItsRow_data() {
    // clang-format off
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("label1");
    QTest::addColumn<QString>("label2");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("line2");
    QTest::addColumn<QString>("edit2");

    QTest::newRow("plus") << "plus1" << "This number plus" << "this number" << "EXE" << true << "";
    QTest::newRow("minus") << "minus1" << "This number minus" << "this number" << "exe" << true << "";
    QTest::newRow("multiply") << "multiply1" << "This number multiplied" << "with this number" << "go" << true << "";
    QTest::newRow("divide") << "divide1" << "enter number to divide" << "enter divider" << "ok" << true << "";
    QTest::newRow("sqroot") << "sqroot1" << "The square root of this number" << "is this number or nearly this number" << "calc" << false << "";
    QTest::newRow("prime factors") << "primefactors1" << "number to determine factors" << "Label2" << "run" << false << "1234";
    QTest::newRow("nth root") << "nthrootofnumber1" << "The nth root of this number" << "enter what root degree" << "RUN" << true << "";
    QTest::newRow("1/x") << "N1x1" << "1 divided by this number" << "answer" << "RUNN" << true << "";
    QTest::newRow("power") << "xtothepowerofn1" << "this number to the power " << "of this number" << "runn" << true << "";
    QTest::newRow("n!") << "n1" << "1 x 2 x 3 x ... x n  enter n  " << "answer" << "do it" << true << "";
    // clang-format on
  }

  void modeCommandSetsUpItsRow() {
    QFETCH(QString, item);
    QFETCH(QString, label1);
    QFETCH(QString, label2);
    QFETCH(QString, word);
    QFETCH(bool, line2);
    QFETCH(QString, edit2);

    Edit(1)->setText("stale");
    Edit(2)->setText("stale");
    Choose(item);
    QCOMPARE(Label(1)->text(), label1);
    QCOMPARE(Label(1)->width(), Label(1)->sizeHint().width());
    QCOMPARE(Label(2)->text(), label2);
    QCOMPARE(Button(1)->text(), word);
    QCOMPARE(Edit(1)->text(), QString());
    QCOMPARE(Edit(2)->text(), edit2);
    QStringList shown = {"Label1", "Edit1"};
    if (line2)
      shown << "Label2"
            << "Edit2";
    shown << "Button1";
    QCOMPARE(Visible(), shown + kAlwaysShown);
  }

  void modeCommandHidesTheAnswerAndEmptiesTheFields() {
    Choose("plus1");
    Type(1, "2");
    Type(2, "3");
    Run();
    QVERIFY(Edit(3)->isVisible());
    Choose("plus1");
    QCOMPARE(Visible(),
             QStringList({"Label1", "Edit1", "Label2", "Edit2", "Button1"}) + kAlwaysShown);
    QCOMPARE(Edit(1)->text(), QString());
    QCOMPARE(Edit(3)->text(), QStringLiteral("5"));  // hidden, not emptied
    QCOMPARE(Digits(form->numbers()[3]), QStringLiteral("5"));
  }

  void pressShowsTheAnswer_data() {
    // clang-format off
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("answer");

    QTest::newRow("2 + 3") << "plus1" << "2" << "3" << "5";
    QTest::newRow("500 + 500 digits") << "plus1" << QString(500, '4') << QString(500, '4') << QString(500, '8');
    QTest::newRow("5 - 5") << "minus1" << "5" << "5" << "negative or zero";
    // clang-format on
  }

  void pressShowsTheAnswer() {
    QFETCH(QString, item);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, answer);

    Choose(item);
    Type(1, first);
    Type(2, second);
    Run();
    QCOMPARE(Edit(3)->text(), answer);
    QCOMPARE(Label(3)->text(), QStringLiteral("answer"));
    QVERIFY(Edit(3)->isVisible() && Label(3)->isVisible());
    QVERIFY(!Edit(4)->isVisible() && !Label(4)->isVisible());
    QCOMPARE(Edit(1)->text(), first);
    QCOMPARE(Edit(3)->cursorPosition(), 0);  // a long answer shows its leading digits
    // A second press shows the same.
    Run();
    QCOMPARE(Edit(3)->text(), answer);
  }

  void multiplyWithAnEmptyFieldShowsZeroAfterEarlierPresses() {
    Choose("multiply1");
    Type(1, "98765");
    Type(2, "4");
    Run();
    Type(1, "");
    Run();
    QCOMPARE(Edit(3)->text(), QStringLiteral("0"));
    QCOMPARE(Digits(form->numbers()[3]), QStringLiteral("0"));
  }

  void divideShowsQuotientAndRemainder_data() {
    // clang-format off
    QTest::addColumn<QString>("dividend");
    QTest::addColumn<QString>("divisor");
    QTest::addColumn<QString>("quotient");
    QTest::addColumn<QString>("remainder");
    QTest::newRow("17 / 5") << "17" << "5" << "3" << "2";
    // clang-format on
  }

  void divideShowsQuotientAndRemainder() {
    QFETCH(QString, dividend);
    QFETCH(QString, divisor);
    QFETCH(QString, quotient);
    QFETCH(QString, remainder);

    Choose("divide1");
    Type(1, dividend);
    Type(2, divisor);
    Run();
    QCOMPARE(Edit(3)->text(), quotient);
    QCOMPARE(Label(3)->text(), QStringLiteral("answer"));
    QCOMPARE(Edit(4)->text(), remainder);
    QCOMPARE(Label(4)->text(), QStringLiteral("remainder"));
    QCOMPARE(Visible(), QStringList({"Label1", "Edit1", "Label2", "Edit2", "Label3", "Edit3",
                                     "Label4", "Edit4", "Button1"}) +
                            kAlwaysShown);
    QCOMPARE(Digits(form->numbers()[6]), remainder);
  }

  void divideRefusesSilentlyAndKeepsTheEarlierRemainder_data() {
    // clang-format off
    QTest::addColumn<QString>("dividend");
    QTest::addColumn<QString>("divisor");
    QTest::newRow("divisor 0") << "17" << "0";
    QTest::newRow("divisor 00") << "17" << "00";
    QTest::newRow("empty divisor") << "17" << "";
    QTest::newRow("empty dividend") << "" << "5";
    // clang-format on
  }

  void divideRefusesSilentlyAndKeepsTheEarlierRemainder() {
    QFETCH(QString, dividend);
    QFETCH(QString, divisor);

    Choose("divide1");
    Type(1, "17");
    Type(2, "5");
    Run();
    Type(1, dividend);
    Type(2, divisor);
    Run();
    QCOMPARE(Edit(3)->text(), QString());
    QCOMPARE(Edit(4)->text(), QStringLiteral("2"));
    QVERIFY(Edit(4)->isVisible());
    QCOMPARE(Digits(form->numbers()[3]), QStringLiteral("3"));
    QCOMPARE(Digits(form->numbers()[6]), QStringLiteral("2"));
  }

  void modeChangeHidesTheRemainderLine() {
    Choose("divide1");
    Type(1, "17");
    Type(2, "5");
    Run();
    Choose("divide1");
    QVERIFY(!Edit(4)->isVisible() && !Label(4)->isVisible() && !Edit(3)->isVisible());
    QCOMPARE(Edit(1)->text(), QString());
  }

  void specialModeShowsItsAnswer_data() {
    // clang-format off
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("caption");

    const QString sqrtCaption = "is this number or nearly this number";
    QTest::newRow("sqrt 2") << "sqroot1" << "2" << "" << 2 << "1.4142135624" << sqrtCaption;
    QTest::newRow("root 2 of 2") << "nthrootofnumber1" << "2" << "2" << 3 << "1.414" << "The root";
    QTest::newRow("1/125") << "N1x1" << "125" << "" << 2 << "0.008000000000000000000000000" << "answer";
    QTest::newRow("2^10") << "xtothepowerofn1" << "2" << "10" << 3 << "1024" << "answer";
    QTest::newRow("5!") << "n1" << "5" << "" << 2 << "120" << "answer";
    QTest::newRow("factors of 12") << "primefactors1" << "12" << "" << 2 << "1 x 2 x 2 x 3" << "answer";
    QTest::newRow("factors of 10^499") << "primefactors1" << "1" + QString(499, '0') << "" << 2 << "1" + QString(" x 2").repeated(499) + QString(" x 5").repeated(499) << "answer";
    // clang-format on
  }

  void specialModeShowsItsAnswer() {
    QFETCH(QString, item);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, line);
    QFETCH(QString, answer);
    QFETCH(QString, caption);

    Choose(item);
    const QString word = Button(1)->text();
    Type(1, first);
    if (Edit(2)->isVisible()) Type(2, second);
    Run();
    QCOMPARE(Edit(line)->text(), answer);
    QCOMPARE(Label(line)->text(), caption);
    QVERIFY(Edit(line)->isVisible() && Label(line)->isVisible());
    QCOMPARE(Button(1)->text(), word);
    QVERIFY(!Edit(2)->text().contains("1234"));
  }

  void rootsShowBusyWhileTheyWork_data() {
    // clang-format off
    QTest::addColumn<QString>("item");
    QTest::newRow("sqroot") << "sqroot1";
    QTest::newRow("nth root") << "nthrootofnumber1";
    // clang-format on
  }

  void rootsShowBusyWhileTheyWork() {
    QFETCH(QString, item);
    Choose(item);
    const QString word = Button(1)->text();
    Type(1, "12345");
    PaintedCaptions painted(Button(1));
    Run();
    QVERIFY(painted.captions.contains("busy"));
    QCOMPARE(Button(1)->text(), word);
  }

  void rootOfDegreeTwoEmptiesTheDegreeField() {
    Choose("nthrootofnumber1");
    Type(1, "2");
    Type(2, "2");
    Run();
    QCOMPARE(Edit(2)->text(), QString());
    Type(1, "9");
    Run();
    QCOMPARE(Edit(3)->text(), QStringLiteral("3.000"));
    QCOMPARE(Digits(form->numbers()[3]), QStringLiteral("3000"));
  }

  void failedDegreeKeepsTheMode_data() {
    // clang-format off
    QTest::addColumn<QString>("degree");
    QTest::addColumn<QString>("message");
    QTest::newRow("1") << "1" << "'-' is not a valid integer value.";
    QTest::newRow("0") << "0" << "'-' is not a valid integer value.";
    QTest::newRow("too long") << "99999999999" << "'99999999999' is not a valid integer value.";
    // clang-format on
  }

  void failedDegreeKeepsTheMode() {
    QFETCH(QString, degree);
    QFETCH(QString, message);
    Choose("nthrootofnumber1");
    Type(1, "27");
    Type(2, "3");
    Run();
    QCOMPARE(Edit(3)->text(), QStringLiteral("3.000"));
    Type(2, degree);
    QCOMPARE(RunExpectingError(), message);
    QCOMPARE(Button(1)->text(), QStringLiteral("RUN"));
    QCOMPARE(Edit(3)->text(), QString());
    Type(2, "3");
    Run();
    QCOMPARE(Edit(3)->text(), QStringLiteral("3.000"));
  }

  void primeFactorsOfAnEmptyFieldClearTheEarlierAnswer() {
    Choose("primefactors1");
    Type(1, "12");
    Run();
    QCOMPARE(Edit(2)->text(), QStringLiteral("1 x 2 x 2 x 3"));
    Type(1, "");
    Run();
    QCOMPARE(Edit(2)->text(), QString());
  }

  void negativeOrZeroNeverStandsUnderThePlaceholder() {
    Choose("minus1");
    Type(1, "5");
    Type(2, "5");
    Run();
    QCOMPARE(Edit(3)->text(), QStringLiteral("negative or zero"));
    QCOMPARE(Label(3)->text(), QStringLiteral("answer"));
  }

  void nonDigitShowsTheConversionErrorAndKeepsTheMode_data() {
    // clang-format off
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("message");
    QTest::newRow("letter") << "1a2" << "3" << "'a' is not a valid integer value.";
    QTest::newRow("sign in second") << "12" << "-3" << "'-' is not a valid integer value.";
    // clang-format on
  }

  void nonDigitShowsTheConversionErrorAndKeepsTheMode() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, message);

    Choose("plus1");
    Type(1, "40");
    Type(2, "2");
    Run();
    Type(1, first);
    Type(2, second);
    QCOMPARE(RunExpectingError(), message);
    QCOMPARE(Edit(3)->text(), QString());
    QCOMPARE(Button(1)->text(), QStringLiteral("EXE"));
    QCOMPARE(Digits(form->numbers()[3]), QStringLiteral("42"));
    // The program goes on in the same mode.
    Type(1, "1");
    Type(2, "1");
    Run();
    QCOMPARE(Edit(3)->text(), QStringLiteral("2"));
  }

  void tooLargeKeepsTheRecords_data() {
    // clang-format off
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("refused");  // the record of the refused field, 0 for none
    QTest::newRow("first field of 501 digits") << "plus1" << QString(501, '1') << "1" << 1;
    // clang-format on
  }

  // The answer and the refused field's record stay as they were.
  void tooLargeKeepsTheRecords() {
    QFETCH(QString, item);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, refused);

    Choose(item);
    Type(1, "40");
    Type(2, "2");
    Run();
    const auto before = form->numbers();
    Type(1, first);
    Type(2, second);
    Run();
    QCOMPARE(Edit(3)->text(), QStringLiteral("too large"));
    QCOMPARE(Label(3)->text(), QStringLiteral("answer"));
    QVERIFY(Edit(3)->isVisible());
    for (int i : {refused, 3}) {
      QCOMPARE(Digits(form->numbers()[i]), Digits(before[i]));
      QCOMPARE(form->numbers()[i].Len, before[i].Len);
    }
  }

  void recallBeforeAnyStoreEmptiesTheField_data() {
    // clang-format off
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("field");
    QTest::newRow("mem to line1") << 4 << 1;
    QTest::newRow("mem to line2") << 5 << 2;
    QTest::newRow("mem1 to line1") << 7 << 1;
    QTest::newRow("mem1 to line2") << 8 << 2;
    // clang-format on
  }

  void recallBeforeAnyStoreEmptiesTheField() {
    QFETCH(int, button);
    QFETCH(int, field);
    Choose("plus1");
    Type(field, "123");
    QTest::mouseClick(Button(button), Qt::LeftButton);
    QCOMPARE(Edit(field)->text(), QString());
  }

  void registersKeepTheAnswerTheyStored() {
    Choose("plus1");
    Type(1, "0");
    Type(2, "0");
    Run();
    QTest::mouseClick(Button(6), Qt::LeftButton);  // "0" into mem1
    Type(1, "40");
    Type(2, "2");
    Run();
    QTest::mouseClick(Button(3), Qt::LeftButton);  // 42 into mem
    Type(1, "1");
    Type(2, "1");
    Run();
    QCOMPARE(Edit(3)->text(), QStringLiteral("2"));

    QTest::mouseClick(Button(5), Qt::LeftButton);
    QCOMPARE(Edit(2)->text(), QStringLiteral("42"));
    QTest::mouseClick(Button(4), Qt::LeftButton);
    QCOMPARE(Edit(1)->text(), QStringLiteral("42"));
    QTest::mouseClick(Button(7), Qt::LeftButton);
    QCOMPARE(Edit(1)->text(), QStringLiteral("0"));
    QTest::mouseClick(Button(8), Qt::LeftButton);
    QCOMPARE(Edit(2)->text(), QStringLiteral("0"));
    QCOMPARE(form->memory().Len, 2);
    QCOMPARE(form->memory1().Len, 1);
    // A recalled answer is an operand like any typed one.
    QTest::mouseClick(Button(4), Qt::LeftButton);
    Run();
    QCOMPARE(Edit(3)->text(), QStringLiteral("42"));
  }

  void registersStoreTheAnswerRecordWhole() {
    Choose("nthrootofnumber1");
    Type(1, "2");
    Type(2, "2");
    Run();
    QCOMPARE(Edit(3)->text(), QStringLiteral("1.414"));
    QTest::mouseClick(Button(3), Qt::LeftButton);
    QTest::mouseClick(Button(4), Qt::LeftButton);
    QCOMPARE(Edit(1)->text(), QStringLiteral("1414"));
  }

  void copyLineCopiesTheSelectionOnly_data() {
    // clang-format off
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("field");
    QTest::newRow("copy line 1") << "copyline11" << 1;
    QTest::newRow("copy line2") << "copyline21" << 2;
    QTest::newRow("copy line3") << "copyline31" << 3;
    QTest::newRow("copy line 4") << "copyline41" << 4;
    // clang-format on
  }

  void copyLineCopiesTheSelectionOnly() {
    QFETCH(QString, item);
    QFETCH(int, field);
    Choose("divide1");
    Type(1, "1234567");
    Type(2, "1000");
    Run();
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText("before");
    Edit(field)->deselect();
    Choose(item);
    QCOMPARE(clipboard->text(), QStringLiteral("before"));

    Edit(field)->selectAll();
    Choose(item);
    QCOMPARE(clipboard->text(), Edit(field)->text());
    QVERIFY(!clipboard->text().isEmpty());

    Edit(field)->setSelection(1, 2);
    Choose(item);
    QCOMPARE(clipboard->text(), Edit(field)->text().mid(1, 2));
  }

  // A search that ends just as the window turns busy: the first look at it
  // finishes it, and nothing looks at it again.
  void searchEndingAsTheWindowTurnsBusy() {
    Gate gate;
    std::atomic<bool> returned{false};
    UseSearch([&](const TBigNumber& n, const std::function<void(const TBigNumber&)>& append,
                  const std::atomic<bool>* cancel, const FactorSettings& settings) {
      gate.Pass(*cancel);
      const FactorOutcome outcome = FactorIntoPrimes(n, append, cancel, settings);
      returned = true;
      return outcome;
    });
    // Turning busy disables the client area: there the search is let go and
    // waited for, before the job first looks at it.
    EventWatch watch(form->centralWidget(), QEvent::EnabledChange, [&] {
      gate.Open();
      while (!returned)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    Choose("primefactors1");
    Type(1, "12");
    Start();
    QVERIFY(!form->isBusy());
    QCOMPARE(Edit(2)->text(), QStringLiteral("1 x 2 x 2 x 3"));
    QTest::qWait(300);  // the job's timer would fire here
    QCOMPARE(Edit(2)->text(), QStringLiteral("1 x 2 x 2 x 3"));
  }

  void longFactoringMakesTheWindowBusy() {
    Choose("primefactors1");
    Type(1, kHardNumber);
    const auto before = form->numbers();
    Start();
    QVERIFY(form->isBusy());
    QCOMPARE(Button(1)->text(), QStringLiteral("busy"));
    QVERIFY(!form->menuBar()->isEnabled());
    QVERIFY(!form->centralWidget()->isEnabled());
    QCOMPARE(Edit(2)->text(), QString());  // nothing reads as an answer
    const QString progress = Edit(2)->placeholderText();
    QVERIFY(progress.contains("Esc"));
    // The window keeps going: the elapsed time moves on.
    QTRY_VERIFY(Edit(2)->placeholderText() != progress);

    QTest::keyClick(form.get(), Qt::Key_Escape);
    QVERIFY(!form->isBusy());
    QCOMPARE(Button(1)->text(), QStringLiteral("run"));
    QVERIFY(form->menuBar()->isEnabled() && form->centralWidget()->isEnabled());
    QCOMPARE(Edit(2)->text(), QString());
    QCOMPARE(Edit(2)->placeholderText(), QString());
    // The answer and the remainder are as they were; only the operands were
    // read, before the search began.
    for (int i : {0, 3, 4, 5, 6})
      QCOMPARE(Digits(form->numbers()[i]), Digits(before[i]));
    // The mode goes on.
    Type(1, "12");
    Run();
    QCOMPARE(Edit(2)->text(), QStringLiteral("1 x 2 x 2 x 3"));
  }

  void closingTheBusyWindowCancels() {
    Choose("primefactors1");
    Type(1, kHardNumber);
    Start();
    QVERIFY(form->isBusy());
    QElapsedTimer clock;
    clock.start();
    form->close();
    QVERIFY(!form->isBusy());
    QVERIFY(!form->isVisible());
    QVERIFY(clock.elapsed() < 2000);
  }

  void busyFactoringEndsWithTheAnswer() {
    Gate gate;
    UseGatedSearch(gate);
    Choose("primefactors1");
    Type(1, "64149601936330763302080726698340019659216346564973");
    Start();
    QVERIFY(form->isBusy());
    QCOMPARE(Edit(2)->text(), QString());
    gate.Open();
    QTRY_VERIFY_WITH_TIMEOUT(!form->isBusy(), 60000);
    QCOMPARE(Edit(2)->text(),
             QStringLiteral("1 x 6741049339392820542547199 x 9516263523166682981889427"));
    QCOMPARE(Button(1)->text(), QStringLiteral("run"));
    QVERIFY(form->centralWidget()->isEnabled());
  }

  // The busy line says what the search does, from the search's own counts.
  void busyLineShowsTheSearchsProgress() {
    Gate gate;
    UseSearch([&gate](const TBigNumber&, const std::function<void(const TBigNumber&)>&,
                      const std::atomic<bool>* cancel, const FactorSettings& settings) {
      settings.progress->Start(FactorPhase::Sieving, 200);
      settings.progress->Advance(82);
      gate.Pass(*cancel);
      return FactorOutcome::Cancelled;
    });
    Choose("primefactors1");
    Type(1, "1000000000000000000000000000000000000000000000007");
    Start();
    QVERIFY(form->isBusy());
    QTRY_VERIFY(Edit(2)->placeholderText().startsWith("sieving: 41% of the relations \u00b7 "));
    QVERIFY(Edit(2)->placeholderText().endsWith(" s \u00b7 Esc cancels"));
    QCOMPARE(Edit(2)->text(), QString());
    QTest::keyClick(form.get(), Qt::Key_Escape);
    QVERIFY(!form->isBusy());
  }

  void destroyingTheBusyWindowCancelsTheSearch() {
    Gate gate;
    UseGatedSearch(gate);
    Choose("primefactors1");
    Type(1, "1000000000000000000000000000000000000000000000007");
    Start();
    QVERIFY(form->isBusy());
    form.reset();  // returns only once the search has stopped
    QVERIFY(gate.sawCancel);
  }

  void returnInAFieldPressesTheRunButton_data() {
    // clang-format off
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("answerLine");
    QTest::addColumn<QString>("answer");
    QTest::newRow("plus, Enter in line 1") << "plus1" << 1 << 3 << "5";
    QTest::newRow("plus, Enter in line 2") << "plus1" << 2 << 3 << "5";
    QTest::newRow("divide, Enter in line 2") << "divide1" << 2 << 3 << "0";
    QTest::newRow("sqroot, Enter in line 1") << "sqroot1" << 1 << 2 << "1.4142135624";
    QTest::newRow("power, Enter in line 2") << "xtothepowerofn1" << 2 << 3 << "8";
    // clang-format on
  }

  void returnInAFieldPressesTheRunButton() {
    QFETCH(QString, item);
    QFETCH(int, field);
    QFETCH(int, answerLine);
    QFETCH(QString, answer);
    Choose(item);
    Type(1, "2");
    if (Edit(2)->isVisible()) Type(2, "3");
    QTest::keyClick(Edit(field), Qt::Key_Return);
    QCOMPARE(Edit(answerLine)->text(), answer);
  }

  void returnOnAFocusedButtonClicksIt() {
    Choose("plus1");
    Type(1, "40");
    Type(2, "2");
    Button(1)->setFocus();
    QTest::keyClick(Button(1), Qt::Key_Enter);
    QCOMPARE(Edit(3)->text(), QStringLiteral("42"));
    Button(3)->setFocus();
    QTest::keyClick(Button(3), Qt::Key_Return);  // answer to mem
    QCOMPARE(Digits(form->memory()), QStringLiteral("42"));
  }

  void screenReadersHearThePromptsAndTheOperation() {
    const auto name = [](QWidget* widget) {
      return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    const QList<QPair<QString, QString>> modes = {{"plus1", "plus"},
                                                  {"minus1", "minus"},
                                                  {"multiply1", "multiply"},
                                                  {"divide1", "divide"},
                                                  {"sqroot1", "sqroot"},
                                                  {"primefactors1", "prime factors"},
                                                  {"nthrootofnumber1", "nth root of number"},
                                                  {"N1x1", "1/x"},
                                                  {"xtothepowerofn1", "x to the power of n"},
                                                  {"n1", "n!"}};
    for (const auto& [item, operation] : modes) {
      Choose(item);
      QCOMPARE(name(Edit(1)), Label(1)->text());
      QCOMPARE(name(Edit(2)), Label(2)->text());
      QCOMPARE(name(Button(1)), operation);
    }
    QCOMPARE(name(Button(3)), QStringLiteral("answer to mem"));
    Choose("divide1");
    Type(1, "7");
    Type(2, "2");
    Run();
    QCOMPARE(name(Edit(3)), QStringLiteral("answer"));
    QCOMPARE(name(Edit(4)), QStringLiteral("remainder"));
  }

  void longNumbersTellTheirLengthInTheTooltip() {
    Choose("multiply1");
    Type(1, QString(250, '9'));
    Type(2, QString(250, '9'));
    Run();
    const QString tip = Edit(3)->toolTip();
    // Groups of three from the units up, ten groups a line.
    QVERIFY(tip.startsWith("500 digits\n99 999 999 999 999 999 999\n999 999 999 999 999 999 999 "));
    QVERIFY(tip.endsWith("000 000 000 000 000 000 000 000 000 001"));
    QCOMPARE(Edit(3)->text().size(), 500);  // what is copied stays plain
    Type(1, QString(20, '1'));
    QCOMPARE(Edit(1)->toolTip(), QString());
  }

  // A 100-digit prime: the answer at once, then its proof in the tooltip's
  // first line and the accessible description; below 2^64 nothing to prove.
  void answersFirstThenProvesTheFactorsPrime() {
    Choose("primefactors1");
    Type(1, kPrime100);
    Run();
    QCOMPARE(Edit(2)->text(), "1 x " + kPrime100);
    QVERIFY(form->isProving());
    QCOMPARE(Edit(2)->toolTip(),
             QStringLiteral("proving the factors prime: 0 of 1 \u00b7 Esc stops"));
    QTRY_VERIFY_WITH_TIMEOUT(!form->isProving(), 60000);
    QVERIFY(Edit(2)->toolTip().startsWith("every factor proven prime \u00b7 "));
    QCOMPARE(Edit(2)->accessibleDescription(), Edit(2)->toolTip());
    QVERIFY(Button(1)->isEnabled() && Button(1)->text() == "run");
    Type(1, "12");
    Run();
    QVERIFY(!form->isProving());
    QCOMPARE(Edit(2)->accessibleDescription(),
             QStringLiteral("every factor proven prime \u00b7 0.0 s"));
  }

  // Esc at random moments of a 500-digit prime's proof stops it at once.
  void stopsTheProofAtAnyMoment() {
    Choose("primefactors1");
    Type(1, kPrime500);
    std::mt19937 random(26);
    for (int round = 0; round < 6; ++round) {
      Run();
      QVERIFY(form->isProving());
      QTest::qWait(static_cast<int>(random() % 600));
      QElapsedTimer stopping;
      stopping.start();
      QTest::keyClick(form.get(), Qt::Key_Escape);
      QVERIFY(!form->isProving());
      QVERIFY2(stopping.elapsed() < 1000, qPrintable(QString::number(stopping.elapsed())));
      QCOMPARE(Edit(2)->text(), "1 x " + kPrime500);
    }
  }

  // Should a factor that Baillie-PSW passed fail its proof, the search goes
  // on with it and its factors replace it: shown with a test that lies.
  void aFactorFoundCompositeIsSplit() {
    const QString c = "10000000002200000000057";  // 100000000003 * 100000000019
    UseSearch([c](const TBigNumber& n, const std::function<void(const TBigNumber&)>& append,
                  const std::atomic<bool>* cancel, const FactorSettings& settings) {
      FactorSettings lying = settings;
      // c and the two primes are all the search asks about.
      lying.probablePrime = [c](const TBigNumber& x) {
        return QStringList{c, "100000000003", "100000000019"}.contains(Digits(x));
      };
      return FactorIntoPrimes(n, append, cancel, lying);
    });
    Choose("primefactors1");
    Type(1, c);
    Run();
    QCOMPARE(Edit(2)->text(), "1 x " + c);
    QTRY_COMPARE_WITH_TIMEOUT(Edit(2)->text(), QStringLiteral("1 x 100000000003 x 100000000019"),
                              60000);
    QTRY_VERIFY_WITH_TIMEOUT(!form->isProving() && !form->isBusy(), 60000);
    QVERIFY(Edit(2)->accessibleDescription().startsWith("every factor proven prime"));
  }

  // Esc says the factors stand unproven; a press, a mode command or closing
  // stop the proof without a word, and nothing of it shows later.
  void stoppedProofsLeaveNoTrace_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("after");  // the answer's description once stopped
    QTest::newRow("Esc") << "Esc"
                         << "probable primes (Baillie\u2013PSW), not proven";
    QTest::newRow("press") << "press"
                           << "every factor proven prime \u00b7 0.0 s";
    QTest::newRow("mode") << "mode"
                          << "";
    QTest::newRow("close") << "close"
                           << "";
  }

  void stoppedProofsLeaveNoTrace() {
    QFETCH(QString, how);
    QFETCH(QString, after);
    Choose("primefactors1");
    Type(1, kPrime500);
    Run();
    QVERIFY(form->isProving());
    QElapsedTimer stopping;
    stopping.start();
    if (how == "Esc") QTest::keyClick(form.get(), Qt::Key_Escape);
    if (how == "press") {
      Type(1, "12");
      Start();
    }
    if (how == "mode") Choose("plus1");
    if (how == "close") QVERIFY(form->close());
    QVERIFY(!form->isProving());
    QVERIFY(stopping.elapsed() < 1000);  // generous for sanitized builds
    if (how == "close") return;
    QTest::qWait(300);
    QCOMPARE(Edit(2)->accessibleDescription(), after);
    QCOMPARE(Edit(2)->toolTip().section(u'\n', 0, 0), after);
  }

  void pastedLinesKeepTheirFirstLine() {
    Choose("plus1");
    Type(1, "12");
    QApplication::clipboard()->setText("345\r\n678\r\n");
    Edit(1)->paste();
    QCOMPARE(Edit(1)->text(), QStringLiteral("12345"));
    Edit(2)->clear();
    QApplication::clipboard()->setText("1 000\n");
    Edit(2)->paste();
    QCOMPARE(Edit(2)->text(), QStringLiteral("1 000"));  // the blank stays, and fails
    QCOMPARE(RunExpectingError(), QStringLiteral("' ' is not a valid integer value."));
  }

  void theErrorBoxLeadsBackToTheCharacterAtFault() {
    Choose("plus1");
    Type(1, "12");
    Type(2, "34x6");
    RunExpectingError();
    QCOMPARE(form->focusWidget(), Edit(2));
    QCOMPARE(Edit(2)->selectedText(), QStringLiteral("x"));
    QCOMPARE(Edit(2)->selectionStart(), 2);
    Choose("nthrootofnumber1");
    Type(1, "8");
    Type(2, "1");
    RunExpectingError();
    QCOMPARE(form->focusWidget(), Edit(2));
    QCOMPARE(Edit(2)->selectedText(), QStringLiteral("1"));  // a degree below 2: all of it
  }

  // Run also at twice the scale (QT_SCALE_FACTOR=2), where the offscreen
  // screen is smaller than the window.
  void opensCentredOrAtTheScreensCorner() {
    const QRect available = form->screen()->availableGeometry();
    const QRect frame = form->frameGeometry();
    // Along each axis: centred where the window fits, else from the edge.
    const auto placed = [](int start, int size, int screenStart, int screenSize) {
      if (size > screenSize) return start == screenStart;
      return qAbs(2 * (start - screenStart) + size - screenSize) <= 6;
    };
    QVERIFY(placed(frame.left(), frame.width(), available.left(), available.width()));
    QVERIFY(placed(frame.top(), frame.height(), available.top(), available.height()));
  }

  void exitButtonAndMenuCloseTheWindow() {
    QTest::mouseClick(Button(2), Qt::LeftButton);
    QVERIFY(!form->isVisible());
    form->show();
    Choose("exit1");
    QVERIFY(!form->isVisible());
  }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
