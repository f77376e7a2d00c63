#include "Classes/Pads/PadGrid.h"

#include "Classes/Pads/PadButton.h"

#include <set>

namespace {

constexpr platform::Color kTitleColour{0.2f, 0.2f, 0.25f, 1.0f};
constexpr platform::Color kPadColour{0.93f, 0.95f, 1.0f, 1.0f};
constexpr platform::Color kMarkedPadColour{1.0f, 0.91f, 0.93f, 1.0f};
constexpr double kLabelInset = 6;

// Long labels wrap onto more lines in a smaller type, never past the pad.
double labelSize(std::size_t length) {
    if (length <= 12) return 15;
    if (length <= 24) return 13;
    return 11;
}

}  // namespace

PadGrid::PadGrid(platform::Rect frame) : ScrollView(frame) {}

PadGrid::~PadGrid() = default;

void PadGrid::setBlocks(std::vector<Block> blocks) {
    m_blocks = std::move(blocks);
    for (auto& [key, button] : m_shown) {
        button->removeFromSuperview();
        m_sparePads.push_back(std::move(button));
    }
    m_shown.clear();
    for (auto& [block, title] : m_titles) {
        title->removeFromSuperview();
        m_spareTitles.push_back(std::move(title));
    }
    m_titles.clear();
    m_laidOutWidth = -1;
    layoutSubviews();
}

PadGrid::Pad* PadGrid::padAt(int block, int index) {
    if (block < 0 || static_cast<std::size_t>(block) >= m_blocks.size()) return nullptr;
    auto& pads = m_blocks[static_cast<std::size_t>(block)].pads;
    if (index < 0 || static_cast<std::size_t>(index) >= pads.size()) return nullptr;
    return &pads[static_cast<std::size_t>(index)];
}

void PadGrid::padTapped(int block, int index) {
    // Held: the handler may replace this grid's page.
    auto keep = shared_from_this();
    if (padAt(block, index) != nullptr && onPadTapped) onPadTapped(block, index);
}

void PadGrid::refreshShown() {
    for (auto& [key, button] : m_shown) fill(*button, key.first, key.second);
}

std::vector<std::shared_ptr<PadButton>> PadGrid::shownPads() const {
    std::vector<std::shared_ptr<PadButton>> pads;
    pads.reserve(m_shown.size());
    for (const auto& [key, button] : m_shown) pads.push_back(button);
    return pads;
}

void PadGrid::setContentOffset(platform::Point offset) {
    ScrollView::setContentOffset(offset);
    showBand();
}

void PadGrid::layoutSubviews() {
    const double width = frame().width;
    if (width != m_laidOutWidth) {
        std::vector<int> sizes;
        sizes.reserve(m_blocks.size());
        for (const Block& block : m_blocks) {
            sizes.push_back(static_cast<int>(std::min<std::size_t>(block.pads.size(), 1 << 24)));
        }
        m_layout = PadLayout(sizes, width);
        m_laidOutWidth = width;
        setContentSize({width, m_layout.contentHeight()});
    }
    ScrollView::layoutSubviews();
    showBand();
}

void PadGrid::layoutIfNeeded() {
    if (m_laidOutWidth != frame().width) layoutSubviews();
    ScrollView::layoutIfNeeded();
}

void PadGrid::fill(PadButton& button, int block, int index) {
    const Pad* pad = padAt(block, index);
    if (pad == nullptr) return;
    const std::string& category = m_blocks[static_cast<std::size_t>(block)].title;
    button.setAccessibilityName(pad->label);
    button.setAccessibilityDescription(category.empty() ? std::string("sound") : category);
    if (pad->favourite)
        button.setAccessibilityDescription(button.accessibilityDescription() + ", favourite");
    button.setPlaybackSound(pad->sound);
    button.setBackgroundColor(pad->favourite ? kMarkedPadColour : kPadColour);
    if (!button.subviews().empty()) {
        auto label = std::dynamic_pointer_cast<platform::Label>(button.subviews().front());
        if (label) {
            // The mark is drawn with the label: a heart before it.
            label->setText(pad->favourite ? "\u2665 " + pad->label : pad->label);
            label->setFontSize(labelSize(pad->label.size()));
        }
    }
}

void PadGrid::showBand() {
    const double top = m_contentOffset.y;
    const double bottom = top + frame().height;
    std::set<Key> wanted;
    std::set<int> wantedTitles;
    m_layout.forEachIn(
        top, bottom, [&](int block) { wantedTitles.insert(block); },
        [&](int block, int index) {
            wanted.insert({block, index});
        });

    for (auto it = m_shown.begin(); it != m_shown.end();) {
        if (wanted.count(it->first) != 0) {
            ++it;
            continue;
        }
        it->second->removeFromSuperview();
        m_sparePads.push_back(std::move(it->second));
        it = m_shown.erase(it);
    }
    for (auto it = m_titles.begin(); it != m_titles.end();) {
        if (wantedTitles.count(it->first) != 0) {
            ++it;
            continue;
        }
        it->second->removeFromSuperview();
        m_spareTitles.push_back(std::move(it->second));
        it = m_titles.erase(it);
    }

    const auto self = std::static_pointer_cast<PadGrid>(shared_from_this());
    for (int block : wantedTitles) {
        auto& title = m_titles[block];
        if (!title) {
            if (!m_spareTitles.empty()) {
                title = std::move(m_spareTitles.back());
                m_spareTitles.pop_back();
            } else {
                title = std::make_shared<platform::Label>();
                title->setBold(true);
                title->setFontSize(15);
                title->setTextColor(kTitleColour);
            }
            title->setText(m_blocks[static_cast<std::size_t>(block)].title);
            addSubview(title);
        }
        title->setFrame(m_layout.titleRect(block));
    }
    for (const Key& key : wanted) {
        auto& button = m_shown[key];
        if (!button) {
            if (!m_sparePads.empty()) {
                button = std::move(m_sparePads.back());
                m_sparePads.pop_back();
            } else {
                button = std::make_shared<PadButton>();
                button->setStyle("custom");
                auto label = std::make_shared<platform::Label>();
                label->setNumberOfLines(3);
                label->setTextAlignment(platform::kTextAlignmentCenter);
                label->setBold(true);
                label->setUserInteractionEnabled(false);
                button->addSubview(std::move(label));
            }
            button->standFor(self, key.first, key.second);
            fill(*button, key.first, key.second);
            addSubview(button);
        }
        const platform::Rect frame = m_layout.padRect(key.first, key.second);
        button->setFrame(frame);
        if (auto& label = button->subviews().front()) {
            label->setFrame({kLabelInset, kLabelInset, frame.width - 2 * kLabelInset,
                             frame.height - 2 * kLabelInset});
        }
    }
}
