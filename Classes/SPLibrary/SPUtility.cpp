#include "SPUtility.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/DurableFile.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/XdgPaths.h"
#include "Platform/Graphics/ImageRedraw.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <mutex>
#include <random>
#include <system_error>

namespace {

constexpr std::uint32_t kBadHexNumber = 0xffffffffu;

std::optional<unsigned> hexDigitValue(char c, bool acceptUpperCase) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (acceptUpperCase && c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

// One colour component: a group of hex digits of either case, scaled to 0..1.
std::optional<float> colorComponent(std::string_view group) {
    unsigned value = 0;
    for (char c : group) {
        auto digit = hexDigitValue(c, true);
        if (!digit) return std::nullopt;
        value = value * 16 + *digit;
    }
    const float divisor = group.size() == 1 ? 15.0f : 255.0f;
    return static_cast<float>(value) / divisor;
}

std::string hexString(const SPUtility::Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0f]);
    }
    return text;
}

// Empty when the digest cannot be computed (an algorithm the crypto policy forbids).
SPUtility::Bytes digest(std::string_view bytes, const EVP_MD* algorithm) {
    SPUtility::Bytes out(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), out.data(), &length, algorithm, nullptr) != 1) {
        return {};
    }
    out.resize(length);
    return out;
}

std::string_view asText(const SPUtility::Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string readSmallFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string contents;
    constexpr std::size_t kLimit = 4096;  // a machine id is 33 bytes
    contents.resize(kLimit);
    in.read(contents.data(), static_cast<std::streamsize>(kLimit));
    contents.resize(static_cast<std::size_t>(in.gcount()));
    return std::string(trimmed(contents));
}

std::string randomMachineId() {
    std::random_device source;
    SPUtility::Bytes bytes;
    for (int i = 0; i < 4; ++i) {
        const auto word = static_cast<std::uint32_t>(source());
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
        }
    }
    return hexString(bytes);
}

// The application's folder under the XDG data home: its name in lower case, as
// such folders are spelled ("Soundboard" keeps its data in "soundboard"), with
// anything that could lead out of the data home replaced.
std::string dataFolderName() {
    std::string name = platform::Bundle::applicationName();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    std::replace(name.begin(), name.end(), '/', '_');
    std::replace(name.begin(), name.end(), '\0', '_');
    if (name.empty() || name == "." || name == "..") name = "_";
    return name;
}

// The system's machine id, else one made for this user and kept in the data folder.
std::string machineId() {
    for (const char* systemFile : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        auto id = readSmallFile(systemFile);
        if (!id.empty()) return id;
    }
    static std::mutex mutex;
    static std::string processId;
    std::lock_guard lock(mutex);
    const auto keptFile = platform::XdgPaths::dataHome() / dataFolderName() / "machine-id";
    auto kept = readSmallFile(keptFile);
    if (!kept.empty()) return kept;
    if (processId.empty()) processId = randomMachineId();
    std::error_code ignored;
    std::filesystem::create_directories(keptFile.parent_path(), ignored);
    platform::writeFileDurably(keptFile, processId + "\n");
    return processId;
}

// The last component of a path: trailing slashes ignored, "/" stays "/".
std::string_view lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    if (path == "/") return path;
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::map<std::string, std::string> SPUtility::valueByExpression(std::string_view expression) {
    const auto runLength = std::min(expression.find_first_not_of("0123456789."), expression.size());
    return {{"value", std::string(expression.substr(0, runLength))},
            {"unit", std::string(expression.substr(runLength))}};
}

std::optional<platform::Color> SPUtility::colorByHtmlColor(std::string_view text) {
    if (text.empty() || text.front() != '#') {
        if (text == "clear") return platform::Color::clearColor();
        return std::nullopt;
    }
    // "#rgb", "#rgba", "#rrggbb", "#rrggbbaa": the length alone picks the layout.
    const std::size_t length = text.size();
    if (length != 4 && length != 5 && length != 7 && length != 9) return std::nullopt;
    const std::size_t digitsPerGroup = length < 7 ? 1 : 2;
    const bool hasAlpha = length == 5 || length == 9;
    auto group = [&](std::size_t index) {
        return colorComponent(text.substr(1 + index * digitsPerGroup, digitsPerGroup));
    };
    const auto red = group(0);
    const auto green = group(1);
    const auto blue = group(2);
    const auto alpha = hasAlpha ? group(3) : std::optional<float>(1.0f);
    if (!red || !green || !blue || !alpha) return std::nullopt;
    return platform::Color::colorWithRedGreenBlueAlpha(*red, *green, *blue, *alpha);
}

std::uint32_t SPUtility::numberByHexademical(std::string_view text) {
    std::uint32_t result = 0;
    for (char c : text) {
        auto digit = hexDigitValue(c, false);
        if (!digit) return kBadHexNumber;
        result = result * 16u + *digit;  // unsigned: the leading digits wrap away
    }
    return result;
}

std::string SPUtility::stringWithMD5(std::string_view bytes) {
    return hexString(digestByMD5(bytes));
}
std::string SPUtility::stringWithMD5(const Bytes& bytes) {
    return stringWithMD5(asText(bytes));
}
std::string SPUtility::stringWithSHA1(std::string_view bytes) {
    return hexString(digestBySHA1(bytes));
}
std::string SPUtility::stringWithSHA1(const Bytes& bytes) {
    return stringWithSHA1(asText(bytes));
}
SPUtility::Bytes SPUtility::digestByMD5(std::string_view bytes) {
    return digest(bytes, EVP_md5());
}
SPUtility::Bytes SPUtility::digestByMD5(const Bytes& bytes) {
    return digestByMD5(asText(bytes));
}
SPUtility::Bytes SPUtility::digestBySHA1(std::string_view bytes) {
    return digest(bytes, EVP_sha1());
}
SPUtility::Bytes SPUtility::digestBySHA1(const Bytes& bytes) {
    return digestBySHA1(asText(bytes));
}

std::string SPUtility::deviceIdentifier() {
    return deviceIdentifierFor(machineId(), platform::Bundle::applicationIdentifier());
}

std::string SPUtility::deviceIdentifierFor(std::string_view machineIdText,
                                           std::string_view applicationIdentifier) {
    const auto data = trimmed(machineIdText);
    // A zero-length key still needs a valid pointer: OpenSSL reads a null key as "none".
    static constexpr unsigned char kNoKey = 0;
    const void* key = applicationIdentifier.empty()
                          ? static_cast<const void*>(&kNoKey)
                          : static_cast<const void*>(applicationIdentifier.data());
    std::array<unsigned char, EVP_MAX_MD_SIZE> mac{};
    std::size_t macLength = 0;
    if (EVP_Q_mac(nullptr, "HMAC", nullptr, "SHA256", nullptr, key, applicationIdentifier.size(),
                  reinterpret_cast<const unsigned char*>(data.data()), data.size(), mac.data(),
                  mac.size(), &macLength) == nullptr ||
        macLength < 16) {
        return {};
    }
    Bytes uuid(mac.begin(), mac.begin() + 16);
    uuid[6] = static_cast<std::uint8_t>((uuid[6] & 0x0f) | 0x80);  // version 8: custom
    uuid[8] = static_cast<std::uint8_t>((uuid[8] & 0x3f) | 0x80);  // RFC 9562 variant
    const std::string hex = hexString(uuid);
    return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" +
           hex.substr(16, 4) + "-" + hex.substr(20, 12);
}

std::string SPUtility::stringByURLEncoding(std::string_view text) {
    std::string path = "/";
    path.append(text);
    std::replace(path.begin(), path.end(), ' ', '_');
    // The escaped text, not the decoded path: escapes such as %25 are the point.
    const auto url = platform::URL::fileURLWithPath(path);
    std::string_view escaped = url.relativeString();
    constexpr std::string_view kFileScheme = "file://";
    if (escaped.substr(0, kFileScheme.size()) == kFileScheme) {
        escaped.remove_prefix(kFileScheme.size());
    }
    while (!escaped.empty() && escaped.back() == '/') escaped.remove_suffix(1);
    const auto slash = escaped.rfind('/');
    return std::string(slash == std::string_view::npos ? escaped : escaped.substr(slash + 1));
}

std::optional<platform::URLRequest> SPUtility::URLRequestWithURLString(std::string_view text) {
    auto url = platform::URL::URLWithString(text);
    if (!url) return std::nullopt;
    return platform::URLRequest::requestWithURL(std::move(*url));
}

platform::URLRequest SPUtility::URLRequestWithFilePath(std::string_view path) {
    return platform::URLRequest::requestWithURL(platform::URL::fileURLWithPath(path));
}

std::optional<std::string> SPUtility::pathForResource(std::string_view name,
                                                      std::string_view type) {
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle) return std::nullopt;
    return bundle->pathForResource(name, type);
}

std::optional<std::string> SPUtility::pathForResource(std::string_view fileName) {
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle) return std::nullopt;
    // The bundle answers the empty name with its own folder ("<bundle>/"). Dropping only
    // the trailing slash keeps that folder: removing a whole component, as a file's path
    // would need, would climb out of the bundle.
    auto folder = bundle->pathForResource("", "").value_or(bundle->bundlePath().string());
    folder = withoutTrailingSlashes(std::move(folder));
    if (folder == "/") folder.clear();
    folder += "/";
    folder.append(fileName);
    return folder;
}

void SPUtility::log(std::string_view message, const char* file, std::int32_t line) {
    const std::string_view fileName = lastPathComponent(file == nullptr ? "" : file);
    std::string text = "[";
    text.append(fileName);
    text += ":";
    text += std::to_string(line);
    text += "] ";
    text.append(message);
    platform::Log(text);
}

std::string SPUtility::pathForDocument(std::string_view name) {
    std::string folder = withoutTrailingSlashes(platform::XdgPaths::documentsDir().string());
    while (!name.empty() && name.front() == '/') name.remove_prefix(1);
    if (name.empty()) return folder;
    if (folder.empty() || folder.back() != '/') folder += "/";
    folder.append(name);
    return folder;
}

std::string SPUtility::pathForHome(std::string_view name) {
    std::string path = platform::XdgPaths::home().string();
    path += "/";
    path.append(name);
    return path;
}

static_assert(SPUtility::kMaxResizeSide == platform::kMaxRedrawSide);

std::shared_ptr<platform::Image> SPUtility::resizeImage(
    const std::shared_ptr<platform::Image>& image, const platform::Rect& rect) {
    return platform::redrawImage(image, rect);
}
