#include "Classes/SPLibrary/SPXMLElement.h"

#include "Classes/SPLibrary/SPXML.h"

#include "SPXMLTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
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

TEST(SPXMLElement, ViewsReadWhatTheCopyingGettersRead) {
    auto reader =
        SPXML::initWithData(R"(<DT title="Cats"><DS audio_no="042" label="Meow"/>purr<DS/></DT>)");
    const auto parsed = reader->document();
    auto built = SPXMLElement::init("DT", nullptr, {{"title", "Cats"}});
    built->appendChild(SPXMLElement::init("DS", built, {{"audio_no", "042"}, {"label", "Meow"}}));
    built->appendChild(SPXMLElement::elementFromParent(built, "purr"));
    built->appendChild(SPXMLElement::init("DS", built, {}));
    for (const auto& tree : {parsed, built}) {
        const auto children = tree->children();
        const auto copies = tree->elements();
        ASSERT_EQ(children.size(), copies.size());
        for (std::size_t i = 0; i < children.size(); ++i) EXPECT_EQ(children[i], copies[i]);
        EXPECT_EQ(tree->attributeValue("title"), std::optional<std::string_view>("Cats"));
        struct Case {
            std::size_t child;
            const char* key;
            std::optional<std::string_view> value;
        };
        const std::vector<Case> cases = {
            {0, "audio_no", "042"},     {0, "label", "Meow"}, {0, "missing", std::nullopt},
            {1, "label", std::nullopt},  // a text node has no attributes
            {2, "label", std::nullopt},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(children[c.child]->attributeValue(c.key), c.value) << c.child << c.key;
            EXPECT_EQ(children[c.child]->attribute(c.key), c.value) << c.child << c.key;
        }
        EXPECT_TRUE(children[1]->children().empty());
    }
}

TEST(SPXMLElement, AHandedOutTreeIsReadByManyThreadsAtOnce) {
    std::string text = "<Data>";
    for (int category = 0; category < 20; ++category) {
        text += "<DT title=\"c" + std::to_string(category) + "\">";
        for (int entry = 0; entry < 50; ++entry) {
            text += "<DS audio_no=\"" + std::to_string(entry) + "\" label=\"l\"/>";
        }
        text += "</DT>";
    }
    text += "</Data>";
    auto reader = SPXML::initWithData(text);
    const auto document = reader->document();
    reader.reset();
    std::atomic<int> wrong{0};
    auto walk = [&] {
        for (int round = 0; round < 20; ++round) {
            std::size_t entries = 0;
            for (const auto& category : document->children()) {
                if (category->parent() != document) ++wrong;
                for (const auto& entry : category->elements()) {
                    if (entry->name() != "DS" || entry->attributeValue("label") != "l") ++wrong;
                    ++entries;
                }
            }
            if (entries != 1000) ++wrong;
        }
    };
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i) readers.emplace_back(walk);
    for (auto& thread : readers) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}
