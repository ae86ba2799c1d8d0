#pragma once

#include <QDomDocument>
#include <QString>

#include <optional>

namespace horolet {

// A document with namespaces whose namespace declarations are kept as attributes in the
// xmlns namespace, so that writing it out keeps them (QDom drops them). No DTD is
// accepted. nullopt and a message when the text does not parse.
std::optional<QDomDocument> ParseXml(const QString& text, QString* error);

// The node as XML text, without declaration or added white space. Namespace declarations
// are written where an element or attribute needs one, including xmlns="" for elements
// in no namespace.
QString XmlText(const QDomNode& node);

// A qualified name (prefix:local or local) that is a well-formed XML name.
bool IsQualifiedName(const QString& name);

}  // namespace horolet
