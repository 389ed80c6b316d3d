#pragma once

class QWidget;

namespace corvane {

// Moves a top-level window, frame included, to the middle of its screen.
void centreOnScreen(QWidget &window);

} // namespace corvane
