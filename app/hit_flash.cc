#include "app/hit_flash.h"

#include <QWidget>

namespace woodtick {

HitFlash::HitFlash(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  timer_.setInterval(kHitFlashMs);
  connect(&timer_, &QTimer::timeout, this, &HitFlash::End);
}

void HitFlash::Flash(QWidget* button) {
  End();
  button_ = button;
  saved_ = button->palette();
  QPalette lit = saved_;
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    lit.setColor(group, QPalette::Button, saved_.color(group, QPalette::Highlight));
    lit.setColor(group, QPalette::ButtonText, saved_.color(group, QPalette::HighlightedText));
  }
  button->setPalette(lit);
  timer_.start();
}

void HitFlash::End() {
  timer_.stop();
  if (button_) button_->setPalette(saved_);
  button_ = nullptr;
}

void ShowAsWarning(QWidget* line, bool on) {
  if (!on) {
    line->setPalette(QPalette());
    line->setAutoFillBackground(false);
    return;
  }
  const QPalette normal = line->parentWidget() ? line->parentWidget()->palette() : line->palette();
  QPalette reversed = normal;
  reversed.setColor(QPalette::Window, normal.color(QPalette::WindowText));
  reversed.setColor(QPalette::WindowText, normal.color(QPalette::Window));
  line->setPalette(reversed);
  line->setAutoFillBackground(true);
}

}  // namespace woodtick
