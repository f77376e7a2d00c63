#pragma once

#include "FocusNeighbour.h"
#include "FocusRing.h"
#include "Platform/Host/Access/PageContents.h"
#include "Platform/UI/KeyPress.h"
#include "Platform/UI/PageScroller.h"

#include <QPainter>

#include <optional>
#include <string>

namespace platform {

class HostWindow;
class InputRouter;
class View;
class WebContentCache;

// The keyboard's reach into the page beyond the router's keys: Tab and
// Shift+Tab move the focus ring through the page's controls, tables and links
// (see FocusRing); Space and Enter activate what has the focus exactly as a
// click on it would; PageUp, PageDown, Home and End scroll the focused
// control's scroll view or the page's first one. A table is one stop: Up and
// Down (the router's keys) move its selected row, and Enter opens that row.
// In a grid of controls (see FocusNeighbour) the arrow keys move the focus.
// Every move of the focus, and every row the keys select, is announced to
// assistive technology.
//
// Lifetime: a member of the window, which outlives it.
class KeyboardFocus {
  public:
    KeyboardFocus(HostWindow& window, InputRouter& router, WebContentCache& web);

    // Takes the keys above; false for any other key, and for Space and Enter
    // while nothing has the focus (they keep their page-wide meaning then).
    // Space on a focused list with a selected row is the page's too: a list's
    // Space plays its row (the page's Play) where Enter opens it.
    bool keyPressed(const KeyPress& press);
    // Whether keyPressed takes `press` as the activation of the focused thing
    // (Space or Enter), before any window shortcut of the same key.
    bool takesActivationKey(const KeyPress& press);
    // After the router handled a key or a click: announces the row that is
    // now selected, when it changed.
    void afterRoutedInput();

    // The focused node of the page shown now, or none.
    std::optional<PageNode> focusedNode();
    // What assistive technology is told has the focus: the focused node, the
    // selected row for a focused table, or the row the arrow keys selected
    // while the ring is not shown; none otherwise.
    std::optional<PageNode> accessibleFocus();
    // Puts the focus on `node` (a stop of the shown page) and announces it.
    bool focusOn(const PageNode& node);
    // What a click on `node` does; for a table, opens its selected row (or
    // selects the first one). Returns the name of what took it.
    std::optional<std::string> activate(const PageNode& node);

    // Draws the ring around the focused node, if any.
    void paintRing(QPainter& painter, View& root);

  private:
    std::optional<PageContents> contents();
    void moveFocus(int step);
    void scroll(PageScroller::Step step);
    // An arrow key while the focus is in a grid; false when it is not.
    bool moveInGrid(FocusNeighbour::Direction direction);
    // What a grid scrolls by, beyond a control's height, to show the next row.
    static constexpr double kGridRowGap = 8;
    void announce(const PageContents& contents, const PageNode& node);

    HostWindow& m_window;
    InputRouter& m_router;
    WebContentCache& m_web;
    FocusRing m_ring;
    // The selected row last announced, to announce only changes.
    std::optional<PageNode> m_announcedRow;
};

}  // namespace platform
