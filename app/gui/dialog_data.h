#pragma once

#include <QString>

namespace gui {

// The outcome of storing one integer box into its field.
enum class FieldResult {
  Stored,        // parsed and within range
  NotAnInteger,  // the text is no decimal integer; the field is unchanged
  OutOfRange,    // parsed and stored, but outside minimum..maximum
};

// Parses `text` as a decimal integer the way dialog data exchange reads an int box:
// blanks and tabs around it are skipped, one optional sign, then digits and nothing
// else. A value beyond the int range is clamped to it (and so fails any narrower
// range check). Stores the value into `field` unless the text is no integer.
FieldResult storeIntegerField(const QString& text, int minimum, int maximum, int& field);

// The message for a failed store: "Please enter an integer." or "Please enter an
// integer between <minimum> and <maximum>."; empty for FieldResult::Stored.
QString fieldMessage(FieldResult result, int minimum, int maximum);

}  // namespace gui
