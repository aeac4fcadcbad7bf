// The visual signs of the tally screen: a HIT flashes the tallied button in
// the palette's highlight colours for about half a second, and a warning
// shows a line in reverse video. Both take their colours from the palette,
// so dark and high-contrast themes keep them readable; neither waits.
#pragma once

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QTimer>

class QWidget;

namespace woodtick {

inline constexpr int kHitFlashMs = 500;

class HitFlash : public QObject {
  Q_OBJECT

 public:
  explicit HitFlash(QObject* parent = nullptr);

  // Flashes `button`; a flash still showing on another button ends first.
  void Flash(QWidget* button);
  // Ends the flash now.
  void End();
  QWidget* flashing() const { return button_; }

 private:
  QTimer timer_;
  QPointer<QWidget> button_;
  QPalette saved_;
};

// Shows `line` in the palette's window text and window colours swapped
// while `on`, in its normal colours otherwise.
void ShowAsWarning(QWidget* line, bool on);

}  // namespace woodtick
