#pragma once

#include <QString>

#include <chrono>

class QProcess;

namespace corvane {

// How long a program may take to start before it counts as not started.
constexpr std::chrono::milliseconds processStartTimeout{10000};
// A wait shorter than this shows no progress window.
constexpr std::chrono::milliseconds progressWindowDelay{500};

// Waits for the running process to end while the user interface stays drawn
// but takes no input, as behind any modal window. After progressWindowDelay a
// progress window says busyText and offers Stop, which ends the process.
void waitWithProgress(QProcess &process, const QString &busyText);

} // namespace corvane
