#pragma once

#include <QFont>

namespace horolet {

// The windows' Tahoma; where it is not installed the system's sans-serif font stands in.
inline QFont TahomaFont(double points = 8.25, bool bold = false) {
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

}  // namespace horolet
