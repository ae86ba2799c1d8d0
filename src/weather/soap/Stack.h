#pragma once

#include <QDomElement>
#include <QList>

namespace horolet {

// Last in, first out list of elements: the open parents while a request is built.
class Stack final {
public:
    void Push(const QDomElement& elem) { m_oItems.append(elem); }
    // Both throw SoapError on an empty stack.
    QDomElement Peek() const;
    QDomElement Pop();
    qint16 Count() const { return qint16(m_oItems.size()); }

private:
    QList<QDomElement> m_oItems;
};

}  // namespace horolet
