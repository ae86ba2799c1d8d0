// The SOAP request builder: the envelope it builds, its errors, and posting it to a
// service on loopback.

#include "support/TestMain.h"
#include "weather/HttpExchange.h"
#include "weather/LoopbackHttpServer.h"
#include "weather/soap/SOAPSender.h"
#include "weather/soap/SoapError.h"
#include "weather/soap/Stack.h"
#include "weather/soap/XmlDom.h"

#include <QDomDocument>
#include <QElapsedTimer>
#include <QXmlStreamReader>

using namespace horolet;
using namespace horolet::test;

namespace {

const QString kEnv = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");

// The request read back by an independent parser with namespaces.
QDomDocument Reparsed(const SOAPSender& s) {
    QDomDocument d;
    QString error;
    if (!d.setContent(s.GetRequestString(), true, &error))
        qFatal("request does not parse: %s\n%s", qPrintable(error),
               qPrintable(s.GetRequestString()));
    return d;
}

QDomElement Body(const QDomDocument& d) {
    return d.documentElement().firstChildElement();
}

QList<QDomElement> ChildElements(const QDomElement& e) {
    QList<QDomElement> out;
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
        out.append(c);
    return out;
}

template <class F>
QString ErrorOf(F&& f) {
    try {
        f();
    } catch (const SoapError& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

}  // namespace

class TestSoapSender final : public QObject {
    Q_OBJECT
private slots:
    void init() { FreshStart(); }

    void emptyEnvelope();
    void getTempExample();
    void twoBodyParts();
    void elementBeforeBodyPart();
    void textIsEscaped();
    void endElementErrors();
    void writeXml();
    void writeXmlErrors_data();
    void writeXmlErrors();
    void attributes();
    void namespacesSurviveWriting();
    void invalidNamesIgnored_data();
    void invalidNamesIgnored();
    void stack();
    void send();
    void sendFailures();
    void sendNeverAnswered();
};

void TestSoapSender::emptyEnvelope() {
    SOAPSender s;
    QCOMPARE(s.SoapAction(), QString());
    QCOMPARE(s.ServiceUrl(), QString());
    QCOMPARE(s.GetResponseString(), QString());
    const QString text = s.GetRequestString();
    QVERIFY(!text.startsWith("<?xml"));

    // Three declarations on the root, the body in the envelope namespace by its own
    // default declaration.
    QXmlStreamReader r(text);
    QHash<QString, QString> decls;
    while (r.readNextStartElement()) {
        if (r.name() == u"Envelope") {
            for (const auto& d : r.namespaceDeclarations())
                decls.insert(d.prefix().toString(), d.namespaceUri().toString());
            QCOMPARE(r.namespaceUri().toString(), kEnv);
            QCOMPARE(r.prefix().toString(), QString("soap"));
            continue;
        }
        QCOMPARE(r.name().toString(), QString("Body"));
        QCOMPARE(r.prefix().toString(), QString());
        QCOMPARE(r.namespaceUri().toString(), kEnv);
        QCOMPARE(r.namespaceDeclarations().size(), 1);
        r.skipCurrentElement();
    }
    QVERIFY(!r.hasError());
    QCOMPARE(decls, (QHash<QString, QString>{{"xsi", "http://www.w3.org/2001/XMLSchema-instance"},
                                             {"xsd", "http://www.w3.org/2001/XMLSchema"},
                                             {"soap", kEnv}}));
    QCOMPARE(ChildElements(Body(Reparsed(s))).size(), 0);
}

void TestSoapSender::getTempExample() {
    SOAPSender s;
    s.BeginBodyPart("GetTemp", "urn:x");
    s.BeginElement("zip", "urn:x");
    s.WriteText("72210");
    s.EndElement();

    QDomDocument d = Reparsed(s);
    const auto parts = ChildElements(Body(d));
    QCOMPARE(parts.size(), 1);
    QCOMPARE(parts[0].localName(), QString("GetTemp"));
    QCOMPARE(parts[0].namespaceURI(), QString("urn:x"));
    const auto children = ChildElements(parts[0]);
    QCOMPARE(children.size(), 1);
    QCOMPARE(children[0].localName(), QString("zip"));
    QCOMPARE(children[0].namespaceURI(), QString("urn:x"));
    QCOMPARE(children[0].text(), QString("72210"));

    // The part is current again: its whole content is replaced.
    s.WriteText("replaced");
    d = Reparsed(s);
    const QDomElement part = ChildElements(Body(d)).at(0);
    QCOMPARE(ChildElements(part).size(), 0);
    QCOMPARE(part.childNodes().size(), 1);
    QCOMPARE(part.text(), QString("replaced"));
}

void TestSoapSender::twoBodyParts() {
    SOAPSender s;
    s.BeginBodyPart("First", "urn:a");
    s.BeginElement("inner", "urn:a");
    s.BeginBodyPart("m:Second", "urn:b");  // closes the first part
    s.BeginElement("x", "");
    s.EndElement();
    QVERIFY(!ErrorOf([&] { s.EndElement(); }).isEmpty());  // the second part's stack is empty

    const auto parts = ChildElements(Body(Reparsed(s)));
    QCOMPARE(parts.size(), 2);
    QCOMPARE(parts[0].localName(), QString("First"));
    QCOMPARE(ChildElements(parts[0]).size(), 1);
    QCOMPARE(parts[1].localName(), QString("Second"));
    QCOMPARE(parts[1].prefix(), QString("m"));
    QCOMPARE(parts[1].namespaceURI(), QString("urn:b"));
    QCOMPARE(ChildElements(parts[1]).size(), 1);
    QCOMPARE(ChildElements(parts[1])[0].namespaceURI(), QString());
}

void TestSoapSender::elementBeforeBodyPart() {
    SOAPSender s;
    const QString empty = s.GetRequestString();
    s.BeginElement("zip", "urn:x");
    s.WriteText("1");
    s.AddAttribute("a", "", "1");
    s.WriteXml("<not closed");  // no current element: not even parsed
    s.EndElement();
    QCOMPARE(s.GetRequestString(), empty);

    // After the part ends, the element operations do nothing either.
    s.BeginBodyPart("P", "urn:x");
    s.EndBodyPart();
    const QString withPart = s.GetRequestString();
    s.BeginElement("zip", "urn:x");
    s.WriteText("1");
    s.EndElement();
    QCOMPARE(s.GetRequestString(), withPart);
}

void TestSoapSender::textIsEscaped() {
    SOAPSender s;
    s.BeginBodyPart("P", "urn:x");
    const QString text = "<b>bold</b> & \"quoted\" ]]> 'x'\r\nline";
    s.WriteText(text);
    const QDomElement part = ChildElements(Body(Reparsed(s))).at(0);
    QCOMPARE(ChildElements(part).size(), 0);
    QCOMPARE(part.text(), text);
}

void TestSoapSender::endElementErrors() {
    SOAPSender s;
    s.EndElement();  // outside a body part: no error
    s.BeginBodyPart("P", "urn:x");
    const QString before = s.GetRequestString();
    const QString error = ErrorOf([&] { s.EndElement(); });
    QVERIFY(error.contains("empty"));
    QCOMPARE(s.GetRequestString(), before);
    // No current element until the next body part.
    s.WriteText("lost");
    s.BeginElement("e", "urn:x");
    QCOMPARE(s.GetRequestString(), before);
    QVERIFY(!ErrorOf([&] { s.EndElement(); }).isEmpty());
    s.BeginBodyPart("Q", "urn:x");
    s.WriteText("kept");
    QCOMPARE(ChildElements(Body(Reparsed(s))).at(1).text(), QString("kept"));
}

void TestSoapSender::writeXml() {
    SOAPSender s;
    s.BeginBodyPart("P", "urn:x");
    s.BeginElement("value", "urn:x");
    s.WriteXml("<q:frag xmlns:q='urn:q' a='1'><q:in>1</q:in><plain/>text</q:frag>");
    s.WriteXml("<second/>");
    s.EndBodyPart();
    s.WriteBodyXml("<Header2 xmlns='urn:h'><item>2</item></Header2>");

    const auto body = ChildElements(Body(Reparsed(s)));
    QCOMPARE(body.size(), 2);
    const QDomElement value = ChildElements(body[0]).at(0);
    const auto inserted = ChildElements(value);
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted[0].localName(), QString("frag"));
    QCOMPARE(inserted[0].namespaceURI(), QString("urn:q"));
    QCOMPARE(inserted[0].attribute("a"), QString("1"));
    QCOMPARE(ChildElements(inserted[0]).at(0).namespaceURI(), QString("urn:q"));
    QCOMPARE(ChildElements(inserted[0]).at(1).namespaceURI(), QString());
    QCOMPARE(inserted[0].text(), QString("1text"));
    QCOMPARE(inserted[1].localName(), QString("second"));
    QCOMPARE(inserted[1].namespaceURI(), QString());
    QCOMPARE(body[1].namespaceURI(), QString("urn:h"));
    QCOMPARE(ChildElements(body[1]).at(0).namespaceURI(), QString("urn:h"));
}

void TestSoapSender::writeXmlErrors_data() {
    QTest::addColumn<QString>("xml");
    QTest::newRow("empty") << "";
    QTest::newRow("text only") << "just text";
    QTest::newRow("unclosed") << "<a><b></a>";
    QTest::newRow("two roots") << "<a/><b/>";
    QTest::newRow("unbound prefix") << "<p:a/>";
    QTest::newRow("dtd") << "<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>";
    QTest::newRow("undeclared entity") << "<a>&nbsp;</a>";
}

void TestSoapSender::writeXmlErrors() {
    QFETCH(QString, xml);
    SOAPSender s;
    QVERIFY(!ErrorOf([&] { s.WriteBodyXml(xml); }).isEmpty());
    s.BeginBodyPart("P", "urn:x");
    s.BeginElement("e", "urn:x");
    const QString before = s.GetRequestString();
    const QString error = ErrorOf([&] { s.WriteXml(xml); });
    QVERIFY(error.startsWith("SOAPSender: XML does not parse: "));
    QVERIFY(!ErrorOf([&] { s.WriteBodyXml(xml); }).isEmpty());
    QCOMPARE(s.GetRequestString(), before);
    // Still inside the element.
    s.WriteText("ok");
    s.EndElement();
    QCOMPARE(ChildElements(ChildElements(Body(Reparsed(s))).at(0)).at(0).text(), QString("ok"));
}

void TestSoapSender::attributes() {
    SOAPSender s;
    s.BeginBodyPart("P", "urn:x");
    s.AddAttribute("plain", "", "1 < 2 & \"3\"\tx");
    s.AddAttribute("xsi:type", "http://www.w3.org/2001/XMLSchema-instance", "xsd:string");
    s.AddAttribute("kind", "urn:attr", "a");  // a namespace but no prefix
    s.AddAttribute("plain", "", "replaced");
    s.AddAttribute("k:kind", "urn:attr", "b");  // same local name and namespace: replaced
    const QDomElement part = ChildElements(Body(Reparsed(s))).at(0);
    QCOMPARE(part.attribute("plain"), QString("replaced"));
    QCOMPARE(part.attributeNS("http://www.w3.org/2001/XMLSchema-instance", "type"),
             QString("xsd:string"));
    QCOMPARE(part.attributeNS("urn:attr", "kind"), QString("b"));
    QCOMPARE(part.attributes().size(), 3);

    s.BeginElement("e", "");
    s.AddAttribute("v", "", "1 < 2 & \"3\"\tx\r\n");
    const QDomElement e = ChildElements(ChildElements(Body(Reparsed(s))).at(0)).at(0);
    QCOMPARE(e.attribute("v"), QString("1 < 2 & \"3\"\tx\r\n"));
}

void TestSoapSender::namespacesSurviveWriting() {
    SOAPSender s;
    s.BeginBodyPart("Plain", "");  // no namespace, directly in the default-namespaced body
    s.BeginElement("a:x", "urn:one");
    s.BeginElement("a:y", "urn:two");         // same prefix, another namespace
    s.AddAttribute("a:z", "urn:three", "v");  // and a third on the same element
    s.EndElement();
    s.BeginElement("z", "urn:one");
    s.WriteXml("<v xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' xsi:type='xsd:int'>5</v>");

    const QString text = s.GetRequestString();
    const QDomElement plain = ChildElements(Body(Reparsed(s))).at(0);
    QCOMPARE(plain.namespaceURI(), QString());
    const QDomElement x = ChildElements(plain).at(0);
    QCOMPARE(x.namespaceURI(), QString("urn:one"));
    const QDomElement y = ChildElements(x).at(0);
    QCOMPARE(y.namespaceURI(), QString("urn:two"));
    QCOMPARE(y.attributeNS("urn:three", "z"), QString("v"));
    const QDomElement z = ChildElements(x).at(1);
    QCOMPARE(z.namespaceURI(), QString("urn:one"));
    QCOMPARE(ChildElements(z).at(0).namespaceURI(), QString());
    // The xsd prefix in the value resolves through the envelope's declaration.
    QVERIFY(text.contains("xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""));
    QVERIFY(text.contains("xsi:type=\"xsd:int\""));
}

void TestSoapSender::invalidNamesIgnored_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("nsUri");
    QTest::newRow("empty") << ""
                           << "urn:x";
    QTest::newRow("blank") << "a b"
                           << "urn:x";
    QTest::newRow("markup") << "a><evil/><b"
                            << "urn:x";
    QTest::newRow("digit first") << "1a"
                                 << "urn:x";
    QTest::newRow("two colons") << "a:b:c"
                                << "urn:x";
    QTest::newRow("prefix without namespace") << "p:a"
                                              << "";
    QTest::newRow("empty local name") << "p:"
                                      << "urn:x";
}

void TestSoapSender::invalidNamesIgnored() {
    QFETCH(QString, name);
    QFETCH(QString, nsUri);
    SOAPSender s;
    s.BeginBodyPart("P", "urn:x");
    const QString before = s.GetRequestString();
    s.BeginBodyPart(name, nsUri);
    s.BeginElement(name, nsUri);
    s.AddAttribute(name, nsUri, "v");
    QCOMPARE(s.GetRequestString(), before);
    s.WriteText("still in P");  // the part stays open and current
    QCOMPARE(ChildElements(Body(Reparsed(s))).at(0).text(), QString("still in P"));
}

void TestSoapSender::stack() {
    QDomDocument d;
    QDomElement a = d.createElement("a");
    QDomElement b = d.createElement("b");
    Stack st;
    QCOMPARE(st.Count(), qint16(0));
    QVERIFY(!ErrorOf([&] { st.Peek(); }).isEmpty());
    QVERIFY(!ErrorOf([&] { st.Pop(); }).isEmpty());
    st.Push(a);
    st.Push(b);
    QCOMPARE(st.Count(), qint16(2));
    QCOMPARE(st.Peek(), b);
    QCOMPARE(st.Count(), qint16(2));
    QCOMPARE(st.Pop(), b);
    QCOMPARE(st.Pop(), a);
    QCOMPARE(st.Count(), qint16(0));
    QVERIFY(ErrorOf([&] { st.Pop(); }).contains("empty"));
}

void TestSoapSender::send() {
    LoopbackHttpServer server;
    LoopbackHttpServer::Reply reply;
    reply.body = "<r>réponse 1</r>";
    reply.contentType = "text/xml; charset=utf-8";
    server.setReply(reply);

    SOAPSender s;
    s.setServiceUrl(QString("http://%1/service.asmx").arg(server.hostAndPort()));
    s.setSoapAction("urn:x#GetTemp");
    s.BeginBodyPart("GetTemp", "urn:x");
    s.BeginElement("city", "urn:x");
    s.WriteText("Zürich & Ōsaka");
    s.Send();

    auto seen = server.requests();
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].method, QHttpServerRequest::Method::Post);
    QCOMPARE(seen[0].url.path(), QString("/service.asmx"));
    QCOMPARE(seen[0].header("SOAPAction"), QByteArray("urn:x#GetTemp"));
    QCOMPARE(seen[0].header("Content-Type"), QByteArray("text/xml"));
    QCOMPARE(seen[0].body, s.GetRequestString().toUtf8());
    QCOMPARE(s.GetResponseString(), QString("<r>réponse 1</r>"));

    // The status is not looked at; the action goes out as stored, quotes and all.
    reply.status = 500;
    reply.body = "<soap:Fault/>";
    server.setReply(reply);
    s.setSoapAction("\"http://example.test/GetTemp\"");
    s.Send();
    seen = server.requests();
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[1].header("SOAPAction"), QByteArray("\"http://example.test/GetTemp\""));
    QCOMPARE(s.GetResponseString(), QString("<soap:Fault/>"));

    // A fresh envelope drops the body but keeps the last reply.
    s.CreateSOAPEnvelope();
    QCOMPARE(ChildElements(Body(Reparsed(s))).size(), 0);
    QCOMPARE(s.GetResponseString(), QString("<soap:Fault/>"));
    s.WriteText("nothing is open");
    QCOMPARE(ChildElements(Body(Reparsed(s))).size(), 0);
}

void TestSoapSender::sendFailures() {
    LoopbackHttpServer server;
    LoopbackHttpServer::Reply reply;
    reply.body = "first";
    server.setReply(reply);
    SOAPSender s;
    s.setServiceUrl(QString("http://%1/s").arg(server.hostAndPort()));
    s.Send();
    QCOMPARE(s.GetResponseString(), QString("first"));

    // Closed without an answer; over the size limit.
    reply.raw = "HTTP/1.1 200 OK\r\nContent-Length: 999\r\n\r\nshort";
    server.setReply(reply);
    s.Send();
    reply.raw.clear();
    reply.body = QByteArray(int(kHttpSizeLimit) + 1, 'x');
    server.setReply(reply);
    s.Send();
    QCOMPARE(server.requests().size(), 3);
    QCOMPARE(s.GetResponseString(), QString("first"));

    // Addresses and actions that are never sent.
    reply.body = "second";
    server.setReply(reply);
    for (const QString& url : {QString(), QString("not a url"), QString("file:///tmp/x"),
                               QString("ftp://%1/s").arg(server.hostAndPort())}) {
        s.setServiceUrl(url);
        s.Send();
    }
    s.setServiceUrl(QString("http://%1/s").arg(server.hostAndPort()));
    s.setSoapAction("a\r\nX-Injected: 1");
    s.Send();
    QCOMPARE(server.requests().size(), 3);
    QCOMPARE(s.GetResponseString(), QString("first"));

    s.setSoapAction("a");
    s.Send();
    QCOMPARE(s.GetResponseString(), QString("second"));
}

void TestSoapSender::sendNeverAnswered() {
    LoopbackHttpServer server;
    LoopbackHttpServer::Reply reply;
    reply.body = "first";
    server.setReply(reply);
    SOAPSender s;
    s.setServiceUrl(QString("http://%1/s").arg(server.hostAndPort()));
    s.Send();

    reply.silent = true;
    server.setReply(reply);
    QElapsedTimer clock;
    clock.start();
    s.Send();
    QVERIFY(clock.elapsed() >= kHttpTimeLimitMs - 100);
    QVERIFY(clock.elapsed() < kHttpTimeLimitMs + 2000);
    QCOMPARE(s.GetResponseString(), QString("first"));
}

HOROLET_TEST_MAIN(TestSoapSender)
#include "tst_soapsender.moc"
