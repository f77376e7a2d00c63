#include "ScreenshotTour.h"

#include <cmath>
#include <utility>

namespace platform {
namespace {

ScreenshotTour& sharedTour() {
    static ScreenshotTour tour;
    return tour;
}

}  // namespace

ScreenshotTour& ScreenshotTour::add(ScreenshotStep step) {
    m_steps.push_back(std::move(step));
    return *this;
}

ScreenshotTour& ScreenshotTour::tapBarButton(ScreenshotStep::BarButton button) {
    ScreenshotStep step;
    step.kind = ScreenshotStep::Kind::kTapBarButton;
    step.barButton = button;
    return add(std::move(step));
}

ScreenshotTour& ScreenshotTour::tapFirstRow() {
    ScreenshotStep step;
    step.kind = ScreenshotStep::Kind::kTapFirstRow;
    return add(std::move(step));
}

ScreenshotTour& ScreenshotTour::tapControl(std::string accessibilityName) {
    ScreenshotStep step;
    step.kind = ScreenshotStep::Kind::kTapControl;
    step.name = std::move(accessibilityName);
    return add(std::move(step));
}

ScreenshotTour& ScreenshotTour::expectDepth(std::size_t depth, std::string purpose) {
    ScreenshotStep step;
    step.kind = ScreenshotStep::Kind::kExpectDepth;
    step.depth = depth;
    step.name = std::move(purpose);
    return add(std::move(step));
}

ScreenshotTour& ScreenshotTour::wait(double seconds) {
    ScreenshotStep step;
    step.kind = ScreenshotStep::Kind::kWait;
    step.seconds = seconds;
    return add(std::move(step));
}

ScreenshotTour& ScreenshotTour::capture(std::string pictureName, double scale) {
    ScreenshotStep step;
    step.kind = ScreenshotStep::Kind::kCapture;
    step.name = std::move(pictureName);
    step.scale = scale > 0 && std::isfinite(scale) ? scale : 1.0;
    return add(std::move(step));
}

ScreenshotTour& ScreenshotTour::runCommand(std::string title) {
    ScreenshotStep step;
    step.kind = ScreenshotStep::Kind::kRunCommand;
    step.name = std::move(title);
    return add(std::move(step));
}

ScreenshotTour& ScreenshotTour::type(std::string text) {
    ScreenshotStep step;
    step.kind = ScreenshotStep::Kind::kType;
    step.name = std::move(text);
    return add(std::move(step));
}

std::vector<std::string> ScreenshotTour::pictureNames() const {
    std::vector<std::string> names;
    for (const auto& step : m_steps) {
        if (step.kind == ScreenshotStep::Kind::kCapture) names.push_back(step.name);
    }
    return names;
}

const ScreenshotTour& ScreenshotTour::applicationTour() {
    return sharedTour();
}

void ScreenshotTour::setApplicationTour(ScreenshotTour tour) {
    sharedTour() = std::move(tour);
}

}  // namespace platform
