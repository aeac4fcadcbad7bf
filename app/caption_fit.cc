#include "app/caption_fit.h"

#include <QFontMetrics>
#include <algorithm>
#include <optional>

namespace woodtick {
namespace {

constexpr QChar kEllipsis(0x2026);

// The label's words (split at blanks and after hyphens) greedily on lines
// no wider than `width`; nothing when a single word is wider.
std::optional<QStringList> Wrap(const QString& label, const QFontMetrics& metrics, int width) {
  QStringList pieces;
  QString piece;
  for (QChar c : label) {
    if (c == QLatin1Char(' ')) {
      if (!piece.isEmpty()) pieces << piece;
      piece.clear();
      continue;
    }
    piece += c;
    if (c == QLatin1Char('-')) pieces << piece, piece.clear();
  }
  if (!piece.isEmpty()) pieces << piece;
  QStringList lines;
  QString line;
  for (const QString& word : pieces) {
    if (metrics.horizontalAdvance(word) > width) return std::nullopt;
    const bool glued = line.endsWith(QLatin1Char('-'));
    const QString longer = line.isEmpty() ? word : line + (glued ? "" : " ") + word;
    if (metrics.horizontalAdvance(longer) <= width) {
      line = longer;
    } else {
      lines << line;
      line = word;
    }
  }
  if (!line.isEmpty() || lines.isEmpty()) lines << line;
  return lines;
}

bool AllFit(const QStringList& lines, const QFontMetrics& metrics, int width) {
  return std::all_of(lines.begin(), lines.end(),
                     [&](const QString& l) { return metrics.horizontalAdvance(l) <= width; });
}

QString MiddleElided(const QString& text, const QFontMetrics& metrics, int width) {
  if (width <= 0) return {};
  const QString elided = metrics.elidedText(text, Qt::ElideMiddle, width);
  // Qt gives up with "…" alone or an empty text when even that is too wide.
  return elided == QString(kEllipsis) && metrics.horizontalAdvance(elided) > width ? QString()
                                                                                   : elided;
}

}  // namespace

FittedText FitCaption(const QString& label, const QStringList& fixed_lines, const QFont& font,
                      QSize room) {
  QFont sized = font;
  for (double points = font.pointSizeF(); points >= kLegibleFloorPoints; points -= 0.5) {
    sized.setPointSizeF(points);
    const QFontMetrics metrics(sized);
    if (!AllFit(fixed_lines, metrics, room.width())) continue;
    const std::optional<QStringList> lines = Wrap(label, metrics, room.width());
    if (!lines) continue;
    if ((lines->size() + fixed_lines.size()) * metrics.lineSpacing() > room.height()) continue;
    return {sized, (*lines + fixed_lines).join(QLatin1Char('\n'))};
  }
  sized.setPointSizeF(std::min(font.pointSizeF(), kLegibleFloorPoints));
  const QFontMetrics metrics(sized);
  // At the floor: as many label lines as the room leaves, the last elided.
  const int spare = room.height() / metrics.lineSpacing() - static_cast<int>(fixed_lines.size());
  QStringList lines = Wrap(label, metrics, room.width()).value_or(QStringList{label});
  const int keep = std::max(1, spare);
  if (lines.size() > keep || !AllFit(lines, metrics, room.width())) {
    if (keep == 1 || !AllFit(lines, metrics, room.width())) {
      lines = {MiddleElided(label, metrics, room.width())};
    } else {
      const QString rest = lines.mid(keep - 1).join(QLatin1Char(' '));
      lines = lines.mid(0, keep - 1) << MiddleElided(rest, metrics, room.width());
    }
  }
  return {sized, (lines + fixed_lines).join(QLatin1Char('\n'))};
}

FittedText FitLine(const QString& head, const QString& tail, const QFont& font, int width) {
  QFont sized = font;
  for (double points = font.pointSizeF(); points >= kLegibleFloorPoints; points -= 0.5) {
    sized.setPointSizeF(points);
    if (QFontMetrics(sized).horizontalAdvance(head + tail) <= width) return {sized, head + tail};
  }
  sized.setPointSizeF(std::min(font.pointSizeF(), kLegibleFloorPoints));
  const QFontMetrics metrics(sized);
  return {sized, MiddleElided(head, metrics, width - metrics.horizontalAdvance(tail)) + tail};
}

}  // namespace woodtick
