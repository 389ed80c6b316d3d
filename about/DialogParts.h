#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace corvane {

// Pieces the About box and the help window share.
QLabel *dialogLabel(QWidget *parent, const char *name, const QString &text, int left, int top);
QLabel *wrappedLabel(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height);
QLabel *smallPicture(QWidget *parent, int left, int top);
QPushButton *boldButton(QWidget *parent, const char *name, const QString &caption,
                        int left, int top, int width, int height);
// The feedback text whose first line must hold everything up to "Email:",
// so that the address placed after it reads on.
void fitFeedbackLines(QLabel *label);
QString feedbackPrompt();

} // namespace corvane
