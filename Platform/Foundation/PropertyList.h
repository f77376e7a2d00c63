#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

class PlistValue;
using PlistArray = std::vector<PlistValue>;
using PlistDictionary = std::map<std::string, PlistValue>;
using PlistData = std::vector<std::uint8_t>;

// A date as the property-list format keeps it: seconds since 2001-01-01 00:00:00 UTC.
struct PlistDate {
    double secondsSince2001 = 0.0;
    bool operator==(const PlistDate&) const = default;
};

// One property-list value: string, integer, real, boolean, date, data, array or dictionary.
class PlistValue {
  public:
    using Storage = std::variant<std::string, std::int64_t, double, bool, PlistDate, PlistData,
                                 PlistArray, PlistDictionary>;

    PlistValue() : m_value(std::string()) {}
    PlistValue(std::string v) : m_value(std::move(v)) {}
    PlistValue(const char* v) : m_value(std::string(v)) {}
    PlistValue(std::int64_t v) : m_value(v) {}
    PlistValue(int v) : m_value(static_cast<std::int64_t>(v)) {}
    PlistValue(double v) : m_value(v) {}
    PlistValue(bool v) : m_value(v) {}
    PlistValue(PlistDate v) : m_value(v) {}
    PlistValue(PlistData v) : m_value(std::move(v)) {}
    PlistValue(PlistArray v) : m_value(std::move(v)) {}
    PlistValue(PlistDictionary v) : m_value(std::move(v)) {}

    template <class T>
    bool is() const {
        return std::holds_alternative<T>(m_value);
    }
    // Pointer to the held value when it is a T, else nullptr.
    template <class T>
    const T* get() const {
        return std::get_if<T>(&m_value);
    }
    template <class T>
    T* get() {
        return std::get_if<T>(&m_value);
    }

    const Storage& storage() const { return m_value; }
    bool operator==(const PlistValue& other) const { return m_value == other.m_value; }

  private:
    Storage m_value;
};

enum class PlistFormat { XML, Binary };

// Property-list documents and files on libplist.
struct PropertyList {
    // Parses XML or binary property-list bytes; none when malformed, and none
    // when any key or string holds a NUL (a document from elsewhere may).
    static std::optional<PlistValue> fromBytes(std::string_view bytes);
    // Whether every string and key of `value` can be written in `format` and
    // read back unchanged, and it nests no deeper than fromBytes accepts. Text
    // goes through libplist as C strings, so no format carries a NUL. XML keeps
    // any other bytes as they are; the binary form re-encodes non-ASCII text as
    // UTF-16 and so needs well-formed UTF-8.
    static bool canRepresent(const PlistValue& value, PlistFormat format);
    static bool canRepresent(const PlistDictionary& dictionary, PlistFormat format);
    // The document's bytes; empty when canRepresent is false, rather than a
    // document that reads back different. Dates are the one lossy case: whole
    // seconds in XML, and limited to about 1933 to 2069 (libplist's 32-bit
    // seconds). Integers above INT64_MAX read back as reals.
    static std::string toBytes(const PlistValue& value, PlistFormat format = PlistFormat::XML);
    // The same for a dictionary root, without copying it into a PlistValue.
    static std::string toBytes(const PlistDictionary& dictionary,
                               PlistFormat format = PlistFormat::XML);

    // Files above this size are not read (an Info.plist holds a few keys).
    static constexpr std::uintmax_t kMaximumFileBytes = std::uintmax_t{1} << 20;

    // None when the file is missing, unreadable, malformed, not a regular file
    // or larger than kMaximumFileBytes (which is logged, once per file).
    static std::optional<PlistValue> readFile(const std::filesystem::path& path);
    // As readFile, and none also when the root is not a dictionary.
    static std::optional<PlistDictionary> readDictionaryFile(const std::filesystem::path& path);
    // Durable, atomic write (see writeFileDurably). False when the write failed
    // or canRepresent is false; either way a file already at `path` is left whole.
    static bool writeFile(const std::filesystem::path& path, const PlistValue& value,
                          PlistFormat format = PlistFormat::XML);
};

}  // namespace platform
