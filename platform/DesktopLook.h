#pragma once

namespace corvane {

// The window is laid out in twips, and a caption too wide for its control is
// narrowed to fit (widgets/CaptionFit). Since Qt 6.8, Windows text is drawn
// with DirectWrite, which narrows only faces that have a narrow cut, so such
// captions would show clipped; GDI narrows any face. The program asks for
// GDI unless a platform was asked for (QT_QPA_PLATFORM or -platform).
// Nothing on other systems. To be called before the application is made.
void preferNarrowingFontEngine();

} // namespace corvane
