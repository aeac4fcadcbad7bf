// The About box, also the start-up banner: the program's name and version
// on two lines in a large bold font, and the program icon.
#pragma once

#include <QDialog>

class QLabel;

namespace woodtick {

// The version of the program, also written into every tally file it opens.
inline constexpr const char* kVersionText = "2005.05.03";

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  QLabel* banner() const { return banner_; }

  // Bold, 16 pixels high; Arial when installed, else the default sans-serif.
  static QFont BannerFont();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* banner_;
};

}  // namespace woodtick
