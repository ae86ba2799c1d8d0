#pragma once

#include <QString>

namespace horolet {

// Exactly five ASCII digits.
bool ZipCodeAcceptable(const QString& text);

// The zip code box lost the focus with this text: take it into use, or tell the user
// why not (the previous code stays in use).
void ZipCodeLostFocus(const QString& text);

}  // namespace horolet
