#include "weather/ZipCode.h"

#include "app/Globals.h"
#include "platform/Platform.h"

#include <algorithm>

namespace horolet {

bool ZipCodeAcceptable(const QString& text) {
    return text.size() == 5 &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

void ZipCodeLostFocus(const QString& text) {
    if (!ZipCodeAcceptable(text)) {
        platform().messageBox(QStringLiteral("Invalid zip code. Must be exactly 5 digits!\r\n\r\n"
                                             "Please fix this or you won't get the updated "
                                             "temperature."),
                              MsgIcon::Critical, QStringLiteral("Error in Zip Code"));
        return;
    }
    App().ZipCode = text;
}

}  // namespace horolet
