// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QValidator>

#include <algorithm>

#include "NumberText.h"
#include "Printing.h"
#include "SpecialFunctions.h"

namespace {

constexpr int kClientWidth = 773;
constexpr int kClientHeight = 339;
constexpr int kLabelHeight = 16;

// Shows "busy" on the run button, painted at once, for the life of a long
// computation; the mode's word comes back however the computation ends.
class BusyCaption {
 public:
  BusyCaption(QPushButton* button, const char* word) : button_(button), word_(word) {
    button_->setText(QStringLiteral("busy"));
    button_->repaint();
  }
  ~BusyCaption() { button_->setText(QLatin1String(word_)); }
  BusyCaption(const BusyCaption&) = delete;
  BusyCaption& operator=(const BusyCaption&) = delete;

 private:
  QPushButton* button_;
  const char* word_;
};

QString DigitText(const TBigNumber& x) {
  return QString::fromStdString(DigitString(x));
}

// The digits of x with a point before the last `decimals` of them; no point
// when there are fewer digits than that.
QString WithPoint(const TBigNumber& x, int decimals) {
  QString text = DigitText(x);
  if (text.size() >= decimals) text.insert(text.size() - decimals, '.');
  return text;
}

// Writes a text into a field the way an answer appears: from its start, so
// that a long number shows its leading digits.
void Show(QLineEdit* field, const QString& text) {
  field->setText(text);
  field->setCursorPosition(0);
}

// True when the record reads as the one-digit number `value`.
bool Reads(const TBigNumber& x, int value) {
  return x.Len == 1 && x.Digits[1] == value;
}

// Sets a label's caption and sizes the label to it, as the labels size
// themselves to their captions.
void SetCaption(QLabel* label, const QString& caption) {
  label->setText(caption);
  label->resize(label->sizeHint().width(), kLabelHeight);
}

// Keeps a single-line field single: a pasted or dropped text keeps what
// stands before its first line break (a trailing CR LF simply goes).
class SingleLine : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& position) const override {
    const auto isBreak = [](QChar c) { return c == u'\r' || c == u'\n'; };
    const auto first = std::find_if(input.begin(), input.end(), isBreak);
    if (first == input.end()) return Acceptable;
    // The inserted text ends at the cursor; its part from the break goes.
    const auto from = static_cast<int>(first - input.begin());
    const int to = position > from ? position : static_cast<int>(input.size());
    input.remove(from, to - from);
    input.remove(QRegularExpression(QStringLiteral("[\r\n]")));
    position = from;
    return Acceptable;
  }
};

bool IsDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

// A number of more than 20 digits tells its length in its tooltip, with its
// digits in groups of three, ten groups a line.
QString LengthTip(const QString& text) {
  if (text.size() <= 20 || !std::all_of(text.begin(), text.end(), IsDigit)) return QString();
  QString grouped;
  const auto length = static_cast<int>(text.size());
  for (int i = 0; i < length; ++i) {
    const int left = length - i;  // digits from here to the end
    if (i > 0 && left % 3 == 0) grouped += left % 30 == 0 ? u'\n' : u' ';
    grouped += text[i];
  }
  return QStringLiteral("%1 digits\n%2").arg(length).arg(grouped);
}

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, const QRect& geometry, const QString& text) {
  auto* widget = new Widget(text, parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(geometry);
  return widget;
}

QLabel* PlaceLabel(QWidget* parent, const char* name, int left, int top) {
  auto* label = Place<QLabel>(parent, name, QRect(left, top, 0, kLabelHeight), QString());
  SetCaption(label, QString::fromLatin1(name));
  return label;
}

QLineEdit* PlaceEdit(QWidget* parent, const char* name, int top) {
  auto* field = Place<QLineEdit>(parent, name, QRect(10, top, 753, 24), QString::fromLatin1(name));
  field->setValidator(new SingleLine(field));
  QObject::connect(field, &QLineEdit::textChanged, field,
                   [field](const QString& text) { field->setToolTip(LengthTip(text)); });
  return field;
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : TForm1(FactorIntoPrimes, std::chrono::milliseconds(100), parent) {}

TForm1::TForm1(FactoringJob::Search search, std::chrono::milliseconds busyDelay, QWidget* parent)
    : QMainWindow(parent),
      Printer(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      factoring_(new FactoringJob(std::move(search), busyDelay, this)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Quorvex"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  QFont windowFont = font();
  windowFont.setPixelSize(13);
  setFont(windowFont);

  BuildControls();
  BuildMenu();
  resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
  PlaceOnScreen();

  connect(factoring_, &FactoringJob::busy, this, &TForm1::EnterBusy);
  connect(factoring_, &FactoringJob::progress, Edit2, &QLineEdit::setPlaceholderText);
  connect(factoring_, &FactoringJob::finished, this, &TForm1::FinishFactoring);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, factoring_, &FactoringJob::Cancel);
  FormCreate();
}

// The job, a child, cancels a running search when it goes.
TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  client->setBackgroundRole(QPalette::Button);
  client->setAutoFillBackground(true);
  setCentralWidget(client);

  Label1 = PlaceLabel(client, "Label1", 186, 0);
  Edit1 = PlaceEdit(client, "Edit1", 24);
  Label2 = PlaceLabel(client, "Label2", 186, 64);
  Edit2 = PlaceEdit(client, "Edit2", 88);
  Label3 = PlaceLabel(client, "Label3", 186, 128);
  Edit3 = PlaceEdit(client, "Edit3", 152);
  Label4 = PlaceLabel(client, "Label4", 186, 192);
  Edit4 = PlaceEdit(client, "Edit4", 216);

  Button1 = Place<QPushButton>(client, "Button1", {170, 248, 89, 33}, QStringLiteral("Button1"));
  Button3 = Place<QPushButton>(client, "Button3", {338, 248, 113, 33}, "answer to mem");
  Button6 = Place<QPushButton>(client, "Button6", {538, 248, 145, 33}, "answer to mem1");
  Button2 = Place<QPushButton>(client, "Button2", {170, 296, 89, 33}, "exit");
  Button4 = Place<QPushButton>(client, "Button4", {282, 296, 105, 33}, "mem to line1");
  Button5 = Place<QPushButton>(client, "Button5", {394, 296, 105, 33}, "mem to line2");
  Button7 = Place<QPushButton>(client, "Button7", {506, 296, 105, 33}, "mem1 to line1");
  Button8 = Place<QPushButton>(client, "Button8", {618, 296, 129, 33}, "mem1 to line2");

  const std::array<QWidget*, 12> tabOrder = {Edit1,   Edit2,   Edit3,   Button1, Edit4,   Button2,
                                             Button3, Button4, Button5, Button6, Button7, Button8};
  for (std::size_t i = 1; i < tabOrder.size(); ++i)
    setTabOrder(tabOrder[i - 1], tabOrder[i]);

  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
  connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
  connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
  connect(Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
  connect(Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
  connect(Button8, &QPushButton::clicked, this, &TForm1::Button8Click);

  // Return in either operand field presses the run button, as a click would.
  for (QLineEdit* field : {Edit1, Edit2}) {
    connect(field, &QLineEdit::returnPressed, this, [this] {
      if (Button1->isVisible() && Button1->isEnabled()) Button1->click();
    });
  }
  for (QPushButton* button : client->findChildren<QPushButton*>())
    button->installEventFilter(this);
  // Screen readers name each field by the caption above it.
  Label1->setBuddy(Edit1);
  Label2->setBuddy(Edit2);
  Label3->setBuddy(Edit3);
  Label4->setBuddy(Edit4);
}

QMenu* TForm1::AddMenu(const char* name, const QString& title) {
  QMenu* menu = menuBar()->addMenu(title);
  menu->setObjectName(QString::fromLatin1(name));
  return menu;
}

void TForm1::AddItem(QMenu* menu, const char* name, const QString& caption,
                     void (TForm1::*handler)()) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(QString::fromLatin1(name));
  if (handler) connect(item, &QAction::triggered, this, handler);
}

void TForm1::BuildMenu() {
  menuBar()->setObjectName(QStringLiteral("MainMenu1"));

  QMenu* main = AddMenu("main1", "main");
  AddItem(main, "plus1", "plus", &TForm1::plus1Click);
  AddItem(main, "minus1", "minus", &TForm1::minus1Click);
  AddItem(main, "multiply1", "multiply", &TForm1::multiply1Click);
  AddItem(main, "divide1", "divide", &TForm1::divide1Click);
  AddItem(main, "sqroot1", "sqroot", &TForm1::sqroot1Click);
  AddItem(main, "exit1", "exit", &TForm1::exit1Click);

  QMenu* special = AddMenu("special1", "special");
  AddItem(special, "primefactors1", "prime factors", &TForm1::primefactors1Click);
  AddItem(special, "nthrootofnumber1", "nth root of number", &TForm1::nthrootofnumber1Click);
  AddItem(special, "N1x1", "1/x", &TForm1::N1x1Click);
  AddItem(special, "xtothepowerofn1", "x to the power of n", &TForm1::xtothepowerofn1Click);
  AddItem(special, "n1", "n!", &TForm1::n1Click);

  QMenu* printing = AddMenu("printing1", "printing");
  AddItem(printing, "printoptions1", "print options", &TForm1::printoptions1Click);
  AddItem(printing, "printscreen1", "print screen", &TForm1::printscreen1Click);

  QMenu* about = AddMenu("about1", "about");
  AddItem(about, "authorline1", "Quorvex, by the Quorvex developers");
  AddItem(about, "contactline1", "questions and reports: through the project's issue tracker");
  AddItem(about, "version701", "version 7.0");
  AddItem(about, "webaddressline1", "web: the project's source repository");

  QMenu* copy = AddMenu("Copylinetoclipboard1", "Copy line to clipboard");
  AddItem(copy, "copyline11", "copy line 1", &TForm1::copyline11Click);
  AddItem(copy, "copyline21", "copy line2", &TForm1::copyline21Click);
  AddItem(copy, "copyline31", "copy line3", &TForm1::copyline31Click);
  AddItem(copy, "copyline41", "copy line 4", &TForm1::copyline41Click);
}

void TForm1::FormCreate() {
  HideInputs();
  for (TBigNumber& number : Numbers)
    ClearNumber(number);
}

void TForm1::HideInputs() {
  for (QWidget* input : std::initializer_list<QWidget*>{Label1, Edit1, Label2, Edit2, Label3, Edit3,
                                                        Button1, Label4, Edit4}) {
    input->hide();
  }
}

void TForm1::EnterMode(const Mode& mode) {
  HideInputs();
  SetCaption(Label1, mode.label1);
  if (mode.label2) SetCaption(Label2, mode.label2);
  Button1->setText(mode.word);
  Button1->setAccessibleName(QString::fromLatin1(mode.name));
  Edit1->clear();
  Edit2->setText(mode.edit2Text);

  Label1->show();
  Edit1->show();
  Label2->setVisible(mode.showsLine2);
  Edit2->setVisible(mode.showsLine2);
  Button1->show();
}

void TForm1::plus1Click() {
  EnterMode(ModeOf(Operation::Plus));
}

void TForm1::minus1Click() {
  EnterMode(ModeOf(Operation::Minus));
}

void TForm1::multiply1Click() {
  EnterMode(ModeOf(Operation::Multiply));
}

void TForm1::divide1Click() {
  EnterMode(ModeOf(Operation::Divide));
}

void TForm1::sqroot1Click() {
  EnterMode(ModeOf(Operation::SquareRoot));
}

void TForm1::primefactors1Click() {
  EnterMode(ModeOf(Operation::PrimeFactors));
}

void TForm1::nthrootofnumber1Click() {
  EnterMode(ModeOf(Operation::NthRoot));
}

void TForm1::N1x1Click() {
  EnterMode(ModeOf(Operation::Reciprocal));
}

void TForm1::xtothepowerofn1Click() {
  EnterMode(ModeOf(Operation::Power));
}

void TForm1::n1Click() {
  EnterMode(ModeOf(Operation::Factorial));
}

// The mode is the run button's caption; a caption that names no mode
// ("busy") runs nothing.
void TForm1::Button1Click() {
  const Mode* mode = FindMode(Button1->text());
  if (!mode) return;
  try {
    Press(*mode);
  } catch (const ConversionError& error) {
    ShowConversionError(error);
  }
}

// One press of the run button: read the operands, run the mode's operation,
// show its answer. A field that is not a number ends the press with the
// conversion error; one that does not fit a record, with "too large".
void TForm1::Press(const Mode& mode) {
  Edit3->clear();
  converting_ = Edit1;
  if (!ReadField(Edit1->text(), Numbers[1])) return ShowTooLarge(mode);
  if (mode.second != SecondOperand::NotRead) {
    // The placeholder keeps whatever Edit2 shows from failing a one-operand press.
    const QString text2 = mode.second == SecondOperand::Placeholder
                              ? QString::fromLatin1(kPlaceholderOperand)
                              : Edit2->text();
    converting_ = mode.second == SecondOperand::Field ? Edit2 : nullptr;
    if (!ReadField(text2, Numbers[2])) return ShowTooLarge(mode);
  }
  switch (mode.operation) {
    case Operation::Plus:
      if (!StoreAnswer(AddNumbers(Numbers[1], Numbers[2]))) return ShowTooLarge(mode);
      return ShowAnswer();
    case Operation::Minus:
      Subtraction();
      return ShowAnswer();
    case Operation::Multiply:
      if (!Multiplication()) return ShowTooLarge(mode);
      return ShowAnswer();
    case Operation::Divide:
      if (Division()) ShowAnswer();
      return;
    case Operation::SquareRoot:
      return SquareRootBranch();
    case Operation::PrimeFactors:
      return PrimeFactorBranch();
    case Operation::NthRoot:
      ShowAnswer();
      return NthRootBranch();
    case Operation::Reciprocal:
      return ReciprocalBranch();
    case Operation::Power:
      return PowerBranch();
    case Operation::Factorial:
      return FactorialBranch();
  }
}

bool TForm1::ReadField(const QString& text, TBigNumber& record) {
  return ReadDigits(text.toStdString(), record);
}

void TForm1::Subtraction() {
  if (IsGreater(Numbers[1], Numbers[2])) {
    Numbers[Answer] = SubtractNumbers(Numbers[1], Numbers[2]);
  } else {
    Numbers[Answer].Len = 0;
  }
  if (Numbers[Answer].Len == 0) Show(Edit3, QStringLiteral("negative or zero"));
}

// Keeps an answer that fits as the press's answer; false for one too large.
bool TForm1::StoreAnswer(const TBigNumber& answer) {
  if (IsTooLarge(answer)) return false;
  Numbers[Answer] = answer;
  return true;
}

// An empty field multiplies as zero.
bool TForm1::Multiplication() {
  if (Edit1->text().isEmpty() || Edit2->text().isEmpty()) return StoreAnswer(ZeroNumber(1));
  return StoreAnswer(MultiplyNumbers(Numbers[1], Numbers[2]));
}

// Refuses, silently, an empty field and a divisor that reads as zero; a
// remainder shown by an earlier press then stays.
bool TForm1::Division() {
  if (Numbers[2].Digits[1] == 0 || Edit2->text().isEmpty() || Edit1->text().isEmpty()) {
    return false;
  }
  Numbers[Answer] = DivideNumbers(Numbers[1], Numbers[2], Numbers[Remainder]);
  SetCaption(Label4, QStringLiteral("remainder"));
  Show(Edit4, DigitText(Numbers[Remainder]));
  Label4->show();
  Edit4->show();
  return true;
}

void TForm1::FactorialBranch() {
  Edit2->clear();
  if (Edit1->text().isEmpty()) return;
  if (!StoreAnswer(Factorial(Edit1->text().toStdString())))
    return ShowTooLarge(ModeOf(Operation::Factorial));
  Show(Edit2, DigitText(Numbers[Answer]));
}

// 1/x reads "0.", the zeros that Scale places, then the digits.
void TForm1::ReciprocalBranch() {
  if (Edit1->text().isEmpty()) return Edit2->clear();
  if (Reads(Numbers[1], 0)) return Show(Edit2, QStringLiteral("you tell me"));
  if (Reads(Numbers[1], 1)) return Show(Edit2, QStringLiteral("1"));
  if (!StoreAnswer(Reciprocal(Numbers[1], Numbers[Remainder])))
    return ShowTooLarge(ModeOf(Operation::Reciprocal));
  const int zeros = std::max(Numbers[Answer].Scale - 2, 0);
  Show(Edit2, QStringLiteral("0.") + QString(zeros, '0') + DigitText(Numbers[Answer]));
}

// A negative power of a whole number other than 1 is no whole number.
void TForm1::PowerBranch() {
  if (Edit1->text().isEmpty() || Edit2->text().isEmpty()) return;
  converting_ = Edit2;
  const std::int32_t exponent = TextToInteger(Edit2->text().toStdString());
  SetCaption(Label3, QStringLiteral("answer"));
  Label3->show();
  Edit3->show();
  if (exponent < 0 && !Reads(Numbers[1], 1)) {
    return Show(Edit3, Reads(Numbers[1], 0) ? QStringLiteral("you tell me")
                                            : QStringLiteral("not a whole number"));
  }
  if (!StoreAnswer(PowerOf(Numbers[1], exponent))) return ShowTooLarge(ModeOf(Operation::Power));
  Show(Edit3, DigitText(Numbers[Answer]));
}

// The factors stand on the second line after a leading "1", each after " x ".
// The search runs on a worker thread; one that takes longer than the busy
// delay makes the window busy until it ends or is cancelled.
void TForm1::PrimeFactorBranch() {
  if (Edit1->text().isEmpty()) return Edit2->clear();
  SetCaption(Label2, QStringLiteral("answer"));
  Label2->show();
  Edit2->show();
  if (Reads(Numbers[1], 0) || Reads(Numbers[1], 1) || Reads(Numbers[1], 2) ||
      Reads(Numbers[1], 3)) {
    return Show(Edit2, DigitText(Numbers[1]));
  }
  Edit2->clear();
  factoring_->Start(Numbers[1]);
}

// Only Esc and closing the window are taken while the window is busy; the
// second line's placeholder shows the job's progress.
void TForm1::EnterBusy() {
  menuBar()->setEnabled(false);
  centralWidget()->setEnabled(false);
  Button1->setText(QStringLiteral("busy"));
}

// Shows the factors when the search completed; after a cancel the second
// line stays as empty as it was before the search.
void TForm1::FinishFactoring(FactorOutcome outcome, const QString& factors) {
  Edit2->setPlaceholderText(QString());
  if (!centralWidget()->isEnabled()) {
    Button1->setText(QLatin1String(ModeOf(Operation::PrimeFactors).word));
    menuBar()->setEnabled(true);
    centralWidget()->setEnabled(true);
    Button1->setFocus();
  }
  if (outcome == FactorOutcome::Complete) Show(Edit2, factors);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      static_cast<QPushButton*>(watched)->click();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// Centred on the screen's available area; a screen smaller than the window
// still shows its top-left corner and the menu bar.
void TForm1::PlaceOnScreen() {
  const QScreen* host = screen();
  if (!host) return;
  const QRect available = host->availableGeometry();
  const QPoint centred = available.center() - rect().center();
  move(std::max(centred.x(), available.left()), std::max(centred.y(), available.top()));
}

void TForm1::closeEvent(QCloseEvent* event) {
  factoring_->Cancel();
  QMainWindow::closeEvent(event);
}

// The root shows ten decimals on the second line.
void TForm1::SquareRootBranch() {
  Label2->show();
  Edit2->show();
  Edit2->clear();
  if (Edit1->text().isEmpty()) return;
  if (Reads(Numbers[1], 0)) {
    Numbers[Answer] = SmallNumber(0);
    return Show(Edit2, QStringLiteral("0"));
  }
  TBigNumber root;
  {
    const BusyCaption busy(Button1, ModeOf(Operation::SquareRoot).word);
    root = SquareRoot(Numbers[1]);
  }
  if (!StoreAnswer(root)) return ShowTooLarge(ModeOf(Operation::SquareRoot));
  Show(Edit2, WithPoint(Numbers[Answer], 10));
}

// The root shows three decimals on the third line, under "The root". The
// degree 2 is taken by the square root, cut to three decimals; it empties the
// degree field, so that the next press takes the degree 2 again. A degree
// that fails leaves the mode in place and no answer standing.
void TForm1::NthRootBranch() {
  if (Edit2->text().isEmpty()) Show(Edit2, QStringLiteral("2"));
  std::int32_t degree = 0;
  try {
    converting_ = Edit2;
    degree = TextToInteger(Edit2->text().toStdString());
    if (degree <= 1) throw ConversionError("-");
  } catch (const ConversionError&) {
    Edit3->clear();
    throw;
  }
  SetCaption(Label3, QStringLiteral("The root"));
  Label3->show();
  Edit3->show();
  Edit3->clear();
  if (Edit1->text().isEmpty()) return;
  if (IsZeroValue(Numbers[1])) {
    Numbers[Answer] = SmallNumber(0);
    return Show(Edit3, QStringLiteral("0"));
  }
  TBigNumber root;
  {
    const BusyCaption busy(Button1, ModeOf(Operation::NthRoot).word);
    root = degree == 2 ? SquareRoot(Numbers[1]) : NthRoot(Numbers[1], degree);
  }
  if (degree == 2) {
    Edit2->clear();
    if (!IsTooLarge(root)) root.Len -= 7;
  }
  if (!StoreAnswer(root)) return ShowTooLarge(ModeOf(Operation::NthRoot));
  Show(Edit3, WithPoint(Numbers[Answer], 3));
}

void TForm1::ShowAnswer() {
  SetCaption(Label3, QStringLiteral("answer"));
  if (Numbers[Answer].Len != 0) Show(Edit3, DigitText(Numbers[Answer]));
  Label3->show();
  Edit3->show();
}

void TForm1::ShowTooLarge(const Mode& mode) {
  QLabel* label = mode.answerLine == 2 ? Label2 : Label3;
  QLineEdit* field = mode.answerLine == 2 ? Edit2 : Edit3;
  if (mode.tooLargeCaption) SetCaption(label, QString::fromLatin1(mode.tooLargeCaption));
  Show(field, QStringLiteral("too large"));
  label->show();
  field->show();
}

void TForm1::ShowConversionError(const ConversionError& error) {
  QMessageBox box(QMessageBox::Critical, windowTitle(), QString::fromStdString(error.what()) + '.',
                  QMessageBox::Ok, this);
  box.setObjectName(QStringLiteral("ErrorBox"));
  box.exec();
  // Back to the field at fault, its first character that is no digit
  // selected (or the whole text, when every character is a digit).
  if (!converting_) return;
  const QString text = converting_->text();
  const auto wrong = std::find_if_not(text.begin(), text.end(), IsDigit);
  converting_->setFocus();
  if (wrong == text.end()) return converting_->selectAll();
  converting_->setSelection(static_cast<int>(wrong - text.begin()), 1);
}

void TForm1::Button2Click() {
  close();
}

void TForm1::exit1Click() {
  close();
}

void TForm1::Button3Click() {
  Memory = Numbers[Answer];
}

void TForm1::Button6Click() {
  Memory1 = Numbers[Answer];
}

void TForm1::Button4Click() {
  Show(Edit1, DigitText(Memory));
}

void TForm1::Button5Click() {
  Show(Edit2, DigitText(Memory));
}

void TForm1::Button7Click() {
  Show(Edit1, DigitText(Memory1));
}

void TForm1::Button8Click() {
  Show(Edit2, DigitText(Memory1));
}

// Each copies the field's selection; with nothing selected the clipboard
// keeps what it had.
void TForm1::copyline11Click() {
  Edit1->copy();
}

void TForm1::copyline21Click() {
  Edit2->copy();
}

void TForm1::copyline31Click() {
  Edit3->copy();
}

void TForm1::copyline41Click() {
  Edit4->copy();
}

void TForm1::printoptions1Click() {
  SetUpPage(this, *Printer);
}

void TForm1::printscreen1Click() {
  PrintWindow(this, *centralWidget(), *Printer);
}
