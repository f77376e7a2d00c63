// Every write path of the settings and preference stores, run under the
// fault-injection shim: each call of each file operation fails in turn with
// each error, and what is left on disk is judged after every run.

#include "FaultSuite.h"

#include "Platform/Foundation/PropertyList.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using platform::PlistDictionary;
using platform::PlistValue;
using platform::PropertyList;
using sbfault::Call;
using sbfault::expectClean;
using sbfault::expectEveryOperationSucceedsWithoutFaults;
using sbfault::FaultHarness;
using sbfault::Figures;
using sbfault::ProgramRun;
using sbfault::Scenario;
using sbfault::Verdict;

const std::string kHelper = SB_FAULT_HELPER;

std::string plistBytes(const PlistDictionary& dictionary) {
    return PropertyList::toBytes(PlistValue(dictionary), platform::PlistFormat::XML);
}

std::optional<PlistDictionary> parsedDictionary(const std::optional<std::string>& bytes) {
    if (!bytes) return std::nullopt;
    auto value = PropertyList::fromBytes(*bytes);
    if (!value || value->get<PlistDictionary>() == nullptr) return std::nullopt;
    return *value->get<PlistDictionary>();
}

void expectNoTemporaries(const std::filesystem::path& target, Verdict& verdict) {
    for (const auto& left : sbfault::leftoverTemporaries(target)) {
        verdict.problems.push_back("temporary file left behind: " + left.string());
    }
}

// The settings or preference file after the run: whole, holding everything it
// held before and every key a program was told is stored.
Verdict checkDictionaryFile(const std::filesystem::path& target, const PlistDictionary& before,
                            const std::vector<ProgramRun>& runs, bool asideAllowed = false) {
    Verdict verdict;
    auto onDisk = parsedDictionary(sbfault::readWhole(target));
    if (!onDisk) {
        if (!before.empty() || std::filesystem::exists(target)) {
            verdict.lostData = true;
            verdict.problems.push_back("the file is not a whole dictionary");
        }
        onDisk = PlistDictionary();
    }
    for (const auto& [key, value] : before) {
        auto found = onDisk->find(key);
        if (found == onDisk->end() || found->second != value) {
            verdict.lostData = true;
            verdict.problems.push_back("key " + key + " that was on disk is gone");
        }
    }
    for (const auto& run : runs) {
        for (const auto& key : sbfault::linesStartingWith(run, "ok")) {
            auto found = onDisk->find(key);
            if (found == onDisk->end() || found->second != PlistValue(true)) {
                verdict.reportedFalseSuccess = true;
                verdict.problems.push_back("key " + key + " was acknowledged but is not stored");
            }
        }
    }
    if (!asideAllowed) {
        for (const auto& aside : sbfault::keptAside(target)) {
            verdict.lostData = true;
            verdict.problems.push_back("a readable file was moved aside: " + aside.string());
        }
    }
    expectNoTemporaries(target, verdict);
    return verdict;
}

const PlistDictionary kOldSettings = {
    {"vibrate", PlistValue(true)}, {"12", PlistValue(true)}, {"007", PlistValue(false)}};

// Where the helper's standard settings file lies, relative to the scope.
std::filesystem::path standardSettingsInScope(FaultHarness& harness) {
    Scenario probe;
    probe.programs = [](const auto&) {
        return std::vector<std::vector<std::string>>{{kHelper, "settings-path"}};
    };
    auto runs = harness.run(probe, std::nullopt);
    if (runs.size() != 1 || runs[0].lines.size() != 1) return {};
    return std::filesystem::path(runs[0].lines[0]).lexically_relative(harness.scope());
}

Scenario referenceWrite(const std::filesystem::path& settings, bool existing) {
    Scenario scenario;
    scenario.name = existing ? "settings write" : "first settings write";
    scenario.prepare = [=](const auto& scope) {
        if (existing) sbtest::writeFile(scope / settings, plistBytes(kOldSettings));
    };
    scenario.programs = [](const auto&) {
        return std::vector<std::vector<std::string>>{{kHelper, "reference", "5"}};
    };
    scenario.check = [=](const auto& scope, const auto& runs) {
        return checkDictionaryFile(scope / settings, existing ? kOldSettings : PlistDictionary(),
                                   runs);
    };
    return scenario;
}

Scenario settingsLoad(const std::filesystem::path& settings) {
    Scenario scenario;
    scenario.name = "settings load";
    scenario.prepare = [=](const auto& scope) {
        sbtest::writeFile(scope / settings, plistBytes(kOldSettings));
    };
    scenario.programs = [](const auto&) {
        return std::vector<std::vector<std::string>>{{kHelper, "load"}};
    };
    scenario.check = [=](const auto& scope, const auto&) {
        // The program acknowledges its synchronize, not a key.
        Verdict verdict = checkDictionaryFile(scope / settings, kOldSettings, {});
        if (sbfault::readWhole(scope / settings) != plistBytes(kOldSettings)) {
            verdict.problems.push_back("loading changed the file");
        }
        return verdict;
    };
    return scenario;
}

Scenario damagedSettingsLoad(const std::filesystem::path& settings) {
    static const std::string kDamage = "<?xml version=\"1.0\"?><plist><dict><key>vib";
    Scenario scenario;
    scenario.name = "damaged settings load";
    scenario.prepare = [=](const auto& scope) { sbtest::writeFile(scope / settings, kDamage); };
    scenario.programs = [](const auto&) {
        return std::vector<std::vector<std::string>>{{kHelper, "load"}};
    };
    scenario.check = [=](const auto& scope, const auto&) {
        // The damaged bytes are either still in place or kept aside, once, whole.
        Verdict verdict;
        const auto target = scope / settings;
        auto aside = sbfault::keptAside(target);
        bool inPlace = sbfault::readWhole(target) == kDamage;
        if (aside.size() > 1) verdict.problems.push_back("kept aside more than once");
        bool keptWhole = aside.size() == 1 && sbfault::readWhole(aside[0]) == kDamage;
        if (inPlace == keptWhole) {
            verdict.lostData = !inPlace;
            verdict.problems.push_back(inPlace ? "both in place and kept aside"
                                               : "the damaged bytes are gone");
        }
        if (!inPlace && std::filesystem::exists(target) &&
            !parsedDictionary(sbfault::readWhole(target))) {
            verdict.problems.push_back("what replaced the damaged file is not whole");
        }
        expectNoTemporaries(target, verdict);
        return verdict;
    };
    return scenario;
}

Scenario preferenceWrite() {
    static const PlistDictionary kOld = {{"volume", PlistValue(7)}, {"name", PlistValue("kept")}};
    Scenario scenario;
    scenario.name = "SPPreference writeToFile";
    scenario.prepare = [](const auto& scope) {
        std::filesystem::create_directories(scope / "prefs");
        ASSERT_TRUE(PropertyList::writeFile(scope / "prefs" / "p.plist", PlistValue(kOld),
                                            platform::PlistFormat::Binary));
    };
    scenario.programs = [](const auto& scope) {
        return std::vector<std::vector<std::string>>{
            {kHelper, "preference", (scope / "prefs" / "p.plist").string(), "added"}};
    };
    scenario.check = [](const auto& scope, const auto& runs) {
        return checkDictionaryFile(scope / "prefs" / "p.plist", kOld, runs);
    };
    return scenario;
}

const std::string kOldBytes = "the old contents, whole";
const std::string kNewBytes = "the new contents, longer than the old ones, whole";

Scenario durableWrite() {
    Scenario scenario;
    scenario.name = "durable write";
    scenario.prepare = [](const auto& scope) {
        sbtest::writeFile(scope / "d" / "target", kOldBytes);
    };
    scenario.programs = [](const auto& scope) {
        return std::vector<std::vector<std::string>>{
            {kHelper, "durable", (scope / "d" / "target").string(), kNewBytes}};
    };
    scenario.check = [](const auto& scope, const auto& runs) {
        Verdict verdict;
        auto now = sbfault::readWhole(scope / "d" / "target");
        if (now != kOldBytes && now != kNewBytes) {
            verdict.lostData = true;
            verdict.problems.push_back("the file is neither the old one nor the new one");
        }
        if (!sbfault::linesStartingWith(runs.at(0), "ok").empty() && now != kNewBytes) {
            verdict.reportedFalseSuccess = true;
            verdict.problems.push_back("reported success but the old file is in place");
        }
        expectNoTemporaries(scope / "d" / "target", verdict);
        return verdict;
    };
    return scenario;
}

Scenario twoProcessesMerging() {
    Scenario scenario;
    scenario.name = "two processes merging";
    scenario.prepare = [](const auto& scope) {
        sbtest::writeFile(scope / "m" / "app.plist", plistBytes(kOldSettings));
    };
    scenario.programs = [](const auto& scope) {
        const std::string file = (scope / "m" / "app.plist").string();
        return std::vector<std::vector<std::string>>{{kHelper, "writer", file, "a", "1"},
                                                     {kHelper, "writer", file, "b", "1"}};
    };
    scenario.check = [](const auto& scope, const auto& runs) {
        return checkDictionaryFile(scope / "m" / "app.plist", kOldSettings, runs);
    };
    return scenario;
}

TEST(FaultInjection, SettingsWritesAndLoads) {
    auto harness = sbfault::makeSuiteHarness();
    auto settings = standardSettingsInScope(harness);
    ASSERT_FALSE(settings.empty());
    ASSERT_FALSE(settings.string().starts_with("..")) << settings;
    for (const auto& scenario : {referenceWrite(settings, true), referenceWrite(settings, false),
                                 settingsLoad(settings), damagedSettingsLoad(settings)}) {
        expectEveryOperationSucceedsWithoutFaults(harness, scenario);
        expectClean(scenario.name, harness.sweep(scenario));
    }
}

TEST(FaultInjection, PreferenceWrite) {
    auto harness = sbfault::makeSuiteHarness();
    expectEveryOperationSucceedsWithoutFaults(harness, preferenceWrite());
    expectClean("SPPreference writeToFile", harness.sweep(preferenceWrite()));
}

TEST(FaultInjection, DurableWrite) {
    auto harness = sbfault::makeSuiteHarness();
    expectEveryOperationSucceedsWithoutFaults(harness, durableWrite());
    expectClean("durable write", harness.sweep(durableWrite()));
}

TEST(FaultInjection, TwoProcessesMerging) {
    auto harness = sbfault::makeSuiteHarness();
    expectEveryOperationSucceedsWithoutFaults(harness, twoProcessesMerging());
    expectClean("two processes merging", harness.sweep(twoProcessesMerging()));
}

}  // namespace
