#include "app/gui/dialog_data.h"

#include <climits>
#include <cstdint>

namespace gui {
namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

}  // namespace

FieldResult storeIntegerField(const QString& text, int minimum, int maximum, int& field) {
  qsizetype pos = 0;
  const qsizetype end = text.size();
  while (pos < end && isBlank(text[pos])) ++pos;
  // A leading sign needs a digit right after it; "-0" counts as zero like "0".
  bool negative = false;
  if (pos < end && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+'))) {
    negative = text[pos] == QLatin1Char('-');
    ++pos;
  }
  const qsizetype firstDigit = pos;
  int64_t magnitude = 0;
  while (pos < end && text[pos] >= QLatin1Char('0') && text[pos] <= QLatin1Char('9')) {
    // Stop growing past the int range; the value is clamped below.
    if (magnitude <= int64_t{INT_MAX} + 1) {
      magnitude = magnitude * 10 + (text[pos].unicode() - u'0');
    }
    ++pos;
  }
  if (pos == firstDigit) return FieldResult::NotAnInteger;
  while (pos < end && isBlank(text[pos])) ++pos;
  if (pos != end) return FieldResult::NotAnInteger;

  const int64_t value = negative ? -magnitude : magnitude;
  field = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
  if (field < minimum || field > maximum) return FieldResult::OutOfRange;
  return FieldResult::Stored;
}

QString fieldMessage(FieldResult result, int minimum, int maximum) {
  switch (result) {
    case FieldResult::Stored:
      return QString();
    case FieldResult::NotAnInteger:
      return QStringLiteral("Please enter an integer.");
    case FieldResult::OutOfRange:
      return QStringLiteral("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);
  }
  return QString();
}

}  // namespace gui
