#include "CatalogueCheck.h"

#include "Classes/Catalogue/CatalogueValues.h"
#include "Classes/SPLibrary/SPXMLWhitespace.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <optional>

namespace {

struct ParserFree {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// State of one check while expat walks the text; depth 1 is the document element.
class CatalogueWalk {
  public:
    CatalogueWalk(XML_Parser parser, std::string_view text, const std::string& fileName,
                  CatalogueCheck& result)
        : m_parser(parser), m_input(text), m_file(fileName), m_result(result) {}

    static void XMLCALL onStart(void* self, const XML_Char* name, const XML_Char** attributes) {
        static_cast<CatalogueWalk*>(self)->start(name, attributes);
    }
    static void XMLCALL onEnd(void* self, const XML_Char*) {
        static_cast<CatalogueWalk*>(self)->end();
    }
    static void XMLCALL onText(void* self, const XML_Char* text, int length) {
        static_cast<CatalogueWalk*>(self)->characters(
            std::string_view(text, static_cast<std::size_t>(length)));
    }
    static void XMLCALL onCdataStart(void* self) {
        static_cast<CatalogueWalk*>(self)->m_inCdata = true;
    }
    static void XMLCALL onCdataEnd(void* self) {
        static_cast<CatalogueWalk*>(self)->m_inCdata = false;
    }

    bool sawDocumentElement() const { return m_sawDocumentElement; }
    int categoryCount() const { return m_categories; }
    long line() const {
        return static_cast<long>(std::min<XML_Size>(XML_GetCurrentLineNumber(m_parser), LONG_MAX));
    }

    void add(BoardProblem::Severity severity, long line, std::string message) {
        m_result.problems.push_back({severity, m_file, line, std::move(message)});
    }

    void flushText() {
        if (!m_text.empty() && (m_depth == 1 || m_depth == 2) &&
            !SPXMLTrimWhitespace(m_text).empty()) {
            add(BoardProblem::Severity::Error, m_textLine,
                m_depth == 1 ? "text where a category should be"
                             : "text where a sound entry should be");
        }
        m_text.clear();
        m_textLine = 0;
    }

  private:
    static std::optional<std::string> attribute(const XML_Char** attributes, std::string_view key) {
        for (const XML_Char** pair = attributes; pair != nullptr && pair[0] != nullptr; pair += 2) {
            if (key == pair[0]) return std::string(pair[1]);
        }
        return std::nullopt;
    }

    void start(const XML_Char*, const XML_Char** attributes) {
        flushText();
        ++m_depth;
        const long at = line();
        if (m_depth == 1) {
            m_sawDocumentElement = true;
        } else if (m_depth == 2) {
            ++m_categories;
            if (!attribute(attributes, catalogue_names::kTitle))
                add(BoardProblem::Severity::Error, at, "a category without title");
        } else if (m_depth == 3) {
            entry(attributes, at);
        } else if (m_depth == 4) {
            add(BoardProblem::Severity::Note, at,
                "a sound entry holds elements; they are not read");
        }
    }

    void entry(const XML_Char** attributes, long at) {
        auto audioNumber = attribute(attributes, catalogue_names::kAudioNumber);
        auto label = attribute(attributes, catalogue_names::kLabel);
        if (!audioNumber) add(BoardProblem::Severity::Error, at, "a sound entry without audio_no");
        if (!label) add(BoardProblem::Severity::Error, at, "a sound entry without label");
        if (!audioNumber) return;
        if (!CatalogueCheck::isPlainAudioNumber(*audioNumber)) {
            add(BoardProblem::Severity::Error, at,
                "audio number \"" + *audioNumber + "\" is not a plain file name");
            return;
        }
        if (*audioNumber == "vibrate") {
            add(BoardProblem::Severity::Error, at,
                "audio number \"vibrate\" is the key of the vibration setting");
            return;
        }
        if (label) {
            auto [first, inserted] = m_firstLabels.try_emplace(*audioNumber, *label, at);
            if (!inserted && first->second.first != *label) {
                add(BoardProblem::Severity::Note, at,
                    "audio number " + *audioNumber + " is also used with another label on line " +
                        std::to_string(first->second.second) +
                        "; both share one sound and one mark");
            }
        }
        m_result.entries.push_back({*audioNumber, label.value_or(std::string()), at});
    }

    void end() {
        flushText();
        if (m_depth > 0) --m_depth;
    }

    void characters(std::string_view text) {
        if (m_inCdata) return;
        // The line of the first character that is not blank, where a reader would look.
        if (m_textLine == 0) {
            const auto content = text.find_first_not_of(" \t\r\n");
            const XML_Index start = XML_GetCurrentByteIndex(m_parser);
            if (content != std::string_view::npos && start >= 0) {
                m_textLine = lineAtOffset(static_cast<std::size_t>(start) + content);
            }
        }
        // Only whether the run is blank matters; a bounded prefix tells as well as all of it.
        if (m_text.size() < 4096) m_text.append(text.substr(0, 4096 - m_text.size()));
    }

    // Expat's line count lags inside character data, so text is placed by its byte
    // offset. Offsets only grow during a parse, so the count goes forward only.
    long lineAtOffset(std::size_t offset) {
        offset = std::min(offset, m_input.size());
        if (offset > m_countedUpTo) {
            m_linesBefore +=
                std::count(m_input.begin() + static_cast<std::ptrdiff_t>(m_countedUpTo),
                           m_input.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
            m_countedUpTo = offset;
        }
        return 1 + static_cast<long>(m_linesBefore);
    }

    XML_Parser m_parser;
    std::string_view m_input;
    std::size_t m_countedUpTo = 0;
    std::ptrdiff_t m_linesBefore = 0;
    const std::string& m_file;
    CatalogueCheck& m_result;
    int m_depth = 0;
    int m_categories = 0;
    bool m_sawDocumentElement = false;
    bool m_inCdata = false;
    std::string m_text;
    long m_textLine = 0;
    std::map<std::string, std::pair<std::string, long>, std::less<>> m_firstLabels;
};

}  // namespace

bool CatalogueCheck::isPlainAudioNumber(std::string_view audioNumber) {
    return !audioNumber.empty() && audioNumber != "." && audioNumber != ".." &&
           audioNumber.find('/') == std::string_view::npos &&
           audioNumber.find('\0') == std::string_view::npos;
}

CatalogueCheck CatalogueCheck::ofText(std::string_view text, const std::string& fileName) {
    CatalogueCheck result;
    std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate(nullptr));
    if (!parser) {
        result.problems.push_back({BoardProblem::Severity::Error, fileName, 0, "cannot be read"});
        return result;
    }
    CatalogueWalk walk(parser.get(), text, fileName, result);
    XML_SetUserData(parser.get(), &walk);
    XML_SetElementHandler(parser.get(), &CatalogueWalk::onStart, &CatalogueWalk::onEnd);
    XML_SetCharacterDataHandler(parser.get(), &CatalogueWalk::onText);
    XML_SetCdataSectionHandler(parser.get(), &CatalogueWalk::onCdataStart,
                               &CatalogueWalk::onCdataEnd);

    // Fed in pieces that fit expat's int length, so any size is read.
    bool wellFormed = true;
    constexpr std::size_t kPiece = 1 << 20;
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min(kPiece, text.size() - offset);
        const bool last = offset + length == text.size();
        if (XML_Parse(parser.get(), text.data() + offset, static_cast<int>(length), last) !=
            XML_STATUS_OK) {
            wellFormed = false;
            break;
        }
        offset += length;
    } while (offset < text.size());
    if (!wellFormed) {
        const char* message = XML_ErrorString(XML_GetErrorCode(parser.get()));
        walk.add(
            BoardProblem::Severity::Error, walk.line(),
            std::string("not well formed: ") + (message != nullptr ? message : "unknown error"));
    }
    if (!walk.sawDocumentElement()) {
        if (wellFormed) walk.add(BoardProblem::Severity::Error, 0, "no document element");
    } else if (walk.categoryCount() == 0) {
        walk.add(BoardProblem::Severity::Error, 0, "no category");
    }
    return result;
}
