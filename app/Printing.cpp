// SPDX-License-Identifier: GPL-3.0-or-later
#include "Printing.h"

#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

bool PrintClientArea(QWidget& area, QPrinter& printer) {
  const QPixmap image = area.grab();
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // Window pixels per inch become printer dots per inch.
  const QRect page(0, 0, area.width() * printer.logicalDpiX() / area.logicalDpiX(),
                   area.height() * printer.logicalDpiY() / area.logicalDpiY());
  painter.drawPixmap(page, image);
  return painter.end();
}

// Qt's page set-up dialog serves native printers only.
void SetUpPage(QWidget* window, QPrinter& printer) {
  if (printer.outputFormat() != QPrinter::NativeFormat) {
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
      QMessageBox box(QMessageBox::Information, window->windowTitle(),
                      QStringLiteral("There is no printer to set up on this computer. "
                                     "\"print screen\" can still print to a PDF file."),
                      QMessageBox::Ok, window);
      box.setObjectName(QStringLiteral("NoPrinterBox"));
      box.exec();
      return;
    }
    printer.setOutputFormat(QPrinter::NativeFormat);
  }
  QPageSetupDialog dialog(&printer, window);
  dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
  dialog.exec();
}

void PrintWindow(QWidget* window, QWidget& area, QPrinter& printer) {
  QPrintDialog dialog(&printer, window);
  dialog.setObjectName(QStringLiteral("PrintDialog1"));
  if (dialog.exec() != QDialog::Accepted) return;
  if (PrintClientArea(area, printer)) return;
  const QString where =
      printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
  QMessageBox::warning(window, window->windowTitle(),
                       QStringLiteral("The window could not be printed on %1.").arg(where));
}
