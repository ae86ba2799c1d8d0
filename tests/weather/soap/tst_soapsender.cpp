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

// The child elements of the request's Body (or of `parent`), read back by an independent
// parser with namespaces. Every parse is kept alive for the elements taken from it.
QList<QDomElement> Children(const SOAPSender& s, QDomElement parent = {}) {
    static QList<QDomDocument> parsed;
    if (parent.isNull()) {
        QDomDocument& d = parsed.emplace_back();
        QString error;
        if (!d.setContent(s.GetRequestString(), true, &error))
            qFatal("request does not parse: %s", qPrintable(error));
        parent = d.documentElement().firstChildElement();
    }
    QList<QDomElement> out;
    for (QDomElement c = parent.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
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
    void nothingOpen();
    void writeXml();
    void writeXmlErrors_data();
    void writeXmlErrors();
    void attributesAndNamespaces();
    void invalidNamesIgnored_data();
    void invalidNamesIgnored();
    void stack();
    void send();
    void sendFailures();
};

void TestSoapSender::emptyEnvelope() {
    SOAPSender s;
    QCOMPARE(s.GetResponseString(), QString());
    const QString text = s.GetRequestString();
    QVERIFY(!text.startsWith("<?xml"));

    // Three declarations on the root, the body in the envelope namespace by its own
    // default declaration.
    QXmlStreamReader r(text);
    QVERIFY(r.readNextStartElement());
    QCOMPARE(r.name().toString(), QString("Envelope"));
    QCOMPARE(r.prefix().toString(), QString("soap"));
    QCOMPARE(r.namespaceUri().toString(), kEnv);
    QHash<QString, QString> decls;
    for (const auto& d : r.namespaceDeclarations())
        decls.insert(d.prefix().toString(), d.namespaceUri().toString());
    QCOMPARE(decls, (QHash<QString, QString>{{"xsi", "http://www.w3.org/2001/XMLSchema-instance"},
                                             {"xsd", "http://www.w3.org/2001/XMLSchema"},
                                             {"soap", kEnv}}));
    QVERIFY(r.readNextStartElement());
    QCOMPARE(r.name().toString(), QString("Body"));
    QCOMPARE(r.prefix().toString(), QString());
    QCOMPARE(r.namespaceUri().toString(), kEnv);
    QVERIFY(!r.readNextStartElement());
    QVERIFY(!r.hasError());
}

void TestSoapSender::getTempExample() {
    SOAPSender s;
    s.BeginBodyPart("GetTemp", "urn:x");
    s.BeginElement("zip", "urn:x");
    s.WriteText("72210");
    s.EndElement();
    auto parts = Children(s);
    QCOMPARE(parts.size(), 1);
    QCOMPARE(parts[0].localName(), QString("GetTemp"));
    QCOMPARE(parts[0].namespaceURI(), QString("urn:x"));
    const auto children = Children(s, parts[0]);
    QCOMPARE(children.size(), 1);
    QCOMPARE(children[0].localName(), QString("zip"));
    QCOMPARE(children[0].namespaceURI(), QString("urn:x"));
    QCOMPARE(children[0].text(), QString("72210"));

    // The part is current again: its whole content is replaced, markup escaped.
    const QString text = "<b>bold</b> & \"quoted\" ]]> 'x'\r\nline";
    s.WriteText(text);
    parts = Children(s);
    QCOMPARE(parts[0].childNodes().size(), 1);
    QCOMPARE(parts[0].text(), text);
}

void TestSoapSender::twoBodyParts() {
    SOAPSender s;
    s.BeginBodyPart("First", "urn:a");
    s.BeginElement("inner", "urn:a");
    s.BeginBodyPart("m:Second", "urn:b");  // closes the first part
    s.BeginElement("x", "");
    s.EndElement();
    QVERIFY(!ErrorOf([&] { s.EndElement(); }).isEmpty());  // the second part's stack is empty

    const auto parts = Children(s);
    QCOMPARE(parts.size(), 2);
    QCOMPARE(Children(s, parts[0]).size(), 1);
    QCOMPARE(parts[1].prefix(), QString("m"));
    QCOMPARE(parts[1].namespaceURI(), QString("urn:b"));
    QCOMPARE(Children(s, parts[1]).at(0).namespaceURI(), QString());
}

void TestSoapSender::nothingOpen() {
    SOAPSender s;
    const QString empty = s.GetRequestString();
    s.BeginElement("zip", "urn:x");
    s.WriteText("1");
    s.AddAttribute("a", "", "1");
    s.WriteXml("<not closed");  // no current element: not even parsed
    s.EndElement();             // outside a body part: no error
    QCOMPARE(s.GetRequestString(), empty);

    // An EndElement error leaves the document as it was and nothing current until the
    // next body part.
    s.BeginBodyPart("P", "urn:x");
    const QString before = s.GetRequestString();
    QVERIFY(ErrorOf([&] { s.EndElement(); }).contains("empty"));
    s.WriteText("lost");
    s.BeginElement("e", "urn:x");
    QCOMPARE(s.GetRequestString(), before);
    s.BeginBodyPart("Q", "urn:x");
    s.WriteText("kept");
    QCOMPARE(Children(s).at(1).text(), QString("kept"));
}

void TestSoapSender::writeXml() {
    SOAPSender s;
    s.BeginBodyPart("P", "urn:x");
    s.BeginElement("value", "urn:x");
    s.WriteXml("<q:frag xmlns:q='urn:q' a='1'><q:in>1</q:in><plain/>text</q:frag>");
    s.EndBodyPart();
    s.WriteBodyXml("<Header2 xmlns='urn:h'><item>2</item></Header2>");

    const auto body = Children(s);
    QCOMPARE(body.size(), 2);
    const QDomElement frag = Children(s, Children(s, body[0]).at(0)).at(0);
    QCOMPARE(frag.namespaceURI(), QString("urn:q"));
    QCOMPARE(frag.attribute("a"), QString("1"));
    QCOMPARE(Children(s, frag).at(0).namespaceURI(), QString("urn:q"));
    QCOMPARE(Children(s, frag).at(1).namespaceURI(), QString());
    QCOMPARE(frag.text(), QString("1text"));
    QCOMPARE(Children(s, body[1]).at(0).namespaceURI(), QString("urn:h"));
}

void TestSoapSender::writeXmlErrors_data() {
    QTest::addColumn<QString>("xml");
    QTest::newRow("text only") << "just text";
    QTest::newRow("unclosed") << "<a><b></a>";
    QTest::newRow("unbound prefix") << "<p:a/>";
    QTest::newRow("dtd") << "<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>";
}

void TestSoapSender::writeXmlErrors() {
    QFETCH(QString, xml);
    SOAPSender s;
    s.BeginBodyPart("P", "urn:x");
    s.BeginElement("e", "urn:x");
    const QString before = s.GetRequestString();
    QVERIFY(ErrorOf([&] { s.WriteXml(xml); }).startsWith("SOAPSender: XML does not parse: "));
    QVERIFY(!ErrorOf([&] { s.WriteBodyXml(xml); }).isEmpty());
    QCOMPARE(s.GetRequestString(), before);
    s.WriteText("ok");  // still inside the element
    s.EndElement();
    QCOMPARE(Children(s, Children(s).at(0)).at(0).text(), QString("ok"));
}

void TestSoapSender::attributesAndNamespaces() {
    SOAPSender s;
    s.BeginBodyPart("Plain", "");  // no namespace, directly in the default-namespaced body
    s.AddAttribute("plain", "", "1 < 2 & \"3\"\tx\r\n");
    s.AddAttribute("kind", "urn:attr", "a");    // a namespace but no prefix
    s.AddAttribute("k:kind", "urn:attr", "b");  // same local name and namespace: replaced
    s.BeginElement("a:x", "urn:one");
    s.BeginElement("a:y", "urn:two");         // same prefix, another namespace
    s.AddAttribute("a:z", "urn:three", "v");  // and a third on the same element
    s.EndElement();
    s.WriteXml("<v xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' xsi:type='xsd:int'>5</v>");

    const QDomElement plain = Children(s).at(0);
    QCOMPARE(plain.namespaceURI(), QString());
    QCOMPARE(plain.attribute("plain"), QString("1 < 2 & \"3\"\tx\r\n"));
    QCOMPARE(plain.attributeNS("urn:attr", "kind"), QString("b"));
    QCOMPARE(plain.attributes().size(), 2);
    const QDomElement x = Children(s, plain).at(0);
    QCOMPARE(x.namespaceURI(), QString("urn:one"));
    const QDomElement y = Children(s, x).at(0);
    QCOMPARE(y.namespaceURI(), QString("urn:two"));
    QCOMPARE(y.attributeNS("urn:three", "z"), QString("v"));
    QCOMPARE(Children(s, x).at(1).namespaceURI(), QString());
    // The xsd prefix in the value resolves through the envelope's declaration.
    QVERIFY(s.GetRequestString().contains("xsi:type=\"xsd:int\""));
}

void TestSoapSender::invalidNamesIgnored_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("nsUri");
    QTest::newRow("empty") << ""
                           << "urn:x";
    QTest::newRow("markup") << "a><evil/><b"
                            << "urn:x";
    QTest::newRow("two colons") << "a:b:c"
                                << "urn:x";
    QTest::newRow("prefix without namespace") << "p:a"
                                              << "";
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
    QCOMPARE(Children(s).at(0).text(), QString("still in P"));
}

void TestSoapSender::stack() {
    QDomDocument d;
    QDomElement a = d.createElement("a");
    QDomElement b = d.createElement("b");
    Stack st;
    QVERIFY(ErrorOf([&] { st.Peek(); }).contains("empty"));
    QVERIFY(ErrorOf([&] { st.Pop(); }).contains("empty"));
    st.Push(a);
    st.Push(b);
    QCOMPARE(st.Peek(), b);
    QCOMPARE(st.Count(), qint16(2));
    QCOMPARE(st.Pop(), b);
    QCOMPARE(st.Pop(), a);
    QCOMPARE(st.Count(), qint16(0));
}

void TestSoapSender::send() {
    LoopbackHttpServer server;
    LoopbackHttpServer::Reply reply;
    reply.body = "<r>réponse 1</r>";
    reply.contentType = "text/xml; charset=utf-8";
    server.setReply(reply);

    SOAPSender s;
    s.setServiceUrl(QString("http://%1/service.asmx").arg(server.hostAndPort()));
    s.setSoapAction("\"http://example.test/GetTemp\"");
    s.BeginBodyPart("GetTemp", "urn:x");
    s.WriteText("Zürich & Ōsaka");
    s.Send();

    const auto seen = server.requests();
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].method, QHttpServerRequest::Method::Post);
    QCOMPARE(seen[0].url.path(), QString("/service.asmx"));
    QCOMPARE(seen[0].header("SOAPAction"), QByteArray("\"http://example.test/GetTemp\""));
    QCOMPARE(seen[0].header("Content-Type"), QByteArray("text/xml"));
    QCOMPARE(seen[0].body, s.GetRequestString().toUtf8());
    QCOMPARE(s.GetResponseString(), QString("<r>réponse 1</r>"));

    // The status is not looked at.
    reply.status = 500;
    reply.body = "<soap:Fault/>";
    server.setReply(reply);
    s.Send();
    QCOMPARE(s.GetResponseString(), QString("<soap:Fault/>"));

    // A fresh envelope drops the body but keeps the last reply.
    s.CreateSOAPEnvelope();
    s.WriteText("nothing is open");
    QCOMPARE(Children(s).size(), 0);
    QCOMPARE(s.GetResponseString(), QString("<soap:Fault/>"));
}

void TestSoapSender::sendFailures() {
    LoopbackHttpServer server;
    LoopbackHttpServer::Reply reply;
    reply.body = "first";
    server.setReply(reply);
    SOAPSender s;
    const QString url = QString("http://%1/s").arg(server.hostAndPort());
    s.setServiceUrl(url);
    s.Send();

    // Closed without an answer; over the size limit; never answered.
    reply.raw = "HTTP/1.1 200 OK\r\nContent-Length: 999\r\n\r\nshort";
    server.setReply(reply);
    s.Send();
    reply.raw.clear();
    reply.body = QByteArray(int(kHttpSizeLimit) + 1, 'x');
    server.setReply(reply);
    s.Send();
    reply.silent = true;
    server.setReply(reply);
    QElapsedTimer clock;
    clock.start();
    s.Send();
    QVERIFY(clock.elapsed() >= kHttpTimeLimitMs - 100);
    QVERIFY(clock.elapsed() < kHttpTimeLimitMs + 2000);
    QCOMPARE(server.requests().size(), 4);
    QCOMPARE(s.GetResponseString(), QString("first"));

    // Addresses and actions that are never sent.
    reply = {};
    reply.body = "second";
    server.setReply(reply);
    for (const QString& bad : {QString("not a url"), QString("file:///tmp/x"),
                               QString("ftp://%1/s").arg(server.hostAndPort())}) {
        s.setServiceUrl(bad);
        s.Send();
    }
    s.setServiceUrl(url);
    s.setSoapAction("a\r\nX-Injected: 1");
    s.Send();
    QCOMPARE(server.requests().size(), 4);
    QCOMPARE(s.GetResponseString(), QString("first"));
    s.setSoapAction("a");
    s.Send();
    QCOMPARE(s.GetResponseString(), QString("second"));
}

HOROLET_TEST_MAIN(TestSoapSender)
#include "tst_soapsender.moc"
