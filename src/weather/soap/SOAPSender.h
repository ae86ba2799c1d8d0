#pragma once

#include "weather/soap/Stack.h"

#include <QDomDocument>
#include <QDomElement>
#include <QString>

#include <memory>

namespace horolet {

// Builds a SOAP 1.1 request element by element, posts it and keeps the reply text.
// EndElement with no open element inside a body part, WriteXml and WriteBodyXml with
// text that does not parse throw SoapError; nothing else throws. Names that are not
// well-formed XML names (or a prefix without a namespace) are ignored like an operation
// without a current element.
class SOAPSender final {
public:
    SOAPSender();

    QString SoapAction() const { return m_sSoapAction; }
    void setSoapAction(const QString& newVal) { m_sSoapAction = newVal; }
    QString ServiceUrl() const { return m_sServiceUrl; }
    void setServiceUrl(const QString& newVal) { m_sServiceUrl = newVal; }

    void BeginBodyPart(const QString& partName, const QString& partNsUri);
    void BeginElement(const QString& elementName, const QString& elementNsUri);
    void EndBodyPart();
    void EndElement();
    void WriteText(const QString& Text);
    void WriteXml(const QString& Xml);
    void WriteBodyXml(const QString& Xml);
    void AddAttribute(const QString& AttrName, const QString& AttrNsUri, const QString& AttrValue);
    // Posts the request; a failed exchange leaves the previous reply. Never throws.
    void Send();
    QString GetRequestString() const;
    QString GetResponseString() const { return m_sResponse; }
    void CreateSOAPEnvelope();

private:
    QDomElement parsedRoot(const QString& xml);

    QString m_sSoapAction;
    QString m_sServiceUrl;
    QDomDocument m_oDoc;
    QDomElement m_oBody;
    QDomElement m_oBodyPart;
    QDomElement m_oCurrent;
    std::unique_ptr<Stack> m_oStack;
    bool m_bInBodyPart = false;
    QString m_sResponse;
};

}  // namespace horolet
