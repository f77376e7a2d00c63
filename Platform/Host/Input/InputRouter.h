#pragma once

#include "Platform/UI/ScrollView.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/View.h"

#include <QPointF>

#include <memory>
#include <optional>
#include <string>

namespace platform {

class WebContentCache;

// Turns the user's input into model events. Points are in the window's
// coordinates, which are the root view's. Every call may change or release
// parts of the model; callers keep the root alive across it.
class InputRouter {
  public:
    explicit InputRouter(WebContentCache& web) : m_web(web) {}

    // A click: a navigation bar's back or bar button, a link of a web view, or
    // whatever view takes the tap there (controls, table rows). Returns the
    // accessibility name of what took it, or none when nothing did.
    std::optional<std::string> tap(View& root, QPointF point);

    // The scroll view that a wheel turn or a drag starting at `point` moves.
    std::shared_ptr<ScrollView> scrollViewAt(View& root, QPointF point);

    // kBack first lets the top page close what it shows over itself
    // (ViewController::cancelOperation), then pops it.
    enum class Key { kUp, kDown, kOpen, kBack };
    // A key press aimed at the top page of the outermost navigation stack.
    // kOpen opens the selected row of its list; on a page whose keys type into
    // a field, with no row selected, the first row.
    // Returns the accessibility name of what now has the focus (the selected
    // row's text, the control pressed), or none when the key did nothing.
    std::optional<std::string> key(View& root, Key key);

    // The view of the top page of the outermost navigation stack, or null.
    static View* topPageView(View& root);
    // The first visible table in `view`'s tree (depth first), or null.
    static std::shared_ptr<TableView> firstTable(View& view);

  private:
    static std::optional<std::string> tapBar(View& root, QPointF point, bool& onBar);
    static std::optional<IndexPath> neighbourRow(const TableView& table,
                                                 std::optional<IndexPath> from, int step);
    WebContentCache& m_web;
};

}  // namespace platform
