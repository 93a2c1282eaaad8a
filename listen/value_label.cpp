#include "listen/value_label.h"

#include <QLabel>

namespace korvalin {

void ShowLabelValue(QLabel& label, const QString& name, const QString& shown, const QString& spoken) {
    if (label.text() != shown) label.setText(shown);
    const QString said = spoken.isNull() ? shown : spoken;
    const QString accessible = said.isEmpty() ? name : name + QStringLiteral(": ") + said;
    if (label.accessibleName() == accessible) return;
    // Setting the name tells assistive technology of the change (a NameChanged event).
    label.setAccessibleName(accessible);
}

} // namespace korvalin
