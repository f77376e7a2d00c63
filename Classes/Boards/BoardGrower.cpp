#include "BoardGrower.h"

#include "BoardBanner.h"
#include "BoardLimits.h"
#include "BoardSource.h"
#include "Classes/Catalogue/Catalogue.h"
#include "Classes/Catalogue/CatalogueWriter.h"

#include "Classes/SPLibrary/SPXML.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/DurableFile.h"
#include "Platform/Foundation/FileContents.h"

#include <unistd.h>

#include <algorithm>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMinimumNumberWidth = 3;

BoardGrowerReport failure(std::string error, std::vector<std::string> skipped = {}) {
    BoardGrowerReport report;
    report.outcome = BoardOutcome::failed(std::move(error));
    report.skipped = std::move(skipped);
    return report;
}

// The catalogue's categories and entries, elements only, as the pages list
// them; none when the text does not read as a catalogue.
std::optional<std::vector<CatalogueCategory>> readCatalogue(const std::string& text) {
    auto reader = SPXML::initWithData(text);
    if (!reader || !reader->parse()) return std::nullopt;
    auto root = reader->document();
    if (!root) return std::nullopt;
    return Catalogue::categories(root);
}

std::optional<unsigned long long> numberValue(const std::string& text) {
    if (text.empty() || text.size() > 18 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoull(text);
}

// Hands out audio numbers after every one the catalogue or the folder uses.
class NumberSequence {
  public:
    NumberSequence(const fs::path& board, const std::vector<CatalogueCategory>& categories) {
        for (const auto& category : categories) {
            for (const auto& sound : category.sounds) {
                if (auto value = numberValue(sound.audioNumber)) {
                    take(*value);
                    m_width = std::max(m_width, sound.audioNumber.size());
                }
            }
        }
        std::error_code failed;
        for (fs::directory_iterator list(board, failed), end; !failed && list != end;
             list.increment(failed)) {
            if (auto value = numberValue(list->path().stem().string())) take(*value);
        }
    }

    std::string next() {
        std::string digits = std::to_string(++m_highest);
        return std::string(m_width > digits.size() ? m_width - digits.size() : 0, '0') + digits;
    }

  private:
    void take(unsigned long long value) { m_highest = std::max(m_highest, value); }
    unsigned long long m_highest = 0;
    std::size_t m_width = kMinimumNumberWidth;
};

// The files to add, in the order given, a folder's files in its natural order.
std::vector<SourceFile> filesToAdd(const std::vector<fs::path>& additions,
                                   std::vector<std::string>& skipped) {
    std::vector<SourceFile> files;
    for (const auto& addition : additions) {
        std::error_code failed;
        if (fs::is_directory(addition, failed)) {
            SourceScan scan = SourceScan::ofFolder(addition);
            for (auto& category : scan.categories) {
                for (auto& file : category.files) files.push_back(std::move(file));
            }
            skipped.insert(skipped.end(), scan.skipped.begin(), scan.skipped.end());
        } else if (!fs::is_regular_file(addition, failed)) {
            skipped.push_back(addition.string() + ": skipped: not a file");
        } else if (std::string label = addition.stem().string(); !CatalogueWriter::canHold(label)) {
            skipped.push_back(addition.string() + ": skipped: the name cannot be a label");
        } else {
            files.push_back({addition, std::move(label)});
        }
    }
    return files;
}

// Removes the files it holds when it goes, unless they were kept.
class TemporaryFiles {
  public:
    ~TemporaryFiles() {
        for (const auto& file : m_files) {
            std::error_code ignored;
            fs::remove(file, ignored);
        }
    }
    void add(fs::path file) { m_files.push_back(std::move(file)); }
    void keepAll() { m_files.clear(); }

  private:
    std::vector<fs::path> m_files;
};

}  // namespace

BoardGrower::BoardGrower(media::ImportEngine::Settings settings) : m_engine(settings) {}

BoardGrowerReport BoardGrower::grow(const fs::path& board, const std::vector<fs::path>& additions,
                                    std::size_t category,
                                    const media::CancellationFlag& cancellation,
                                    const ProgressCallback& progress) const {
    if (!platform::Bundle::isBoardFolder(board)) {
        return failure(board.string() + " is not a board of your own");
    }
    const fs::path catalogueFile = board / "Data.XML";
    const platform::FileContents contents =
        platform::readFileContents(catalogueFile, BoardLimits::kCatalogueBytes);
    auto categories = contents.bytes ? readCatalogue(*contents.bytes) : std::nullopt;
    if (!categories) return failure("the catalogue " + catalogueFile.string() + " cannot be read");

    std::vector<std::string> skipped;
    const std::vector<SourceFile> files = filesToAdd(additions, skipped);
    if (files.empty()) return failure("no files to make sounds from", std::move(skipped));

    const std::string stem = ".adding-" + std::to_string(::getpid()) + "-";
    std::vector<media::ImportJob> jobs;
    TemporaryFiles temporary;
    for (const auto& file : files) {
        jobs.push_back({file.path, board / (stem + std::to_string(jobs.size()) + ".aiff")});
        temporary.add(jobs.back().destination);
    }
    const auto outcomes = m_engine.run(jobs, cancellation, [&](const media::ImportProgress& step) {
        if (progress) progress(step.finished, step.total);
    });
    if (cancellation.isCancelled()) {
        BoardGrowerReport report = failure("cancelled", std::move(skipped));
        report.outcome = BoardOutcome::stopped();
        return report;
    }

    if (categories->empty()) categories->push_back({board.filename().string(), {}});
    CatalogueCategory& target = categories->at(category < categories->size() ? category : 0);
    NumberSequence numbers(board, *categories);
    std::vector<fs::path> named;
    bool renamed = true;
    for (std::size_t job = 0; job < jobs.size(); ++job) {
        const auto& outcome = outcomes.at(job);
        if (!outcome.converted) {
            skipped.push_back(files[job].path.string() + ": skipped: " + outcome.failure);
            continue;
        }
        std::string audioNumber = numbers.next();
        const fs::path sound = board / (audioNumber + ".aiff");
        std::error_code failed;
        fs::rename(jobs[job].destination, sound, failed);
        if (failed) {
            renamed = false;
            break;
        }
        named.push_back(sound);
        target.sounds.push_back({std::move(audioNumber), files[job].label});
    }
    if (named.empty())
        return failure("none of the files could be read as audio", std::move(skipped));
    const bool written = renamed && platform::writeFileDurably(
                                        catalogueFile, CatalogueWriter::catalogueText(*categories));
    if (!written) {
        // The sounds already named go with the hidden ones: the board stays as it was.
        for (const auto& sound : named) temporary.add(sound);
        return failure(renamed ? "cannot write the catalogue " + catalogueFile.string()
                               : "cannot name a sound in " + board.string(),
                       std::move(skipped));
    }

    // The maker's banner counts the sounds, so it follows the catalogue; a
    // banner of the user's own stays as it is. It only shows: a banner not
    // written leaves the board whole, with the counts it had.
    const fs::path banner = board / BoardBanner::kFileName;
    if (BoardBanner::isMakersBanner(banner)) {
        std::size_t sounds = 0;
        for (const auto& category : *categories) sounds += category.sounds.size();
        static_cast<void>(platform::writeFileDurably(
            banner, BoardBanner::pageText(board.filename().string(), sounds, categories->size())));
    }

    BoardGrowerReport report;
    report.outcome = BoardOutcome::succeeded();
    report.skipped = std::move(skipped);
    report.soundCount = named.size();
    report.categoryTitle = target.title;
    return report;
}
