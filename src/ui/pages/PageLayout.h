#pragma once
// Layout pieces the tab pages share: the two labelled read-only lines above
// the diagram or text box, and the conversion of core texts for Qt.

#include <QString>

#include <string>
#include <string_view>

class QGridLayout;
class QLineEdit;
class QWidget;

// A read-only one-line field for a summary or state line.
QLineEdit* MakeReadOnlyLine(QWidget* parent);
// Adds "label" and the field as one row of the grid.
void AddLabelledRow(QGridLayout* grid, int row, const QString& label, QWidget* field, QWidget* parent);

// Core texts are UTF-8 where they came from the program; log lines taken
// from files may be 8-bit text, which is shown as Latin-1.
QString ToQString(std::string_view text);
std::string FromQString(const QString& text);
