#include "BoardMaker.h"

#include "BoardBanner.h"
#include "BoardIdentity.h"
#include "BoardSource.h"
#include "BoardStaging.h"
#include "Classes/Catalogue/CatalogueWriter.h"

#include "Classes/SPLibrary/SPXML.h"
#include "Platform/Foundation/DurableFile.h"

#include <algorithm>
#include <optional>

namespace fs = std::filesystem;

namespace {

BoardMakerReport failure(std::string error, std::vector<std::string> skipped = {}) {
    BoardMakerReport report;
    report.outcome = BoardOutcome::failed(std::move(error));
    report.skipped = std::move(skipped);
    return report;
}

// Whether the catalogue reads back through the pages' own reader as written.
bool readsBackAs(const std::string& text, const std::vector<CatalogueCategory>& categories) {
    auto reader = SPXML::initWithData(text);
    if (!reader || !reader->parse()) return false;
    auto root = reader->document();
    if (!root || root->childCount() != categories.size()) return false;
    for (std::size_t section = 0; section < categories.size(); ++section) {
        auto category = root->childAt(section);
        const auto& expected = categories[section];
        if (!category || category->attribute(catalogue_names::kTitle) != expected.title ||
            category->childCount() != expected.sounds.size()) {
            return false;
        }
        for (std::size_t row = 0; row < expected.sounds.size(); ++row) {
            auto entry = category->childAt(row);
            if (!entry ||
                entry->attribute(catalogue_names::kAudioNumber) !=
                    expected.sounds[row].audioNumber ||
                entry->attribute(catalogue_names::kLabel) != expected.sounds[row].label) {
                return false;
            }
        }
    }
    return true;
}

bool isWithin(const fs::path& inner, const fs::path& outer) {
    return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first ==
           outer.end();
}

fs::path withoutTrailingSeparator(fs::path path) {
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
    return path;
}

// A board made in its source, inside it or around it would take the source's
// place or read itself: refused, whatever links lead there.
std::optional<std::string> overlapProblem(const fs::path& source, const fs::path& destination) {
    std::error_code failed;
    const fs::path from = withoutTrailingSeparator(fs::canonical(source, failed));
    if (failed) return std::nullopt;
    const fs::path to = withoutTrailingSeparator(fs::weakly_canonical(destination, failed));
    if (failed) return std::nullopt;
    if (to == from) return "the board cannot be made in its own source folder " + source.string();
    if (isWithin(to, from)) {
        return "the board " + destination.string() + " would lie inside its source folder " +
               source.string();
    }
    if (isWithin(from, to)) {
        return "the board " + destination.string() + " would hold its own source folder " +
               source.string();
    }
    return std::nullopt;
}

}  // namespace

BoardMaker::BoardMaker(media::ImportEngine::Settings settings) : m_engine(settings) {}

std::string BoardMaker::audioNumber(std::size_t index, std::size_t count) {
    const std::size_t width = std::max<std::size_t>(3, std::to_string(count).size());
    std::string digits = std::to_string(index + 1);
    return std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits;
}

BoardMakerReport BoardMaker::make(const fs::path& source, const fs::path& destination,
                                  const media::CancellationFlag& cancellation,
                                  const ProgressCallback& progress) const {
    std::error_code failed;
    if (!fs::exists(source, failed)) return failure("source folder not found: " + source.string());
    if (!fs::is_directory(source, failed)) return failure(source.string() + " is not a folder");
    if (auto problem = overlapProblem(source, destination)) return failure(*problem);
    if (auto problem = BoardStaging::destinationProblem(destination)) return failure(*problem);

    SourceScan scan = SourceScan::ofFolder(source, cancellation);
    if (cancellation.isCancelled()) {
        BoardMakerReport report = failure("cancelled", scan.skipped);
        report.outcome = BoardOutcome::stopped();
        return report;
    }
    if (scan.fileCount() == 0) {
        return failure("no files to make sounds from in " + source.string(), scan.skipped);
    }
    std::string error;
    auto staging = BoardStaging::begin(destination, error);
    if (!staging) return failure(error, scan.skipped);

    std::vector<media::ImportJob> jobs;
    jobs.reserve(scan.fileCount());
    for (const auto& category : scan.categories) {
        for (const auto& file : category.files) {
            jobs.push_back({file.path, staging->folder() /
                                           (".import-" + std::to_string(jobs.size()) + ".aiff")});
        }
    }
    auto outcomes = m_engine.run(jobs, cancellation, [&](const media::ImportProgress& step) {
        if (progress) progress(step.finished, step.total);
    });
    if (cancellation.isCancelled()) {
        BoardMakerReport report = failure("cancelled", scan.skipped);
        report.outcome = BoardOutcome::stopped();
        return report;
    }

    for (const auto& outcome : outcomes) {
        // A sound that could not be written is a fault of the board, not of its clip.
        if (outcome.writeFailed) {
            return failure("cannot write the board: " + outcome.failure, scan.skipped);
        }
    }

    BoardMakerReport report;
    report.skipped = std::move(scan.skipped);
    const auto converted = static_cast<std::size_t>(std::count_if(
        outcomes.begin(), outcomes.end(), [](const auto& outcome) { return outcome.converted; }));
    std::vector<CatalogueCategory> categories;
    std::size_t job = 0;
    std::size_t number = 0;
    for (const auto& category : scan.categories) {
        CatalogueCategory written{category.title, {}};
        for (const auto& file : category.files) {
            const auto& outcome = outcomes.at(job);
            const auto& staged = jobs.at(job).destination;
            ++job;
            if (!outcome.converted) {
                report.skipped.push_back(file.path.string() + ": skipped: " + outcome.failure);
                continue;
            }
            std::string audioNo = audioNumber(number++, converted);
            fs::rename(staged, staging->folder() / (audioNo + ".aiff"), failed);
            if (failed) return failure("cannot name a sound: " + failed.message(), report.skipped);
            report.audioSeconds += outcome.seconds;
            written.sounds.push_back({std::move(audioNo), file.label});
        }
        if (!written.sounds.empty()) categories.push_back(std::move(written));
    }
    if (converted == 0) {
        return failure("none of the files in " + source.string() + " could be read as audio",
                       report.skipped);
    }

    BoardIdentity identity;
    identity.name = staging->destination().filename().string();
    auto identifier = BoardIdentity::identifierForBoardAt(destination);
    if (!identifier) {
        return failure("cannot read the identifier of the board " + destination.string(),
                       report.skipped);
    }
    identity.identifier = std::move(*identifier);
    const std::string info = platform::PropertyList::toBytes(identity.infoDictionary());
    const std::string catalogue = CatalogueWriter::catalogueText(categories);
    if (!readsBackAs(catalogue, categories)) {
        return failure("the catalogue did not read back as written", report.skipped);
    }
    if (info.empty() || !platform::writeFileDurably(staging->folder() / "Info.plist", info) ||
        !platform::writeFileDurably(staging->folder() / "Data.XML", catalogue)) {
        return failure("cannot write the catalogue", report.skipped);
    }
    // The board's own banner, so a user's board never shows the application's.
    const std::string banner = BoardBanner::pageText(identity.name, converted, categories.size());
    if (!platform::writeFileDurably(staging->folder() / BoardBanner::kFileName, banner)) {
        return failure("cannot write the banner page", report.skipped);
    }
    if (!staging->commit(error)) return failure(error, report.skipped);
    if (const auto& kept = staging->keptOldBoard()) {
        report.skipped.push_back(
            "what of the old board could not be moved into the new one is "
            "kept in " +
            kept->string());
    }

    report.outcome = BoardOutcome::succeeded();
    report.soundCount = converted;
    report.categoryCount = categories.size();
    return report;
}
