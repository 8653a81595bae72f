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
#include <optional>
#include <utility>

#include "NumberText.h"
#include "Press.h"
#include "Printing.h"
#include "Progress.h"

namespace {

constexpr int kClientWidth = 773;
constexpr int kClientHeight = 339;
constexpr int kLabelHeight = 16;
// A prime-factor search that outlasts this makes the window busy.
constexpr std::chrono::milliseconds kBusyDelay(100);

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

// Writes a text into a field the way an answer appears: from its start, so
// that a long number shows its leading digits.
void Show(QLineEdit* field, const QString& text) {
  field->setText(text);
  field->setCursorPosition(0);
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
  return QStringLiteral("%1 digits\n%2")
      .arg(text.size())
      .arg(QString::fromStdString(InGroupsOfThree(text.toStdString(), 10)));
}

// The answer "1 x p x ..." with each `composite` replaced by the factors
// of "1 x q x ...", smallest first.
QString Corrected(const QString& answer, const QString& composite, const QString& factors) {
  QStringList all = factors.split(QStringLiteral(" x ")).mid(1);
  const QStringList before = answer.split(QStringLiteral(" x ")).mid(1);
  for (const QString& factor : before)
    if (factor != composite) all << factor;
  std::sort(all.begin(), all.end(), [](const QString& a, const QString& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  return QStringLiteral("1 x ") + all.join(QStringLiteral(" x "));
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
  // A new text is no longer the answer a proof's state described.
  QObject::connect(field, &QLineEdit::textChanged, field, [field](const QString& text) {
    field->setToolTip(LengthTip(text));
    field->setAccessibleDescription(QString());
  });
  return field;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : TForm1(FactorIntoPrimes, kBusyDelay, parent) {}

TForm1::TForm1(FactoringJob::Search search, std::chrono::milliseconds busyDelay, QWidget* parent)
    : QMainWindow(parent),
      Printer(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      factoring_(new FactoringJob(std::move(search), busyDelay, this)),
      proof_(new ProofJob(ProofJob::FindProver(), this)) {
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
  connect(factoring_, &FactoringJob::progress, this,
          [this](const FactorProgress::Reading& reading, std::chrono::duration<double> elapsed,
                 std::optional<std::chrono::duration<double>> left) {
            Edit2->setPlaceholderText(QString::fromStdString(BusyLineText(reading, elapsed, left)));
          });
  connect(factoring_, &FactoringJob::finished, this, &TForm1::FinishFactoring);
  connect(proof_, &ProofJob::changed, this, &TForm1::ShowProof);
  connect(proof_, &ProofJob::composite, this, &TForm1::CorrectFactors);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] {
    factoring_->Cancel();
    proof_->Stop(true);
  });
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
  proof_->Stop(false);
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
// ("busy") runs nothing. The press's rules are Press's; the window applies
// what it says, starts the factoring search it asks for and raises the
// error box.
void TForm1::Button1Click() {
  const Mode* mode = FindMode(Button1->text().toStdString());
  if (!mode) return;
  proof_->Stop(false);
  PressEffects effects;
  {
    std::optional<BusyCaption> busy;
    if (mode->showsBusy) busy.emplace(Button1, mode->word);
    effects = Press(*mode, Edit1->text().toStdString(), Edit2->text().toStdString(), Numbers);
  }
  const std::array<std::pair<QLabel*, QLineEdit*>, 4> lines{
      {{Label1, Edit1}, {Label2, Edit2}, {Label3, Edit3}, {Label4, Edit4}}};
  for (int line = 1; line <= 4; ++line) {
    const LineEffect& effect = effects.Line(line);
    const auto [label, field] = lines[line - 1];
    if (effect.caption) SetCaption(label, QString::fromStdString(*effect.caption));
    if (effect.text) Show(field, QString::fromStdString(*effect.text));
    if (effect.shown) {
      label->show();
      field->show();
    }
  }
  if (effects.searchesFactors) factoring_->Start(Numbers[1]);
  if (effects.error)
    ShowConversionError(QString::fromStdString(*effects.error), effects.errorField == 1 ? Edit1
                                                                : effects.errorField == 2
                                                                    ? Edit2
                                                                    : nullptr);
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
  const auto correcting = std::exchange(correcting_, std::nullopt);
  if (outcome != FactorOutcome::Complete) return;
  const QString answer =
      correcting ? Corrected(correcting->first, correcting->second, factors) : factors;
  Show(Edit2, answer);
  proof_->Start(answer);
}

// No composite that passes Baillie-PSW is known; should a proof find one,
// the search goes on with it, and its factors take its place.
void TForm1::CorrectFactors(const QString& composite) {
  TBigNumber number;
  ReadDigits(composite.toStdString(), number);
  correcting_ = {Edit2->text(), composite};
  factoring_->Start(number, true);
}

// The proof's state heads the answer's tooltip and is its accessible
// description.
void TForm1::ShowProof(const ProofState& state) {
  const QString text = QString::fromStdString(ProofText(state));
  const QString length = LengthTip(Edit2->text());
  Edit2->setToolTip(length.isEmpty() ? text : text + u'\n' + length);
  Edit2->setAccessibleDescription(text);
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
  proof_->Stop(false);
  QMainWindow::closeEvent(event);
}

void TForm1::ShowConversionError(const QString& message, QLineEdit* atFault) {
  QMessageBox box(QMessageBox::Critical, windowTitle(), message, QMessageBox::Ok, this);
  box.setObjectName(QStringLiteral("ErrorBox"));
  box.exec();
  // Back to the field at fault, its first character that is no digit
  // selected (or the whole text, when every character is a digit).
  if (!atFault) return;
  const QString text = atFault->text();
  const auto wrong = std::find_if_not(text.begin(), text.end(), IsDigit);
  atFault->setFocus();
  if (wrong == text.end()) return atFault->selectAll();
  atFault->setSelection(static_cast<int>(wrong - text.begin()), 1);
}

void TForm1::Button2Click() {
  close();
}

void TForm1::exit1Click() {
  close();
}

void TForm1::Button3Click() {
  Memory = Numbers[kAnswer];
}

void TForm1::Button6Click() {
  Memory1 = Numbers[kAnswer];
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
