#pragma once

#include <QXmlStreamReader>

namespace horolet {

// Replies are untrusted: a document type declaration, or an entity the reader could not
// resolve, ends the read as an error, so nothing is fetched and nothing expands. Call it
// after each readNext(); true means the token was refused.
inline bool RefuseUnsafeXml(QXmlStreamReader& reader) {
    switch (reader.tokenType()) {
        case QXmlStreamReader::DTD:
            reader.raiseError(QStringLiteral("Document type declarations are not accepted"));
            return true;
        case QXmlStreamReader::EntityReference:
            reader.raiseError(
                QStringLiteral("Unresolved entity reference '%1'").arg(reader.name().toString()));
            return true;
        default:
            return false;
    }
}

}  // namespace horolet
