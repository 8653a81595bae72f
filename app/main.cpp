// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QIcon>

#include "Form1.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvex"));
  QApplication::setDesktopFileName(QStringLiteral("quorvex"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quorvex")));
  TForm1 form;
  form.show();
  return application.exec();
}
