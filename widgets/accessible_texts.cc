#include "widgets/accessible_texts.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QWidget>

namespace woodtick {
namespace {

struct Described {
  const char* object;
  const char* name;  // null: the control's own text
  const char* description;
};

// By object name; a name used on several screens means the same there.
constexpr Described kDescribed[] = {
    {"selectFileButton", nullptr, "Chooses the tally file to open"},
    {"fileNameBox", "Tally file", "The name of the open tally file"},
    {"setupButton", nullptr, "Sets up the units, populations, data tables and options"},
    {"editDataButton", nullptr, "Edits the records of a data table"},
    {"tallyButton", nullptr, "Opens the tally screen, where every key is a tally"},
    {"utilitiesButton", nullptr, "Export, resets, clearing, templates and the summary"},
    {"aboutButton", nullptr, "Shows the program's version"},
    {"untallyButton", nullptr, "Takes back recent tallies"},
    {"helpButton", nullptr, "Shows help on this program"},
    {"exitButton", nullptr, "Closes the tally file and ends the program"},
    {"keyBox", "Key box", "Receives the keys tallied on the tally screen"},
    {"changeButton", nullptr, "Changes the number of units"},
    {"dataTablesButton", nullptr, "Defines, redefines and deletes data tables"},
    {"populationsButton", nullptr, "Edits the populations, their keys and sampling methods"},
    {"saveIntervalList", "Save data every", "How many tallies pass between saves of the file"},
    {"soundCheck", nullptr, "Beeps at each tally, twice more at a HIT"},
    {"countsOnButtonsCheck", nullptr, "Shows each population's counts on its tally button"},
    {"showNumBoxCheck", nullptr, "Shows the last hit number on the tally screen"},
    {"nameBox", "Template name", "The name of the new template file"},
    {"unitsBox", "Number of units", "How many units this tally has"},
    {"unitList", "Unit", "The unit being tallied"},
    {"numberBox", "Hit number", "The last hit number; a typed number continues from there"},
    {"tallyList", "Recent tallies", "The last ten tallies, most recent last"},
    {"tableName", "Table name", "The name of the data table"},
    {"columnList", "Columns", "The table's columns, separated by commas"},
    {"tableList", "Data table", "The data tables of this file"},
    {"editTable", nullptr, "Edits the selected table"},
    {"deleteTable", nullptr, "Deletes the selected table and its records"},
    {"createTable", nullptr, "Defines a new data table"},
    {"first", "First record", "Shows the first record"},
    {"previous", "Previous record", "Shows the record before this one"},
    {"next", "Next record", "Shows the record after this one"},
    {"last", "Last record", "Shows the last record"},
    {"newRecord", nullptr, "Adds a new record"},
    {"deleteRecord", nullptr, "Deletes this record"},
    {"exportButton", nullptr, "Writes all data to a comma-separated file beside the tally file"},
    {"resetButton", nullptr, "Sets every count and HIT of every unit to zero"},
    {"clearTablesButton", nullptr, "Removes every record of the data tables"},
    {"clearLogButton", nullptr, "Removes the entries of the message log"},
    {"templateButton", nullptr, "Makes an empty copy of this file to start new tallies from"},
    {"summaryButton", nullptr, "Shows counts, HITs and measured shares per population and unit"},
    {"okButton", nullptr, "Closes this screen"},
    {"ok", nullptr, "Closes this screen"},
    {"cancelButton", nullptr, "Closes this screen without a change"},
    {"cancel", nullptr, "Closes this screen without a change"},
};

// A box without text of its own: its object name in words.
QString NameFromObjectName(const QByteArray& object) {
  QString name;
  for (char c : object) {
    const QChar ch = QLatin1Char(c);
    name += ch.isUpper() || ch.isDigit() ? QStringLiteral(" ") + ch.toLower() : QString(ch);
  }
  name = name.trimmed();
  if (!name.isEmpty()) name[0] = name[0].toUpper();
  return name;
}

}  // namespace

void DescribeForScreenReaders(QWidget* control) {
  // Labels are static text, read by what they show.
  if (qobject_cast<QLabel*>(control)) return;
  const QByteArray object = control->objectName().toLatin1();
  const Described* found = nullptr;
  for (const Described& d : kDescribed) {
    if (object == d.object) found = &d;
  }
  // A button's name follows its text, as Qt reads it, unless given here.
  const bool has_text = qobject_cast<QAbstractButton*>(control) != nullptr;
  if (control->accessibleName().isEmpty()) {
    if (found && found->name) {
      control->setAccessibleName(QString::fromLatin1(found->name));
    } else if (!has_text) {
      control->setAccessibleName(NameFromObjectName(object));
    }
  }
  if (control->accessibleDescription().isEmpty()) {
    control->setAccessibleDescription(found ? QString::fromLatin1(found->description)
                                            : NameFromObjectName(object));
  }
}

void AnnounceText(QWidget* control, const QString& text) {
  if (control->accessibleName() != text) {
    control->setAccessibleName(text);  // tells screen readers itself
    return;
  }
  QAccessibleEvent changed(control, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&changed);
}

}  // namespace woodtick
