// Bytes of the program's texts shown by Qt, and typed text back to bytes.
#ifndef TCE_UI_QT_TEXT_H_
#define TCE_UI_QT_TEXT_H_

#include <QString>
#include <string>

namespace tce::ui {

// UTF-8 when the bytes are valid UTF-8, otherwise Latin-1.
QString FromBytes(const std::string& bytes);
// What the user typed, as UTF-8 bytes.
std::string ToBytes(const QString& text);
// A text box's text with its lines ended by CR LF.
std::string ToBytesCrLf(const QString& text);

// A tooltip's text with its lines broken at blanks to at most `width`
// characters, so that it reads as a paragraph, not as one long line. A
// word longer than that stays whole.
QString WrapTip(const QString& text, int width = 80);

// Twips (1/1440 inch) in pixels at the screen's logical resolution.
int Px(int twips);

}  // namespace tce::ui

#endif  // TCE_UI_QT_TEXT_H_
