// SPDX-License-Identifier: GPL-3.0-or-later
// Printing the window: its client area as an image on a page, and the two
// dialogs that lead there.
#pragma once

class QPrinter;
class QWidget;

// Draws the image of `area` on one page of `printer`, at the printable
// area's top-left corner, at the size it has on the screen. False when the
// printer cannot be started or finished.
bool PrintClientArea(QWidget& area, QPrinter& printer);

// The page set-up dialog for `printer`. After printing to a file it turns
// back to the default printer; with no printer at all it says so instead.
void SetUpPage(QWidget* window, QPrinter& printer);

// The print dialog; once accepted, the client area of `window` is printed,
// and a failure is reported in a message box.
void PrintWindow(QWidget* window, QWidget& area, QPrinter& printer);
