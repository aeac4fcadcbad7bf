// UntallyDialog ("Untally"): lists the last ten tallies and takes back one
// at a time.
#pragma once

#include <QDialog>
#include <vector>

#include "model/buffer_entry.h"

class QListWidget;
class QPushButton;

namespace woodtick {

class Untally;

class UntallyDialog : public QDialog {
  Q_OBJECT

 public:
  explicit UntallyDialog(Untally& untally, QWidget* parent = nullptr);

  // Takes back the selected entry.
  void UntallySelection();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void SelectionChanged();
  void LineDoubleClicked();
  bool SelectedIsMarker() const;

  Untally& untallying_;
  std::vector<BufferEntry> entries_;  // the Buffer's entries, one per line
  QListWidget* list_;
  QPushButton* untally_;
};

}  // namespace woodtick
