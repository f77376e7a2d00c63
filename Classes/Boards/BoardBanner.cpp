#include "BoardBanner.h"

#include "Classes/SPLibrary/SPXMLEscape.h"

#include <algorithm>
#include <fstream>

namespace {

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

bool BoardBanner::isMakersBanner(const std::filesystem::path& path) {
    // The mark is in the first line of the head: a short read tells.
    constexpr std::size_t kHead = 512;
    std::ifstream file(path, std::ios::binary);
    std::string head(kHead, '\0');
    file.read(head.data(), static_cast<std::streamsize>(kHead));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, file.gcount())));
    return head.find(kMakersMark) != std::string::npos;
}

std::string BoardBanner::pageText(std::string_view boardName, std::size_t soundCount,
                                  std::size_t categoryCount) {
    // Every markup character escaped: the name is text, never markup.
    const std::string name = SPXMLEscapeAttribute(boardName, kSPXMLAllAttributeEscapes);
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n" +
           std::string(kMakersMark) + "\n<title>" + name +
           "</title>\n</head>\n"
           "<body style=\"margin: 0; background-color: #2d3436; color: #ffffff; "
           "font-family: 'DejaVu Sans', sans-serif;\">\n"
           "<table width=\"320\" height=\"50\" cellspacing=\"0\" cellpadding=\"6\" border=\"0\">\n"
           "<tr>\n<td valign=\"middle\" style=\"font-size: 12px;\">\n<b>" +
           name + "</b><br>\n" + counted(soundCount, "sound", "sounds") + " in " +
           counted(categoryCount, "category", "categories") +
           "\n</td>\n</tr>\n</table>\n</body>\n</html>\n";
}
