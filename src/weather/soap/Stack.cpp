#include "weather/soap/Stack.h"

#include "weather/soap/SoapError.h"

namespace horolet {

QDomElement Stack::Peek() const {
    if (m_oItems.isEmpty()) throw SoapError("Stack::Peek: the stack is empty");
    return m_oItems.last();
}

QDomElement Stack::Pop() {
    if (m_oItems.isEmpty()) throw SoapError("Stack::Pop: the stack is empty");
    return m_oItems.takeLast();
}

}  // namespace horolet
