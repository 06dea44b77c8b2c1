#pragma once
// Behaviour shared by the ZEL one-line edits.
class QFocusEvent;
class QLineEdit;
class QWidget;

namespace zel {

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// 4 border pixels, a quarter of the smaller of the system and edit font heights, and the edit font height.
int MinimumEditHeight(const QWidget *edit);
// AutoSelect on focus entry: all text is selected unless the left mouse button is held down.
void AutoSelectOnFocus(QLineEdit *edit, bool autoSelect);
// Text typed, pasted or set into the edit takes the case; what it holds already is converted at once.
void SetEditCharCase(QLineEdit *edit, TEditCharCase charCase);

} // namespace zel
