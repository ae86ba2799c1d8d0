#pragma once

#include <QString>

namespace horolet {

// The first IPv4 address of a host name as dotted text, or empty text when the name
// does not resolve or has no IPv4 address. Blocks until the resolver answers.
QString ResolveHostAddress(const QString& host);

}  // namespace horolet
