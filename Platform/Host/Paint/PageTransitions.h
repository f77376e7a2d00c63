#pragma once

#include "Platform/UI/NavigationController.h"

#include <QImage>
#include <QRectF>

#include <map>
#include <memory>
#include <optional>

namespace platform {

// The slide of a push or pop. The model swaps pages at once; the host keeps a
// picture of the page that left (taken from the previous frame) and slides it
// out while the new page slides in.
class PageTransitions {
  public:
    static constexpr double kDuration = 0.35;

    struct Slide {
        double progress = 1.0;  // eased, 0 to 1
        int direction = 0;      // +1 push (from the right), -1 pop (from the left)
        const QImage* outgoing = nullptr;
    };

    // Looks at the stack's last transition before a frame is drawn. A new,
    // animated one starts a slide, with the outgoing page cut from
    // `previousFrame` at `pageArea` (window coordinates).
    void observe(const NavigationController& stack, const QImage& previousFrame,
                 const QRectF& pageArea, double now);
    // The slide of `stack` at `now`, when one runs.
    std::optional<Slide> slideFor(const NavigationController& stack, double now) const;
    bool isRunning(double now) const;
    // Whether the stack's last push or pop still slides at `now`, from the model
    // alone: it holds from the push or pop itself, before any frame is drawn.
    static bool isSliding(const NavigationController& stack, double now);

  private:
    struct State {
        std::weak_ptr<const Object> owner;
        int direction = 0;
        double startTime = 0;
        bool seen = false;
        QImage outgoing;
    };
    std::map<const NavigationController*, State> m_states;
};

}  // namespace platform
