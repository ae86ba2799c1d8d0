#pragma once

#include <stdexcept>

namespace horolet {

// The one error the SOAP request builder lets reach its caller.
class SoapError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace horolet
