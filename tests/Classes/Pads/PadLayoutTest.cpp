// The pads page's geometry: columns for the width, blocks one under another,
// and the band search that finds exactly the titles and pads a view shows.

#include "Classes/Pads/PadLayout.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

using platform::Rect;

bool overlaps(const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

TEST(PadLayoutTest, ColumnsFollowTheWidthAndPadsStayInside) {
    const struct {
        double width;
        int columns;
    } widths[] = {{0, 1}, {-5, 1}, {90, 1}, {200, 1}, {210, 2}, {320, 3}, {640, 6}};
    for (const auto& width : widths) {
        SCOPED_TRACE(width.width);
        const PadLayout layout({5, 0, 7}, width.width);
        EXPECT_EQ(layout.columns(), width.columns);
        if (width.width < 90) continue;
        std::vector<Rect> pads;
        for (int block = 0; block < 3; ++block) {
            for (int index = 0; index < 7; ++index) {
                const Rect pad = layout.padRect(block, index);
                if (pad.width == 0) continue;
                EXPECT_GE(pad.x, 0);
                EXPECT_LE(pad.x + pad.width, width.width + 1e-6) << "never past the width";
                EXPECT_FALSE(overlaps(pad, layout.titleRect(block)));
                for (const Rect& other : pads) EXPECT_FALSE(overlaps(pad, other));
                pads.push_back(pad);
            }
        }
        EXPECT_EQ(pads.size(), 12u) << "an empty block has no pads";
        EXPECT_GE(layout.contentHeight(), pads.back().y + pads.back().height);
    }
}

TEST(PadLayoutTest, OutOfRangeGivesNothing) {
    const PadLayout layout({2}, 320);
    const Rect none{};
    EXPECT_EQ(layout.padRect(0, 2), none);
    EXPECT_EQ(layout.padRect(0, -1), none);
    EXPECT_EQ(layout.padRect(1, 0), none);
    EXPECT_EQ(layout.titleRect(-1), none);
    int calls = 0;
    layout.forEachIn(
        50, 10, [&](int) { ++calls; }, [&](int, int) { ++calls; });
    EXPECT_EQ(calls, 0) << "an empty band";
}

TEST(PadLayoutTest, ABandFindsExactlyWhatMeetsIt) {
    const PadLayout layout({10, 0, 1, 10000, 3}, 320);
    const double bands[][2] = {
        {0, 436},         {150, 300}, {500, 936},
        {300000, 300436}, {-50, 20},  {layout.contentHeight() - 200, layout.contentHeight() + 50}};
    for (const auto& band : bands) {
        SCOPED_TRACE(band[0]);
        std::set<int> titles;
        std::set<std::pair<int, int>> pads;
        layout.forEachIn(
            band[0], band[1], [&](int block) { titles.insert(block); },
            [&](int block, int index) {
                pads.insert({block, index});
            });
        const auto meets = [&](const Rect& r) { return r.y < band[1] && r.y + r.height > band[0]; };
        const int sizes[] = {10, 0, 1, 10000, 3};
        for (int block = 0; block < 5; ++block) {
            EXPECT_EQ(titles.count(block) == 1, meets(layout.titleRect(block))) << block;
            for (int index = 0; index < sizes[block]; ++index) {
                ASSERT_EQ(pads.count({block, index}) == 1, meets(layout.padRect(block, index)))
                    << block << "/" << index;
            }
        }
        EXPECT_LT(pads.size(), 40u) << "a screenful, whatever the board holds";
    }
}

}  // namespace
