// SPDX-License-Identifier: GPL-3.0-or-later
// Printing the window for real: through a CUPS queue (when the test runs
// beside a scheduler of its own, see support/with-cups.sh) and into a PDF
// file, always by the menu item's own code with its dialog accepted.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "Form1.h"

namespace {

// Runs a program to its end; false when it could not run or failed.
bool Run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    return false;
  }
  if (output) *output = process.readAllStandardOutput();
  return true;
}

// The bounding box of the pixels that are not white.
QRect InkBox(const QImage& page) {
  QRect box;
  for (int y = 0; y < page.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
    for (int x = 0; x < page.width(); ++x) {
      if (qGray(line[x]) < 250) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

}  // namespace

class PrintTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form;
  QTemporaryDir scratch;

  // Chooses a menu item whose modal dialog the test fills in, as a user
  // would, and answers.
  QString ChooseAndAnswer(const QString& item, bool accept,
                          const std::function<void(QDialog*)>& fillIn = {}) {
    QString dialogName;
    QTimer::singleShot(0, this, [&dialogName, accept, fillIn] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        dialogName = dialog->objectName();
        if (fillIn) fillIn(dialog);
        accept ? dialog->accept() : dialog->reject();
      }
    });
    form->findChild<QAction*>(item)->trigger();
    return dialogName;
  }

  // Checks a printed PDF: one page, showing the window's client area at the
  // top-left corner of the printable area, at the window's own size.
  void CheckPage(const QString& pdf) {
    QByteArray info;
    QVERIFY(Run("pdfinfo", {pdf}, &info));
    QVERIFY2(QString::fromUtf8(info).contains(QRegularExpression("Pages:\\s+1\n")),
             info.constData());

    const QString png = scratch.filePath("page");
    QVERIFY(Run("pdftoppm", {"-r", "96", "-png", "-singlefile", pdf, png}));
    const QImage page(png + ".png");
    QVERIFY(!page.isNull());

    const QPageLayout layout = form->printer().pageLayout();
    const QRect printable = layout.paintRectPixels(96);
    const QSize client(773, 339);
    const QRect expected =
        QRect(printable.topLeft(), client).intersected(QRect(QPoint(0, 0), page.size()));
    const QRect ink = InkBox(page);
    QVERIFY2(qAbs(ink.left() - expected.left()) <= 2 && qAbs(ink.top() - expected.top()) <= 2 &&
                 qAbs(ink.right() - expected.right()) <= 2 &&
                 qAbs(ink.bottom() - expected.bottom()) <= 2,
             qPrintable(QStringLiteral("ink at %1,%2 %3x%4, expected %5,%6 %7x%8")
                            .arg(ink.x())
                            .arg(ink.y())
                            .arg(ink.width())
                            .arg(ink.height())
                            .arg(expected.x())
                            .arg(expected.y())
                            .arg(expected.width())
                            .arg(expected.height())));
  }

  QStringList JobsPrinted() const {
    return QDir(qEnvironmentVariable("QUORVEX_PRINT_DIR")).entryList({"job-*.pdf"}, QDir::Files);
  }

 private slots:
  void init() {
    form = std::make_unique<TForm1>();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // Something to see on the page: a sum in the plus mode.
    form->findChild<QAction*>("plus1")->trigger();
    form->findChild<QLineEdit*>("Edit1")->setText("123456789");
    form->findChild<QLineEdit*>("Edit2")->setText("987654321");
    QTest::mouseClick(form->findChild<QWidget*>("Button1"), Qt::LeftButton);
  }
  void cleanup() { form.reset(); }

  void printsToAPdfFile() {
    const QString pdf = scratch.filePath("window.pdf");
    const auto printToFile = [&pdf](QDialog* dialog) {
      auto* printers = dialog->findChild<QComboBox*>("printers");
      QVERIFY(printers);
      const int toFile = printers->findText("Print to File (PDF)");
      QVERIFY(toFile >= 0);
      printers->setCurrentIndex(toFile);
      dialog->findChild<QLineEdit*>("filename")->setText(pdf);
    };
    QCOMPARE(ChooseAndAnswer("printscreen1", true, printToFile), QStringLiteral("PrintDialog1"));
    QCOMPARE(form->printer().outputFileName(), pdf);
    QVERIFY(QFile::exists(pdf));
    CheckPage(pdf);
  }

  void cancellingThePrintDialogPrintsNothing() {
    const QString pdf = scratch.filePath("cancelled.pdf");
    form->printer().setOutputFileName(pdf);
    const QStringList before = JobsPrinted();
    QCOMPARE(ChooseAndAnswer("printscreen1", false), QStringLiteral("PrintDialog1"));
    QTest::qWait(500);
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(JobsPrinted(), before);
  }

  // With no printer at all the set-up dialog has nothing to set up; a message
  // says so.
  void printOptionsOpensThePrinterSetup() {
    const QString expected = QPrinterInfo::availablePrinterNames().isEmpty()
                                 ? QStringLiteral("NoPrinterBox")
                                 : QStringLiteral("PrinterSetupDialog1");
    QCOMPARE(ChooseAndAnswer("printoptions1", false), expected);
    QCOMPARE(ChooseAndAnswer("printoptions1", true), expected);
  }

  void printsThroughTheCupsQueue() {
    if (qEnvironmentVariableIsEmpty("QUORVEX_PRINT_DIR")) QSKIP("no CUPS scheduler of our own");
    form->printer().setOutputFileName(QString());
    form->printer().setPrinterName("QuorvexQueue");
    const QStringList before = JobsPrinted();
    QCOMPARE(ChooseAndAnswer("printscreen1", true), QStringLiteral("PrintDialog1"));
    QCOMPARE(form->printer().printerName(), QStringLiteral("QuorvexQueue"));
    QTRY_VERIFY_WITH_TIMEOUT(JobsPrinted().size() == before.size() + 1, 30000);
    QStringList jobs = JobsPrinted();
    for (const QString& job : before)
      jobs.removeAll(job);
    CheckPage(QDir(qEnvironmentVariable("QUORVEX_PRINT_DIR")).filePath(jobs.first()));
  }
};

QTEST_MAIN(PrintTest)
#include "PrintTest.moc"
