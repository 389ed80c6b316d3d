#pragma once

#include <QString>

#include <chrono>
#include <memory>

class QProcess;
class QProgressDialog;
class QWidget;

namespace corvane {

// How long a program may take to start before it counts as not started.
constexpr std::chrono::milliseconds processStartTimeout{10000};
// A wait shorter than this shows no progress window.
constexpr std::chrono::milliseconds progressWindowDelay{500};
// After Stop, how long the program has to end (and remove its temporary
// files) before it is killed.
constexpr std::chrono::milliseconds stopGracePeriod{3000};

// Waits for the running process to end while the user interface stays drawn
// but takes no input, as behind any modal window. After progressWindowDelay a
// progress window says busyText and offers Stop, which asks the process and
// its children to end, and kills them after stopGracePeriod.
void waitWithProgress(QProcess &process, const QString &busyText);
// The progress window that waitWithProgress shows, with its Stop button.
std::unique_ptr<QProgressDialog> progressWindow(const QString &busyText, QWidget *parent);
// Starts the program as the leader of a group of its own, so that Stop
// reaches the programs it starts as well.
void startAsGroup(QProcess &process);

} // namespace corvane
