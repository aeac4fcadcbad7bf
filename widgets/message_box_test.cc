#include "widgets/message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

namespace woodtick {
namespace {

TEST(MessageBoxTest, TheWaitCursorComesDownWhileABoxIsUp) {
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));  // nested operations
  bool seen = false;
  const QCursor* during = nullptr;
  QTimer::singleShot(0, [&] {
    seen = true;
    during = QGuiApplication::overrideCursor();
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  ShowMessageBox(nullptr, QMessageBox::Warning, "Title", "Text");
  EXPECT_TRUE(seen);
  EXPECT_EQ(during, nullptr);
  // The operation goes on busy afterwards, at the same depth.
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  QGuiApplication::restoreOverrideCursor();
  EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
  QGuiApplication::restoreOverrideCursor();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace woodtick
