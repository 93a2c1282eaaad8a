// Labels that show a value (the note heard, its tuning, a summary): a screen reader reads the
// label's name followed by the value, "Note heard: C0", and is told each time the value changes.
#pragma once

#include <QString>

class QLabel;

namespace korvalin {

// Shows `shown` on `label` and names it for screen readers `name: spoken` (`spoken` defaults to
// what is shown; with nothing to say after it the name stands alone). A change of name is
// announced; the same value shown again announces nothing.
void ShowLabelValue(QLabel& label, const QString& name, const QString& shown, const QString& spoken = QString());

} // namespace korvalin
