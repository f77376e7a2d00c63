#pragma once

#include "SPXMLAttributeMap.h"
#include "SPXMLElementShape.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A node of an XML tree: an element with a name, attributes and ordered
// children, or a text node.
//
// Ownership: an element owns its children; holding any element keeps it and
// its whole subtree alive, also after the reader that built it is gone. The
// parent link does not own: parent() answers null once the parent is gone.
//
// A text node has the name "", no attribute map, and a text. Its text is kept
// in a field of its own, not as a child: elements() is empty, childCount() is 0
// and text() answers the text. Text nodes never receive children or attributes.
// The synthetic root a reader builds has no name and no attribute map.
//
// Every single get or set of a property is indivisible against the other gets
// and sets on the same element. That says nothing about the tree as a whole: a
// tree is built and changed by one thread at a time.
//
// Thread rule. An element made with the factories below guards each get and
// set with a small process-wide table of striped locks (no memory per element).
// A tree that SPXML built is read-only once the reader hands it out: any number
// of threads may read it at once, and its gets take no lock. Whoever changes
// such an element (any set, appendChild) must hold the tree alone while doing
// so; no other thread may be reading it then. The pages keep to this: they read
// their catalogue and favourites trees and never change them.
//
// children() and attributeValue() read without a copy. What they answer stays
// valid while the element lives and nobody sets its children or attributes; use
// them on trees nobody changes any more (a reader's tree once handed out).
class SPXMLElement : public std::enable_shared_from_this<SPXMLElement> {
    struct PassKey {
        explicit PassKey() = default;
    };

  public:
    using Children = std::vector<std::shared_ptr<SPXMLElement>>;

    // No name, no attribute map, no parent, no children.
    static std::shared_ptr<SPXMLElement> init();
    // An element named `name` with a copy of `attributes` and a non-owning link to
    // `parent`. It is not added to the parent's children; the caller does that.
    static std::shared_ptr<SPXMLElement> init(std::string name,
                                              const std::shared_ptr<SPXMLElement>& parent,
                                              SPXMLAttributeMap attributes);
    // As above, with the name and attribute names of a shared `shape` and the
    // attribute values in the order of shape->attributeNames (missing values read
    // as "", extra ones are dropped). A null shape gives an unnamed element.
    static std::shared_ptr<SPXMLElement> initWithShape(
        std::shared_ptr<const SPXMLElementShape> shape, const std::shared_ptr<SPXMLElement>& parent,
        std::span<const std::string_view> values);
    // A text node holding `text`, linked to `parent` (not added to its children).
    static std::shared_ptr<SPXMLElement> initFromParent(const std::shared_ptr<SPXMLElement>& parent,
                                                        std::string text);
    static std::shared_ptr<SPXMLElement> elementFromParent(
        const std::shared_ptr<SPXMLElement>& parent, std::string text);

    explicit SPXMLElement(PassKey);
    // Tears the subtree down with a work list rather than by recursion, so a
    // tree of any depth is destroyed without exhausting the stack.
    ~SPXMLElement();
    SPXMLElement(const SPXMLElement&) = delete;
    SPXMLElement& operator=(const SPXMLElement&) = delete;

    // None for an unnamed element (the synthetic root), "" for a text node.
    std::optional<std::string> name() const;
    void setName(std::optional<std::string> name);

    // A copy of the children list, taken in one step.
    Children elements() const;
    // The children list itself, without a copy (see the thread rule above).
    std::span<const std::shared_ptr<SPXMLElement>> children() const;
    // Ignored on a text node.
    void setElements(Children elements);
    // Appends `child` (a null child is ignored; so is any child on a text node).
    void appendChild(std::shared_ptr<SPXMLElement> child);
    std::size_t childCount() const;
    // Null when `index` is out of range.
    std::shared_ptr<SPXMLElement> childAt(std::size_t index) const;

    // None for a text node and for an element made without a map; an element
    // without attributes has an empty map.
    std::optional<SPXMLAttributeMap> attributes() const;
    // Ignored on a text node.
    void setAttributes(std::optional<SPXMLAttributeMap> attributes);
    // The value of one attribute; none when absent or when there is no map.
    std::optional<std::string> attribute(std::string_view key) const;
    // The same without a copy (see the thread rule above).
    std::optional<std::string_view> attributeValue(std::string_view key) const;

    std::shared_ptr<SPXMLElement> parent() const;
    void setParent(const std::shared_ptr<SPXMLElement>& parent);

    // The text of a text node (named ""); none for any other element.
    std::optional<std::string> text() const;

  private:
    friend class SPXML;

    // The reader marks each element it builds before anyone else can see it;
    // from then on the element's gets take no lock (see the thread rule).
    void markBuiltByReader() { m_builtByReader = true; }
    // Holds the element's stripe lock, or nothing for an element a reader built.
    std::unique_lock<std::mutex> lockForReading() const;
    std::optional<std::size_t> attributeIndex(std::string_view key) const;

    enum class Kind : std::uint8_t {
        Plain,           // no attribute map (the synthetic root)
        WithAttributes,  // m_values holds one value per shape->attributeNames
        Text,            // m_values holds exactly one string, the text
    };

    std::size_t valueCountLocked() const;

    // The fields are laid out for size: a catalogue holds hundreds of thousands
    // of elements. Names live in the shared shape; values in one small array.
    std::weak_ptr<SPXMLElement> m_parent;
    std::shared_ptr<const SPXMLElementShape> m_shape;  // null: no name, no attribute names
    Children m_children;
    std::unique_ptr<std::string[]> m_values;
    Kind m_kind = Kind::Plain;
    bool m_builtByReader = false;  // set once, before the element is shared
};
