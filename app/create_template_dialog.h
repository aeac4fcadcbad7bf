// CreateTemplateDialog ("Create Tally Template"): asks for the name of a
// new template; the model makes and empties the copy.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace woodtick {

class CreateTemplateDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CreateTemplateDialog(QWidget* parent = nullptr);

  // The typed name as the file system spells it: it names a file.
  std::string file_name() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* name_box_;
};

}  // namespace woodtick
