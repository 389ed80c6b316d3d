#pragma once

#include <QString>

class QLabel;

namespace corvane {

// The feedback text that the About box and the help window share.
QString feedbackPrompt();
// The feedback text's first line must hold everything up to "Email:", so that
// the address placed after it reads on.
void fitFeedbackLines(QLabel *label);

} // namespace corvane
