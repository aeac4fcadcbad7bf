#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/tally_model.h"
#include "model/testing/model_test_base.h"

namespace woodtick {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;

class TemplatesTest : public ModelTest {
 protected:
  TallyModel& OpenStand() {
    path_ =
        Build("stand1.tal",
              {.num_units = 2,
               .populations = {{.key = "A", .label = "Aspen", .dat_table = "Trees"}},
               .tables = {{.name = "Trees", .columns = {"Unit", "Num"}, .rows = {{"001", "1"}}}}});
    TallyModel& model = Open(path_);
    Press("AA");
    return model;
  }
  bool MakeTemplate(const std::string& name) {
    ui_.template_names.push_back(name);
    return model_->templates().CreateTemplate();
  }
  std::string path_;
};

TEST_F(TemplatesTest, MyPlotOldBecomesAnEmptiedCopyBesideTheFile) {
  TallyModel& model = OpenStand();
  ASSERT_TRUE(MakeTemplate("  my plot.old "));
  std::string target = File("my_plot.tal");
  EXPECT_EQ(model.templates().template_path(), target);
  EXPECT_EQ(ui_.messages.back().text, "The template file " + target + " has been created.");
  EXPECT_EQ(ui_.messages.back().title, "Template File Created");
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kInformation);
  EXPECT_EQ(ui_.busy_depth, 0);
  Rows log = DiskRows(path_, "MessageLog");
  EXPECT_EQ(log.back()[1], "Template Created");
  EXPECT_EQ(log.back()[5], target);

  model_.reset();
  FakeUi other_ui;
  TallyModel copy(other_ui, {env_});
  copy.SetStartupFile(target);
  ASSERT_TRUE(copy.OpenTallyFile());
  std::vector<std::string> counters;
  for (const auto& row : SlotRows(*copy.store(), copy.tally_slot())) {
    counters.insert(counters.end(), row.begin() + 6, row.end());
  }
  EXPECT_EQ(counters.size(), 4u);
  EXPECT_THAT(counters, Each(std::string("0")));
  EXPECT_EQ(copy.store()->View(copy.store()->FindView("Trees")).GetSize(), 0);
  EXPECT_TRUE(copy.untally().Entries().empty());
  Rows copy_log = SlotRows(*copy.store(), copy.store()->FindView("MessageLog"));
  ASSERT_EQ(copy_log.size(), 2u);
  EXPECT_EQ(copy_log[0][1], "Template Created");
  EXPECT_EQ(copy_log[0][5], "This tally template was created from " + path_);
  EXPECT_EQ(copy_log[1][1], "Tally File Opened");
  EXPECT_EQ(copy.settings().num_units(), 2);
  EXPECT_EQ(copy.tables_defined(), "Trees");
}

TEST_F(TemplatesTest, NamesAreCutAtTheirLastDot) {
  OpenStand();
  ASSERT_TRUE(MakeTemplate("x.y.z"));
  EXPECT_TRUE(Exists(File("x.y.tal")));
  ASSERT_TRUE(MakeTemplate("stand2"));
  EXPECT_TRUE(Exists(File("stand2.tal")));
}

TEST_F(TemplatesTest, AnExistingNameIsRefusedAndTheFirstTemplateKept) {
  OpenStand();
  ASSERT_TRUE(MakeTemplate("again"));
  std::string bytes = FileBytes(File("again.tal"));
  size_t log_size = DiskLog(path_).size();
  EXPECT_FALSE(MakeTemplate("again"));
  EXPECT_EQ(ui_.messages.back().text, "That file already exists, please choose another name!");
  EXPECT_EQ(ui_.messages.back().title, "WARNING");
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kExclamation);
  EXPECT_EQ(model_->templates().template_path(), "");
  EXPECT_EQ(FileBytes(File("again.tal")), bytes);
  EXPECT_EQ(DiskLog(path_).size(), log_size);
}

TEST_F(TemplatesTest, NamesLeadingElsewhereOrNothingMakeNothing) {
  OpenStand();
  for (std::string name : {"../escape", "sub/dir", "back\\slash", ".hidden", " .a.b"}) {
    size_t shown = ui_.messages.size();
    EXPECT_FALSE(MakeTemplate(name)) << name;
    ASSERT_EQ(ui_.messages.size(), shown + 1) << name;
    EXPECT_EQ(ui_.messages.back().title, "WARNING");
  }
  size_t shown = ui_.messages.size();
  EXPECT_FALSE(MakeTemplate("   "));
  EXPECT_FALSE(model_->templates().CreateTemplate());  // Cancel
  EXPECT_EQ(ui_.messages.size(), shown);
  std::vector<std::string> files;
  for (const std::string& path : memory_env_.disk().Paths()) files.push_back(path);
  EXPECT_THAT(files, ElementsAre(File("stand1.tal")));
  EXPECT_FALSE(Exists(File("../escape.tal")));
}

}  // namespace
}  // namespace woodtick
