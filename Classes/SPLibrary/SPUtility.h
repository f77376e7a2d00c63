#pragma once

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/Graphics/Color.h"
#include "Platform/Graphics/Geometry.h"
#include "Platform/Graphics/Image.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Stateless helpers of the kit: parsing, digests, paths, requests, a one-shot timer,
// source-position logging and image redraw. Every operation returns a new value the
// caller owns. The only state is the device identifier's stand-in machine id, made at
// most once when the system has none.
class SPUtility {
  public:
    SPUtility() = delete;

    using Bytes = std::vector<std::uint8_t>;

    // Splits "12.5px" into {"value": "12.5", "unit": "px"}: the value is the leading run of
    // digits and points (not validated, "1.2.3" stays whole), the unit is the rest.
    static std::map<std::string, std::string> valueByExpression(std::string_view expression);

    // "#rgb", "#rgba", "#rrggbb", "#rrggbbaa" (hex digits of either case) and "clear".
    // None for any other form, including a group that holds a character that is not a
    // hex digit.
    static std::optional<platform::Color> colorByHtmlColor(std::string_view text);

    // Lower-case hexadecimal, unsigned 32-bit with wrap-around (only the last eight digits
    // count). 4294967295 when any byte is not "0"-"9" or "a"-"f" (upper case and every
    // byte of a non-ASCII character included). The empty text gives 0.
    static std::uint32_t numberByHexademical(std::string_view text);

    // Digests over every byte: text forms are lower-case hex, two digits per byte.
    static std::string stringWithMD5(std::string_view bytes);
    static std::string stringWithMD5(const Bytes& bytes);
    static std::string stringWithSHA1(std::string_view bytes);
    static std::string stringWithSHA1(const Bytes& bytes);
    static Bytes digestByMD5(std::string_view bytes);
    static Bytes digestByMD5(const Bytes& bytes);
    static Bytes digestBySHA1(std::string_view bytes);
    static Bytes digestBySHA1(const Bytes& bytes);

    // A stable identifier of this machine for this application, as a lower-case UUID
    // (version 8, RFC 9562 variant). It is the HMAC-SHA-256 of the machine id keyed by the
    // application's identifier (the main bundle's, see platform::Bundle), so two
    // applications on one machine get unrelated ids and the machine id itself never leaves
    // the process. The machine id is read from /etc/machine-id, else
    // /var/lib/dbus/machine-id; without either, a random id is made once and kept in
    // <XDG data home>/<application name in lower case>/machine-id (and, if that cannot be
    // written, for the life of the process only).
    static std::string deviceIdentifier();
    // The derivation itself: the UUID for a machine id (surrounding white space ignored)
    // and an application identifier.
    static std::string deviceIdentifierFor(std::string_view machineId,
                                           std::string_view applicationIdentifier);

    // A file-name form of `text`: blanks become "_", then the last component of the
    // text's file URL, still percent-escaped ("a b.txt" -> "a_b.txt", "dir/name" ->
    // "name", "100%" -> "100%25"). The empty text and a text of slashes only give "".
    static std::string stringByURLEncoding(std::string_view text);

    // Calls `method` on `target` once, from the main run loop, `delaySeconds` from now
    // (at its next timer service for a delay of 0). The loop holds the target until the
    // call has run. None, and nothing scheduled, for a null target or method.
    template <class T>
    static std::shared_ptr<platform::Timer> triggerByTimer(void (T::*method)(),
                                                           std::shared_ptr<T> target) {
        return triggerByTimer(method, std::move(target), 0.0);
    }
    template <class T>
    static std::shared_ptr<platform::Timer> triggerByTimer(void (T::*method)(),
                                                           std::shared_ptr<T> target,
                                                           double delaySeconds) {
        if (method == nullptr || !target) return nullptr;
        return platform::RunLoop::main().performAfterDelay(std::move(target), method, delaySeconds);
    }

    // A request for the URL the text parses as; none when it is not a URI reference.
    static std::optional<platform::URLRequest> URLRequestWithURLString(std::string_view text);
    static platform::URLRequest URLRequestWithFilePath(std::string_view path);

    // The main bundle's file "<name>.<type>" ("<name>" for an empty type); none when it is
    // missing or there is no main bundle.
    static std::optional<std::string> pathForResource(std::string_view name, std::string_view type);
    // "<bundle folder>/<fileName>", whether or not the file exists; none without a main
    // bundle.
    static std::optional<std::string> pathForResource(std::string_view fileName);

    // Logs "[<file name>:<line>] <message>", the file name being the last component of
    // `file` (a null `file` counts as empty).
    static void log(std::string_view message, const char* file, std::int32_t line);

    // The documents folder joined with `name` as one path component ("/x" and "x" give
    // the same path).
    static std::string pathForDocument(std::string_view name);
    // "<home>/<name>" as written: a name starting with "/" keeps both slashes.
    static std::string pathForHome(std::string_view name);

    // A new image of rect.width x rect.height pixels (each truncated) with `image` scaled
    // into the rectangle; the origin shifts the picture right and down, and what falls
    // outside the new bitmap is cut off. None for a missing or empty image, or a size
    // that is not between 1 and kMaxResizeSide pixels per side.
    static std::shared_ptr<platform::Image> resizeImage(
        const std::shared_ptr<platform::Image>& image, const platform::Rect& rect);
    static constexpr double kMaxResizeSide = 16384;
};
