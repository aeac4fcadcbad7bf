// The ground of the tally screen's tests: a main screen over a test file
// and the tally screen shown over it, as the main screen's Tally button
// shows it.
#pragma once

#include <QComboBox>
#include <QTest>
#include <memory>

#include "app/main_dialog.h"
#include "app/qt_ui.h"
#include "app/tally_dialog.h"
#include "app/testing/app_fixture.h"

namespace woodtick {

class TallyScreenTest : public AppTest {
 protected:
  void Show() {
    tally_ = std::make_unique<TallyDialog>(main_.get());
    main_->ui().set_tally_dialog(tally_.get());
    tally_->show();
    tally_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(tally_.get()));
  }
  // Closes the tally screen; the main screen stays.
  void Close() {
    if (main_) main_->ui().set_tally_dialog(nullptr);
    tally_.reset();
  }
  void TearDown() override {
    Close();
    main_.reset();
    AppTest::TearDown();
  }
  QComboBox* UnitList() { return Child<QComboBox>(tally_.get(), QStringLiteral("unitList")); }

  std::unique_ptr<MainDialog> main_;
  std::unique_ptr<TallyDialog> tally_;
};

}  // namespace woodtick
