#include "weather/Weather.h"

namespace horolet {

void UpdateWeather(bool showDebug) {
    // The exchange is added in the next change; callers can link against it meanwhile.
    (void)showDebug;
}

}  // namespace horolet
