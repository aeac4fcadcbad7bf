// Every question before data is destroyed, shown in a real box: No is the
// default, so Enter pressed by habit destroys nothing.
#include <gmock/gmock.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "editors/edit_data_dialog.h"
#include "editors/editors_test_support.h"
#include "editors/setup_tables_dialog.h"
#include "store/data_store.h"
#include "widgets/message_box.h"

namespace woodtick {
namespace {

using testing::HasSubstr;

class ConfirmationsTest : public EditorsTest {
 protected:
  // What the questions guard: counts, records, table definitions and the
  // log (less the reopening the Setup screen does).
  std::vector<std::vector<std::vector<std::string>>> Snapshot() {
    std::vector<std::vector<std::string>> log;
    for (const auto& row : Rows("MessageLog")) {
      if (row[1] != "Tally File Opened") log.push_back(row);
    }
    return {Rows("Tally"), Rows("Trees"), DictionaryRows("Trees"), log};
  }
};

TEST_F(ConfirmationsTest, DestructiveQuestionsDefaultToNo) {
  // The scripted Ui shows each message in the program's own box and
  // answers what the box answered.
  ui_.on_message = [this](const Message& message) {
    const MessageAnswer answer = ShowMessageBox(nullptr, message);
    if (message.buttons != MessageButtons::kOk) ui_.answers.push_front(answer);
  };
  struct Case {
    const char* title;
    const char* asks;  // part of the question
    std::function<void()> run;
  };
  const Case cases[] = {
      {"CONFIRM RESET", "reset all the counters",
       [&] { model_->utilities().ResetCountersCommand(); }},
      {"CONFIRM", "clear all the data tables",
       [&] { model_->utilities().ClearDataTablesCommand(); }},
      {"CONFIRM", "clear the message log", [&] { model_->utilities().ClearMessageLogCommand(); }},
      {"Confirm Delete", "Trees contains 6 records",
       [&] {
         RunInSetup([](TallyModel& model, DataStore&) {
           SetupTablesDialog dialog(model, nullptr);
           dialog.DeleteTable();
         });
       }},
      // The record is named: its number, table and values.
      {"Confirm Delete",
       "Delete record 6 of 6 from the Trees table?\n\n002, 6, Pine, 30, 44.4, scar ^ 2m",
       [&] {
         DataStore& store = *model_->store();
         EditDataDialog dialog(*model_, store.FindView("Trees"), std::make_unique<EditDataMode>(),
                               nullptr);
         dialog.DeleteRecord();
       }},
      {"Confirm Delete", "The population's counts in every unit are deleted with it",
       [&] {
         EditDataDialog dialog(*model_, model_->tally_slot(), std::make_unique<PopulationsMode>(),
                               nullptr);
         dialog.DeleteRecord();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.asks);
    const auto before = Snapshot();
    ui_.messages.clear();
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool no_is_default = false;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
      icon = box->icon();
      no_is_default = box->defaultButton() == box->button(QMessageBox::No);
      QTest::keyClick(box, Qt::Key_Return);
    });
    c.run();
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].title, c.title);
    EXPECT_THAT(ui_.messages[0].text, HasSubstr(c.asks));
    EXPECT_EQ(ui_.messages[0].buttons, MessageButtons::kYesNo);
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_TRUE(no_is_default);
    EXPECT_EQ(Snapshot(), before);
  }
}

}  // namespace
}  // namespace woodtick
