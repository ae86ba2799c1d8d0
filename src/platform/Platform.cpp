#include "platform/Platform.h"

#include "platform/LinuxPlatform.h"

namespace horolet {

namespace {
std::unique_ptr<Platform>& current() {
    static std::unique_ptr<Platform> p;
    return p;
}
}  // namespace

QSize Platform::primaryScreenTwips() const {
    const QRect r = screenMetrics().primary;
    return {r.width() * twipsPerPixelX(), r.height() * twipsPerPixelY()};
}

Platform& platform() {
    auto& p = current();
    if (!p) p = std::make_unique<LinuxPlatform>();
    return *p;
}

std::unique_ptr<Platform> installPlatform(std::unique_ptr<Platform> p) {
    std::swap(current(), p);
    return p;
}

}  // namespace horolet
