#include "weather/soap/SOAPSender.h"

#include "weather/HttpExchange.h"
#include "weather/soap/SoapError.h"
#include "weather/soap/XmlDom.h"

#include <QUrl>

namespace horolet {

namespace {

const QString kSoapEnvelopeNs = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");

// A prefixed name needs a namespace, or the written request would not be well-formed.
bool validName(const QString& name, const QString& nsUri) {
    return IsQualifiedName(name) && (!name.contains(u':') || !nsUri.isEmpty());
}

// Header values go out as they are stored; line breaks in one would add headers.
bool validHeaderValue(const QString& value) {
    for (QChar c : value)
        if (c == u'\r' || c == u'\n' || c == u'\0') return false;
    return true;
}

}  // namespace

SOAPSender::SOAPSender() {
    CreateSOAPEnvelope();
}

void SOAPSender::CreateSOAPEnvelope() {
    if (m_bInBodyPart) EndBodyPart();
    const QString envelope = QStringLiteral(
                                 "<soap:Envelope "
                                 "xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
                                 "xmlns:xsd='http://www.w3.org/2001/XMLSchema' xmlns:soap='") +
                             kSoapEnvelopeNs + QStringLiteral("'></soap:Envelope>");
    m_oDoc = ParseXml(envelope, nullptr).value_or(QDomDocument());
    m_oBody = m_oDoc.createElementNS(kSoapEnvelopeNs, QStringLiteral("Body"));
    m_oDoc.documentElement().appendChild(m_oBody);
}

void SOAPSender::BeginBodyPart(const QString& partName, const QString& partNsUri) {
    if (!validName(partName, partNsUri)) return;
    if (m_bInBodyPart) EndBodyPart();
    m_oBodyPart = m_oDoc.createElementNS(partNsUri, partName);
    m_oCurrent = m_oBodyPart;
    m_oBody.appendChild(m_oBodyPart);
    m_oStack = std::make_unique<Stack>();
    m_bInBodyPart = true;
}

void SOAPSender::EndBodyPart() {
    m_oBodyPart = QDomElement();
    m_oCurrent = QDomElement();
    m_oStack.reset();
    m_bInBodyPart = false;
}

void SOAPSender::BeginElement(const QString& elementName, const QString& elementNsUri) {
    if (m_oCurrent.isNull() || !m_bInBodyPart || !validName(elementName, elementNsUri)) return;
    QDomElement element = m_oDoc.createElementNS(elementNsUri, elementName);
    m_oCurrent.appendChild(element);
    m_oStack->Push(m_oCurrent);
    m_oCurrent = element;
}

void SOAPSender::EndElement() {
    m_oCurrent = QDomElement();
    if (m_oBodyPart.isNull()) return;
    m_oStack->Peek();  // throws when no element inside the part is open
    m_oCurrent = m_oStack->Pop();
}

void SOAPSender::WriteText(const QString& Text) {
    if (m_oCurrent.isNull()) return;
    while (m_oCurrent.hasChildNodes()) m_oCurrent.removeChild(m_oCurrent.firstChild());
    m_oCurrent.appendChild(m_oDoc.createTextNode(Text));
}

QDomElement SOAPSender::parsedRoot(const QString& xml) {
    QString error;
    const std::optional<QDomDocument> parsed = ParseXml(xml, &error);
    if (!parsed) throw SoapError("SOAPSender: XML does not parse: " + error.toStdString());
    return m_oDoc.importNode(parsed->documentElement(), true).toElement();
}

void SOAPSender::WriteXml(const QString& Xml) {
    if (m_oCurrent.isNull()) return;
    m_oCurrent.appendChild(parsedRoot(Xml));
}

void SOAPSender::WriteBodyXml(const QString& Xml) {
    m_oBody.appendChild(parsedRoot(Xml));
}

void SOAPSender::AddAttribute(const QString& AttrName, const QString& AttrNsUri,
                              const QString& AttrValue) {
    if (m_oCurrent.isNull() || !validName(AttrName, AttrNsUri)) return;
    if (AttrNsUri.isEmpty())
        m_oCurrent.setAttribute(AttrName, AttrValue);
    else
        m_oCurrent.setAttributeNS(AttrNsUri, AttrName, AttrValue);
}

QString SOAPSender::GetRequestString() const {
    return XmlText(m_oDoc);
}

void SOAPSender::Send() {
    const QUrl url(m_sServiceUrl, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https") ||
        !validHeaderValue(m_sSoapAction))
        return;
    HttpRequest request;
    request.method = "POST";
    request.url = url;
    request.headers = {{"SOAPAction", m_sSoapAction.toUtf8()}, {"Content-Type", "text/xml"}};
    request.body = GetRequestString().toUtf8();
    const HttpReply reply = SendHttpRequest(request);
    if (reply.completed) m_sResponse = ReplyText(reply);
}

}  // namespace horolet
