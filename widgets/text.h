// The one place where texts cross between the model (8-bit Windows-1252
// bytes, as the tally file holds them) and Qt (UTF-16).
#pragma once

#include <QString>
#include <QValidator>
#include <string>

namespace woodtick {

// Every byte maps to one character; the five bytes Windows-1252 leaves
// undefined map to the control characters of the same value, so any byte
// string comes back unchanged from FromQString.
QString ToQString(const std::string& text);

// Characters Windows-1252 cannot hold become "?"; edit boxes refuse them
// as they are typed (TallyTextValidator), so only a program's own texts
// could ever meet this.
std::string FromQString(const QString& text);

// File names are no tally-file texts: they cross as the file system spells
// them (its encoding, UTF-8 here), so a name typed or chosen on a screen is
// the file the system lists under that name. Shown in a message, a path
// goes through FileNameText (platform/file_name_text.h).
std::string ToFileName(const QString& name);
QString FromFileName(const std::string& path);

// True when every character of the text has a Windows-1252 byte.
bool FitsTallyFile(const QString& text);

// Refuses, as they are typed or pasted, characters a tally file cannot hold.
// Every edit box of the program has one (AddEdit, editable AddComboBox).
class TallyTextValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

}  // namespace woodtick
