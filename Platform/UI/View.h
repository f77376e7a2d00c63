#pragma once

#include "AnimationEasing.h"
#include "Object.h"
#include "Platform/Graphics/Color.h"
#include "Platform/Graphics/Geometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

template <class T>
class LayoutAttributes;

// A node of the retained UI model. Owns its subviews (in order, back to front);
// the superview link does not own and is cleared when the superview goes.
//
// Frame and alpha have a model value (what was last set) and a presentation
// value (what the screen shows at this instant). Outside an animation block both
// change at once. Inside a block, a change sets the model value at once and the
// presentation value moves from what it shows now to the new value over the
// block's duration, on the main run loop's clock.
struct WindowCommand;

class View : public Object {
  public:
    View();
    explicit View(Rect frame);
    ~View() override;

    // The layout type name ("View", "Label", ...), used by the host and in logs.
    virtual std::string_view typeName() const { return "View"; }
    // The attributes every view takes in layouts (id, frame, alpha, ...).
    static void describeLayoutAttributes(LayoutAttributes<View>& attributes);

    Rect frame() const { return m_frame; }
    void setFrame(Rect frame);
    Rect bounds() const { return {0, 0, m_frame.width, m_frame.height}; }
    double alpha() const { return m_alpha; }
    void setAlpha(double alpha);
    Rect presentationFrame() const;
    double presentationAlpha() const;
    // Takes over `other`'s alpha together with the fade it is in (the same target,
    // start, duration and curve), so a view that stands in for another one (a
    // page's view loaded again) shows at every instant what the other would.
    void adoptAlphaOf(const View& other);
    // True while a frame or alpha animation of this view has not reached its end.
    bool isAnimating() const;

    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    const std::optional<Color>& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(std::optional<Color> color) { m_backgroundColor = color; }
    bool clipsToBounds() const { return m_clipsToBounds; }
    void setClipsToBounds(bool clips) { m_clipsToBounds = clips; }
    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }

    // A name for assistive technology and for tests ("Back", "Done").
    const std::string& accessibilityName() const { return m_accessibilityName; }
    void setAccessibilityName(std::string name) { m_accessibilityName = std::move(name); }
    // What assistive technology reads for the view when it should say more than
    // its name ("Play Air Horn" for the button named "Play"); empty: the name.
    const std::string& accessibilityLabel() const {
        return m_accessibilityLabel.empty() ? m_accessibilityName : m_accessibilityLabel;
    }
    void setAccessibilityLabel(std::string label) { m_accessibilityLabel = std::move(label); }
    // The id a layout gave the view; empty when made by code.
    const std::string& layoutId() const { return m_layoutId; }
    void setLayoutId(std::string id) { m_layoutId = std::move(id); }

    const std::vector<std::shared_ptr<View>>& subviews() const { return m_subviews; }
    View* superview() const { return m_superview; }
    // Removes `view` from its old superview first. Adding an ancestor is ignored.
    void addSubview(std::shared_ptr<View> view);
    void removeFromSuperview();
    // Depth-first search by layoutId or accessibilityName, this view included.
    std::shared_ptr<View> findView(std::string_view idOrName);

    // The deepest visible, interactive view under `point` (in this view's
    // coordinates, presentation geometry), or nullptr.
    View* hitTest(Point point);
    // Converts a point in this view's coordinates to the coordinates of `ancestor`
    // (nullptr: the root of the tree).
    Point convertPointToAncestor(Point point, const View* ancestor) const;

    // The origin of this view's content in its own coordinates: subviews sit at
    // their frame minus it. Zero for plain views; a scroll view's content offset.
    virtual Point boundsOrigin() const { return {}; }

    // A tap at `point` (this view's coordinates) delivered by the host or a test.
    // Controls override it; a plain view ignores it.
    virtual void tapAt(Point point);
    // Whether tapAt does something (controls, tables). A tap that lands on a view
    // that does not take taps goes to its nearest ancestor that does.
    virtual bool acceptsTaps() const { return false; }
    // A user's tap at `point` in this view's coordinates, as the host delivers it:
    // finds the view under the point (hitTest), then the first view from there up
    // to this one that takes taps, and calls its tapAt in its own coordinates.
    // Returns whether some view took the tap. The tap may release this tree.
    bool deliverTap(Point point);

    // What a right click (or the keyboard's menu key) at `point` (this view's
    // coordinates) offers: the commands of a context menu. Empty (the base):
    // this view offers none, and the host asks its superview.
    virtual std::vector<WindowCommand> contextCommands(Point point);

    // Called when the model frame's size changes; views that place their
    // subviews themselves (cells, tables) override it.
    virtual void layoutSubviews() {}
    // Brings lazily built content up to date (a table asks its data source the
    // first time), then does the same for every subview. The host calls it on
    // the window before drawing; tests call it to stand in for the first display.
    virtual void layoutIfNeeded();

    // Animation blocks. Blocks may nest; the outermost commit starts the changes.
    static void beginAnimations(std::string name, void* context);
    static void setAnimationCurve(int curve);
    static void setAnimationDuration(double seconds);
    static void commitAnimations();
    // The instant (main run loop clock) when the last committed animation ends;
    // the host keeps drawing frames until then.
    static double animationsEndTime();
    // Runs `changes` with animation blocks suspended: frame and alpha changes
    // made inside take effect at once even when a block is open.
    static void performWithoutAnimation(const std::function<void()>& changes);

  private:
    struct Animation;
    bool isTreeAncestorOf(const View* view) const;
    Rect m_frame{};
    double m_alpha = 1.0;
    std::unique_ptr<Animation> m_frameAnimation;
    std::unique_ptr<Animation> m_alphaAnimation;
    bool m_hidden = false;
    bool m_clipsToBounds = false;
    bool m_userInteractionEnabled = true;
    std::optional<Color> m_backgroundColor;
    std::string m_accessibilityName;
    std::string m_accessibilityLabel;
    std::string m_layoutId;
    std::vector<std::shared_ptr<View>> m_subviews;
    View* m_superview = nullptr;  // cleared by the superview's destructor and removal
};

}  // namespace platform
