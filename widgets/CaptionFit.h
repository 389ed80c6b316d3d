#pragma once

#include <QFont>

class QWidget;

namespace corvane {

// The desktop's standard sans-serif font at the given point size: the window
// layout was designed for a narrow 8.25-point face.
QFont designFont(qreal pointSize = 8.25, bool bold = false);

// Whether the control's caption shows whole in its current size (wrapped
// captions: all lines within its height).
bool captionFits(const QWidget *control);

// Makes the control's caption fit: a push button too small for its style's
// margins draws its caption on its whole face; then the font is narrowed
// horizontally (the point size stays) until the caption fits, so that a face
// wider than the design font is not clipped.
void fitCaption(QWidget *control);

} // namespace corvane
