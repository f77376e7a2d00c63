#pragma once

#include "Platform/UI/IndexPath.h"

#include <compare>
#include <cstddef>
#include <cstdint>

namespace platform {

// One thing of the shown page that the keyboard can reach or assistive
// technology can read: a part of the navigation bar, a view, a table row or a
// link of a web view. A node names its thing by address and index only; it
// never follows the address. PageContents finds the live thing again (or
// finds it gone) every time it is asked, so a node may outlive what it names.
struct PageNode {
    enum class Kind {
        kBarTitle,
        kBack,
        kLeftBarButton,
        kRightBarButton,
        kView,
        kRow,
        kLink,
        kSectionHeading  // of a table's section (row.section), before its rows
    };

    // The node of `subject`: the view (kView), the table (kRow), the web view
    // (kLink) or the page whose navigation item the bar shows (bar parts).
    static PageNode of(Kind kind, const void* subject, IndexPath row = {}, std::size_t link = 0) {
        return {kind, reinterpret_cast<std::uintptr_t>(subject), row, link};
    }

    Kind kind = Kind::kView;
    // The subject's address as a number: nodes are ordered and compared, and
    // unrelated pointers have no order of their own.
    std::uintptr_t subject = 0;
    IndexPath row{};       // kRow, and kSectionHeading (its section)
    std::size_t link = 0;  // kLink only

    bool operator==(const PageNode&) const = default;
    auto operator<=>(const PageNode&) const = default;
};

}  // namespace platform
