#include "Classes/SPLibrary/SPXMLElement.h"

#include "SPXMLTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

TEST(SPXMLElement, MadeEmptyItHasNothing) {
    auto element = SPXMLElement::init();
    EXPECT_EQ(element->name(), std::nullopt);
    EXPECT_EQ(element->attributes(), std::nullopt);
    EXPECT_EQ(element->parent(), nullptr);
    EXPECT_EQ(element->childCount(), 0u);
    EXPECT_TRUE(element->elements().empty());
    EXPECT_EQ(element->childAt(0), nullptr);
    EXPECT_EQ(element->text(), std::nullopt);
}

TEST(SPXMLElement, MadeWithNameParentAndAttributesItCopiesThemAndStaysOutOfTheParent) {
    auto parent = SPXMLElement::init("DT", nullptr, {{"title", "Cats"}});
    SPXMLAttributeMap attributes{{"label", "Meow"}, {"audio_no", "042"}};
    auto element = SPXMLElement::init("DS", parent, attributes);
    attributes.insert_or_assign("label", "changed");

    EXPECT_EQ(element->name(), "DS");
    EXPECT_EQ(element->parent(), parent);
    EXPECT_EQ(parent->childCount(), 0u) << "the caller adds the child";
    EXPECT_EQ(element->attributes(), (SPXMLAttributeMap{{"audio_no", "042"}, {"label", "Meow"}}));
    EXPECT_EQ(element->attribute("label"), "Meow");
    EXPECT_EQ(element->attribute("missing"), std::nullopt);
    EXPECT_EQ(element->text(), std::nullopt);

    auto bare = SPXMLElement::init("e", nullptr, {});
    EXPECT_EQ(bare->attributes(), SPXMLAttributeMap{}) << "no attributes is an empty map";
}

TEST(SPXMLElement, TextNodesFromEitherFactoryHoldTheirTextAndNothingElse) {
    auto parent = SPXMLElement::init("p", nullptr, {});
    for (const auto& node : {SPXMLElement::initFromParent(parent, "hello"),
                             SPXMLElement::elementFromParent(parent, "hello")}) {
        EXPECT_EQ(node->name(), "");
        EXPECT_EQ(node->text(), "hello");
        EXPECT_EQ(node->attributes(), std::nullopt);
        EXPECT_EQ(node->attribute("x"), std::nullopt);
        EXPECT_EQ(node->parent(), parent);
        node->appendChild(SPXMLElement::init());
        node->setElements({SPXMLElement::init()});
        node->setAttributes(SPXMLAttributeMap{{"x", "1"}});
        EXPECT_EQ(node->childCount(), 0u) << "text nodes never receive children";
        EXPECT_EQ(node->attributes(), std::nullopt);
        node->setName("renamed");
        EXPECT_EQ(node->text(), std::nullopt) << "only a node named \"\" answers text";
        node->setName("");
        EXPECT_EQ(node->text(), "hello");
    }
    EXPECT_EQ(SPXMLElement::initFromParent(nullptr, "")->text(), "");
}

TEST(SPXMLElement, SettersReplaceEachProperty) {
    auto element = SPXMLElement::init("a", nullptr, {{"k", "v"}});
    element->setName("b");
    EXPECT_EQ(element->name(), "b");
    EXPECT_EQ(element->attribute("k"), "v") << "renaming keeps the attributes";
    element->setName(std::nullopt);
    EXPECT_EQ(element->name(), std::nullopt);

    element->setAttributes(SPXMLAttributeMap{{"x", "1"}, {"y", "2"}});
    EXPECT_EQ(element->attribute("k"), std::nullopt);
    EXPECT_EQ(element->attribute("y"), "2");
    element->setAttributes(std::nullopt);
    EXPECT_EQ(element->attributes(), std::nullopt);
    element->setAttributes(SPXMLAttributeMap{});
    EXPECT_EQ(element->attributes(), SPXMLAttributeMap{});

    auto first = SPXMLElement::init();
    auto second = SPXMLElement::init();
    element->setElements({first, second});
    EXPECT_EQ(element->elements(), (SPXMLElement::Children{first, second}));
    EXPECT_EQ(element->childAt(1), second);
    EXPECT_EQ(element->childAt(2), nullptr);
    element->appendChild(nullptr);
    EXPECT_EQ(element->childCount(), 2u);

    auto parent = SPXMLElement::init();
    element->setParent(parent);
    EXPECT_EQ(element->parent(), parent);
    parent.reset();
    EXPECT_EQ(element->parent(), nullptr) << "the parent link does not own";
}

TEST(SPXMLElement, HoldingAnElementKeepsItsSubtreeWhenTheRestGoes) {
    auto root = SPXMLElement::init("root", nullptr, {});
    auto middle = SPXMLElement::init("middle", root, {});
    auto leaf = SPXMLElement::elementFromParent(middle, "leaf");
    middle->appendChild(leaf);
    root->appendChild(middle);
    std::weak_ptr<SPXMLElement> leafWatch = leaf;
    leaf.reset();
    middle.reset();

    auto kept = root->childAt(0);
    root.reset();
    EXPECT_EQ(sbtest::describeTree(kept), "middle[](\"leaf\")");
    EXPECT_EQ(kept->parent(), nullptr);
    kept.reset();
    EXPECT_TRUE(leafWatch.expired());
}

TEST(SPXMLElement, SingleGetsAndSetsAreIndivisibleAcrossThreads) {
    auto element = SPXMLElement::init("start", nullptr, {});
    const std::vector<std::string> names = {std::string(40, 'a'), std::string(40, 'b')};
    std::atomic<bool> torn{false};
    std::thread writer([&] {
        for (int i = 0; i < 5000; ++i) {
            element->setName(names[static_cast<std::size_t>(i % 2)]);
            element->setAttributes(
                SPXMLAttributeMap{{"k", names[static_cast<std::size_t>(i % 2)]}});
        }
    });
    for (int i = 0; i < 5000; ++i) {
        const auto name = element->name();
        const auto value = element->attribute("k");
        if (name != "start" && name != names[0] && name != names[1]) torn = true;
        if (value && *value != names[0] && *value != names[1]) torn = true;
    }
    writer.join();
    EXPECT_FALSE(torn);
}

TEST(SPXMLAttributeMap, KeepsOneSortedValuePerNameWithTheLaterWinning) {
    const SPXMLAttributeMap map{{"b", "2"}, {"a", "1"}, {"b", "3"}, {"", "empty name"}};
    EXPECT_EQ(map.size(), 3u);
    EXPECT_FALSE(map.empty());
    std::vector<std::string> order;
    for (const auto& [key, value] : map) order.push_back(key + "=" + value);
    EXPECT_EQ(order, (std::vector<std::string>{"=empty name", "a=1", "b=3"}));
    ASSERT_NE(map.find("a"), nullptr);
    EXPECT_EQ(*map.find("a"), "1");
    EXPECT_EQ(map.find("c"), nullptr);
    EXPECT_TRUE(map.contains(""));

    const SPXMLAttributeMap fromVector(std::vector<SPXMLAttributeMap::value_type>{
        {"b", "3"}, {"a", "0"}, {"a", "1"}, {"", "empty name"}});
    EXPECT_EQ(fromVector, map);
    EXPECT_NE(fromVector, SPXMLAttributeMap{});
    EXPECT_TRUE(SPXMLAttributeMap{}.empty());
}
