#include "weather/soap/XmlDom.h"

#include "weather/SafeXml.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QXmlStreamReader>

#include <utility>

namespace horolet {

namespace {

const QString kXmlnsNs = QStringLiteral("http://www.w3.org/2000/xmlns/");
const QString kXmlNs = QStringLiteral("http://www.w3.org/XML/1998/namespace");

bool isNameStart(char32_t c) {
    return (c >= U'A' && c <= U'Z') || c == U'_' || (c >= U'a' && c <= U'z') ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
           (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c) {
    return isNameStart(c) || c == U'-' || c == U'.' || (c >= U'0' && c <= U'9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// A name without colon.
bool isNCName(const QString& name) {
    const QList<uint> cs = name.toUcs4();
    if (cs.isEmpty() || !isNameStart(cs.first())) return false;
    for (uint c : cs)
        if (!isNameChar(c)) return false;
    return true;
}

// The name as written: QDom gives namespace-aware attributes their parts only.
QString qualifiedName(const QDomAttr& a) {
    if (a.localName().isEmpty()) return a.name();
    return a.prefix().isEmpty() ? a.localName() : a.prefix() + u':' + a.localName();
}

bool isDeclaration(const QDomAttr& a) {
    const QString name = qualifiedName(a);
    return name == u"xmlns" || name.startsWith(u"xmlns:");
}

QString declaredPrefix(const QDomAttr& a) {
    const QString name = qualifiedName(a);
    return name == u"xmlns" ? QString() : name.mid(6);
}

QString escaped(const QString& text, bool attribute) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
            case '&':
                out += QStringLiteral("&amp;");
                break;
            case '<':
                out += QStringLiteral("&lt;");
                break;
            case '>':
                out += QStringLiteral("&gt;");
                break;
            case '"':
                out += attribute ? QStringLiteral("&quot;") : QStringLiteral("\"");
                break;
            case '\r':
                out += QStringLiteral("&#13;");
                break;
            case '\n':
                out += attribute ? QStringLiteral("&#10;") : QStringLiteral("\n");
                break;
            case '\t':
                out += attribute ? QStringLiteral("&#9;") : QStringLiteral("\t");
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Writes elements with the namespace declarations each one needs in its scope.
class Writer final {
public:
    QString out;

    void node(const QDomNode& n, const QHash<QString, QString>& scope) {
        if (n.isElement()) {
            element(n.toElement(), scope);
        } else if (n.isCDATASection()) {
            out += QStringLiteral("<![CDATA[") +
                   n.toCDATASection().data().replace(QStringLiteral("]]>"),
                                                     QStringLiteral("]]]]><![CDATA[>")) +
                   QStringLiteral("]]>");
        } else if (n.isText()) {
            out += escaped(n.toText().data(), false);
        } else if (n.isComment()) {
            out += QStringLiteral("<!--") + n.toComment().data() + QStringLiteral("-->");
        } else if (n.isProcessingInstruction()) {
            const QDomProcessingInstruction pi = n.toProcessingInstruction();
            out += QStringLiteral("<?") + pi.target() + u' ' + pi.data() + QStringLiteral("?>");
        } else if (n.isDocument() || n.isDocumentFragment()) {
            for (QDomNode c = n.firstChild(); !c.isNull(); c = c.nextSibling()) node(c, scope);
        }
    }

private:
    void element(const QDomElement& e, QHash<QString, QString> scope) {
        QList<std::pair<QString, QString>> decls;  // prefix, namespace declared here
        auto declare = [&](const QString& prefix, const QString& uri) {
            scope.insert(prefix, uri);
            for (auto& d : decls)
                if (d.first == prefix) {
                    d.second = uri;
                    return;
                }
            decls.append({prefix, uri});
        };
        auto declaredHere = [&](const QString& prefix) {
            for (const auto& d : decls)
                if (d.first == prefix) return true;
            return false;
        };

        const QDomNamedNodeMap attrs = e.attributes();
        QList<QDomAttr> plain;
        for (int i = 0; i < attrs.length(); ++i) {
            const QDomAttr a = attrs.item(i).toAttr();
            if (isDeclaration(a))
                declare(declaredPrefix(a), a.value());
            else
                plain.append(a);
        }

        const QString prefix = e.prefix();
        const QString uri = e.namespaceURI();
        if (scope.value(prefix) != uri && (prefix.isEmpty() || !uri.isEmpty()))
            declare(prefix, uri);

        QStringList attrTexts;
        for (const QDomAttr& a : plain) {
            QString name = qualifiedName(a);
            const QString aUri = a.namespaceURI();
            if (!aUri.isEmpty() && !a.localName().isEmpty()) {
                QString p = a.prefix();
                if (p.isEmpty() || (scope.value(p) != aUri && declaredHere(p))) {
                    p = scope.key(aUri);  // any prefix already bound to it
                    if (p.isEmpty() || scope.value(p) != aUri) {
                        int n = 0;
                        do p = QStringLiteral("ns%1").arg(++n);
                        while (scope.contains(p));
                    }
                }
                if (scope.value(p) != aUri) declare(p, aUri);
                name = p + u':' + a.localName();
            }
            attrTexts.append(name + QStringLiteral("=\"") + escaped(a.value(), true) + u'"');
        }

        const QString tag = e.nodeName();
        out += u'<' + tag;
        for (const auto& [p, u] : std::as_const(decls))
            out += (p.isEmpty() ? QStringLiteral(" xmlns") : QStringLiteral(" xmlns:") + p) +
                   QStringLiteral("=\"") + escaped(u, true) + u'"';
        for (const QString& a : std::as_const(attrTexts)) out += u' ' + a;
        if (!e.hasChildNodes()) {
            out += QStringLiteral("/>");
            return;
        }
        out += u'>';
        for (QDomNode c = e.firstChild(); !c.isNull(); c = c.nextSibling()) node(c, scope);
        out += QStringLiteral("</") + tag + u'>';
    }
};

}  // namespace

std::optional<QDomDocument> ParseXml(const QString& text, QString* error) {
    QXmlStreamReader reader(text);
    QDomDocument doc;
    QDomNode current;  // null at the top level
    auto here = [&]() -> QDomNode { return current.isNull() ? QDomNode(doc) : current; };
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (RefuseUnsafeXml(reader)) continue;
        switch (token) {
            case QXmlStreamReader::StartElement: {
                QDomElement e = doc.createElementNS(reader.namespaceUri().toString(),
                                                    reader.qualifiedName().toString());
                for (const QXmlStreamNamespaceDeclaration& d : reader.namespaceDeclarations()) {
                    const QString p = d.prefix().toString();
                    e.setAttributeNS(
                        kXmlnsNs,
                        p.isEmpty() ? QStringLiteral("xmlns") : QStringLiteral("xmlns:") + p,
                        d.namespaceUri().toString());
                }
                for (const QXmlStreamAttribute& a : reader.attributes())
                    e.setAttributeNS(a.namespaceUri().toString(), a.qualifiedName().toString(),
                                     a.value().toString());
                here().appendChild(e);
                current = e;
                break;
            }
            case QXmlStreamReader::EndElement:
                current = current.parentNode();
                break;
            case QXmlStreamReader::Characters:
                if (current.isNull() || current.isDocument()) break;  // white space around the root
                if (reader.isCDATA())
                    current.appendChild(doc.createCDATASection(reader.text().toString()));
                else
                    current.appendChild(doc.createTextNode(reader.text().toString()));
                break;
            case QXmlStreamReader::Comment: {
                const QDomComment c = doc.createComment(reader.text().toString());
                here().appendChild(c);  // created first: that gives the document its storage
                break;
            }
            case QXmlStreamReader::ProcessingInstruction: {
                const QDomProcessingInstruction pi =
                    doc.createProcessingInstruction(reader.processingInstructionTarget().toString(),
                                                    reader.processingInstructionData().toString());
                here().appendChild(pi);
                break;
            }
            default:
                break;
        }
    }
    if (reader.hasError()) {
        if (error)
            *error = QStringLiteral("%1 (line %2, column %3)")
                         .arg(reader.errorString())
                         .arg(reader.lineNumber())
                         .arg(reader.columnNumber());
        return std::nullopt;
    }
    return doc;
}

QString XmlText(const QDomNode& node) {
    Writer w;
    QHash<QString, QString> scope{{QString(), QString()}, {QStringLiteral("xml"), kXmlNs}};
    w.node(node, scope);
    return w.out;
}

bool IsQualifiedName(const QString& name) {
    const qsizetype colon = name.indexOf(u':');
    if (colon < 0) return isNCName(name);
    return isNCName(name.left(colon)) && isNCName(name.mid(colon + 1));
}

}  // namespace horolet
