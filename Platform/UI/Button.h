#pragma once

#include "Action.h"
#include "Platform/Graphics/Image.h"
#include "View.h"

#include <cstdint>

namespace platform {

template <class T>
class LayoutAttributes;

// A push button: a title or an image; a tap inside it runs its action.
class Button : public View {
  public:
    using View::View;
    std::string_view typeName() const override { return "Button"; }

    // The attributes layouts may give this type beyond those of every view.
    static void describeLayoutAttributes(LayoutAttributes<Button>& attributes);

    const std::string& title() const { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }
    const std::shared_ptr<Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<Image> image) { m_image = std::move(image); }
    // "rounded" (default), "info" (the round info glyph) or "custom" (image only).
    const std::string& style() const { return m_style; }
    void setStyle(std::string style) { m_style = std::move(style); }

    void setAction(Action action) { m_action = std::move(action); }
    const Action& action() const { return m_action; }
    // A tap: runs the action when the button is enabled.
    void sendActions() {
        if (m_enabled) m_action();
    }
    void tapAt(Point) override { sendActions(); }
    // A disabled button still takes the tap (and does nothing), as it covers what is behind it.
    bool acceptsTaps() const override { return true; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    // What assistive technology reads after the button's name (a pad's
    // category and mark); the host adds whether the button's sound plays now.
    // Empty: the title, where it differs from the name.
    const std::string& accessibilityDescription() const { return m_accessibilityDescription; }
    void setAccessibilityDescription(std::string text) {
        m_accessibilityDescription = std::move(text);
    }

    // The system sound this button plays (its id), so the host can show that
    // sound's progress on it while it plays; 0 for a button that plays none.
    std::uint32_t playbackSound() const { return m_playbackSound; }
    void setPlaybackSound(std::uint32_t soundID) { m_playbackSound = soundID; }

  private:
    std::string m_title;
    std::shared_ptr<Image> m_image;
    std::string m_style = "rounded";
    std::string m_accessibilityDescription;
    Action m_action;
    bool m_enabled = true;
    std::uint32_t m_playbackSound = 0;
};

}  // namespace platform
