// Fitting the tally screen's texts into their room: a button caption is
// word-wrapped and its font shrunk, down to a legible floor, until it
// fits; only then is the label elided, in the middle. The key and count
// lines, and a status line's count and HIT marker, are never shortened.
#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>

namespace woodtick {

// The smallest point size a caption or status line is drawn at.
inline constexpr double kLegibleFloorPoints = 7;

struct FittedText {
  QFont font;
  QString text;  // lines separated by "\n"
};

// The label wrapped onto as many lines as it needs, then `fixed_lines`
// each on a line of its own, in the largest font from `font`'s size down to
// the floor that fits `room`.
FittedText FitCaption(const QString& label, const QStringList& fixed_lines, const QFont& font,
                      QSize room);

// `head` + `tail` on one line of `width`: the font shrinks to the floor,
// then `head` is elided in the middle; `tail` is kept whole.
FittedText FitLine(const QString& head, const QString& tail, const QFont& font, int width);

}  // namespace woodtick
