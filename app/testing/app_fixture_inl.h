// Template part of app_fixture.h.
#pragma once

#include <QWidget>

namespace woodtick {

template <typename T>
T* Child(QWidget* parent, const QString& name) {
  T* child = parent->findChild<T*>(name);
  EXPECT_NE(child, nullptr) << "no child " << name.toStdString();
  return child;
}

}  // namespace woodtick
