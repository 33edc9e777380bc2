#pragma once
// Placing and hiding the secondary windows.
class QWidget;

// Left and top that centre a window of the given outer size over the main
// window's outer rectangle (halves truncated toward zero).
struct WindowPosition {
  int Left, Top;
};
WindowPosition CentredPosition(int mainLeft, int mainTop, int mainWidth, int mainHeight, int windowWidth,
                               int windowHeight);

// Places the window centred over the main window; showing it is a separate step.
void CentreOver(QWidget* window, int extraTop = 0);
// Shows a window and brings it to the front, also when it was already shown.
void ShowForm(QWidget* window);
// Hides every view, the settings windows and the archive view, in a fixed
// order; Form8 is left alone.
void HideAllViews();
// The same, but kept stays as it is: a view hidden and shown again at once is
// unmapped and mapped by the window system, which once left it unmapped under
// wine; the view about to be shown is kept instead.
void HideAllViewsBut(QWidget* kept);
