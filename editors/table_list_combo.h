// The drop-down list of data tables shared by the Setup Data Tables and
// Select The Table to Edit screens: an editable, sorted combo box filled
// from the tables-defined text.
#pragma once

#include <string>

class QComboBox;
class QWidget;

namespace woodtick {

// An editable combo box at a rectangle in dialog units; `height` covers the
// field and its dropped-down list together.
QComboBox* CreateTableCombo(QWidget* parent, const char* object_name, int x, int y, int width,
                            int height);

// Empties the box and adds each entry of the comma-separated list, keeping
// the entries sorted without regard to case; selects the first.
void FillTableCombo(QComboBox* combo, const std::string& tables_defined);

}  // namespace woodtick
