// What screen readers say for each control: a name (a button's own text,
// or what a box without text holds) and a description of what it does.
// Every control placed through the controls helpers gets both; labels are
// static text, which screen readers read by what they show.
#pragma once

class QString;
class QWidget;

namespace woodtick {

// Sets the accessible name and description of `control` from its object
// name, keeping any it already has.
void DescribeForScreenReaders(QWidget* control);

// Names `control` by `text` for screen readers and tells them it changed,
// also when the text is the one it had, so every new status is read out.
void AnnounceText(QWidget* control, const QString& text);

}  // namespace woodtick
