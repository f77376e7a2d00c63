#include "FaultHarness.h"

#include "ProgramServer.h"

#include <link.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace sbfault {
namespace {

// The sanitizer runtime this process runs with, if any: it must come before the
// shim in a child's LD_PRELOAD, as it insists on being first.
std::string sanitizerRuntime() {
    std::string found;
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            std::string name = info->dlpi_name != nullptr ? info->dlpi_name : "";
            if (name.find("/libasan.so") != std::string::npos) {
                *static_cast<std::string*>(data) = name;
                return 1;
            }
            return 0;
        },
        &found);
    return found;
}

bool isOwnVariable(std::string_view entry) {
    for (std::string_view name : {"LD_PRELOAD=", "SB_FAULT_", "HOME=", "XDG_"}) {
        if (entry.starts_with(name)) return true;
    }
    return false;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    while (true) {
        auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::vector<Call> readRecord(const std::filesystem::path& file) {
    std::vector<Call> calls;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        auto fields = splitTabs(line);
        if (fields.size() != 10) continue;
        try {
            Call call;
            call.pid = std::stoi(fields[0]);
            call.operation = fields[1];
            call.ordinal = std::stoi(fields[2]);
            call.fd = std::stoi(fields[3]);
            call.flags = std::stoi(fields[4]);
            call.path = fields[5];
            call.secondPath = fields[6];
            call.result = std::stol(fields[7]);
            call.error = std::stoi(fields[8]);
            call.injected = fields[9] == "1";
            calls.push_back(std::move(call));
        } catch (const std::exception&) {
            // A line cut short (the process died while writing it) is skipped.
        }
    }
    return calls;
}

std::vector<std::string> readLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

}  // namespace

Figures& Figures::operator+=(const Figures& other) {
    operations += other.operations;
    calls += other.calls;
    errors = std::max(errors, other.errors);
    runs += other.runs;
    lostData += other.lostData;
    reportedAsSuccess += other.reportedAsSuccess;
    problems.insert(problems.end(), other.problems.begin(), other.problems.end());
    return *this;
}

FaultHarness::FaultHarness(std::filesystem::path shim, std::filesystem::path work, int lanes)
    : m_shim(std::move(shim)), m_work(std::move(work)) {
    std::string runtime = sanitizerRuntime();
    m_preload = runtime.empty() ? m_shim.string() : runtime + ":" + m_shim.string();
    for (int index = 0; index < std::max(lanes, 1); ++index) {
        auto lane = std::make_unique<Lane>();
        lane->work = m_work / ("lane-" + std::to_string(index));
        std::filesystem::create_directories(lane->work / "home");
        m_lanes.push_back(std::move(lane));
    }
}

FaultHarness::~FaultHarness() {
    for (auto& lane : m_lanes) lane->servers.clear();
    std::error_code ignored;
    std::filesystem::remove_all(m_work, ignored);
}

std::filesystem::path FaultHarness::scope() const {
    return m_lanes.front()->work / "scope";
}

const std::vector<std::string>& FaultHarness::operations() {
    static const std::vector<std::string> names = {"open",   "read",  "write", "fsync",
                                                   "rename", "flock", "mkdir", "close"};
    return names;
}

const std::vector<std::string>& FaultHarness::errors() {
    static const std::vector<std::string> names = {"EIO",    "ENOSPC", "EMFILE",
                                                   "EACCES", "EDQUOT", "EINTR"};
    return names;
}

bool FaultHarness::leakChecked(const std::string& error) {
    return error == "EIO" || error == "EINTR" || error == "SHORT";
}

std::vector<std::string> FaultHarness::environmentFor(const Scenario& scenario,
                                                      const Lane& lane) const {
    const auto scope = lane.work / "scope";
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!isOwnVariable(*entry)) environment.emplace_back(*entry);
    }
    // The home folder lies outside the scope, so only the files under test count.
    environment.push_back("HOME=" + (lane.work / "home").string());
    environment.push_back("XDG_CONFIG_HOME=" + (scope / "config").string());
    environment.push_back("XDG_DATA_HOME=" + (lane.work / "home" / "data").string());
    environment.push_back("XDG_CACHE_HOME=" + (lane.work / "home" / "cache").string());
    environment.push_back("LD_PRELOAD=" + m_preload);
    const auto faulted = scenario.faultScope.empty() ? scope : scope / scenario.faultScope;
    environment.push_back("SB_FAULT_SCOPE=" + faulted.string());
    if (scenario.environment) {
        for (auto& extra : scenario.environment(scope)) environment.push_back(std::move(extra));
    }
    return environment;
}

void FaultHarness::startServers(Lane& lane, const Scenario& scenario) {
    lane.servers.clear();
    auto environment = environmentFor(scenario, lane);
    for (const auto& program : scenario.programs(lane.work / "scope")) {
        lane.servers.push_back(std::make_unique<ProgramServer>(program, environment));
    }
}

void FaultHarness::begin(Lane& lane, const Scenario& scenario, const std::optional<Fault>& fault,
                         bool record, bool leakCheck) {
    const auto scope = lane.work / "scope";
    std::filesystem::remove_all(scope);
    std::filesystem::create_directories(scope);
    if (scenario.prepare) scenario.prepare(scope);

    lane.record.clear();
    if (record) {
        lane.record = lane.work / "record.tsv";
        std::filesystem::remove(lane.record);
    }
    lane.started.clear();
    for (std::size_t index = 0; index < lane.servers.size(); ++index) {
        lane.started.push_back(lane.servers[index]->start(
            fault, lane.record, lane.work / ("out-" + std::to_string(index)),
            lane.work / ("err-" + std::to_string(index)), leakCheck));
    }
}

std::vector<ProgramRun> FaultHarness::finish(Lane& lane, std::vector<Call>* calls) {
    std::vector<ProgramRun> runs;
    for (std::size_t index = 0; index < lane.servers.size(); ++index) {
        ProgramRun run;
        run.status = 0x7f00;
        if (lane.started[index]) run.status = lane.servers[index]->finish().value_or(0x7f00);
        run.lines = readLines(lane.work / ("out-" + std::to_string(index)));
        run.errors = readWhole(lane.work / ("err-" + std::to_string(index))).value_or("");
        runs.push_back(std::move(run));
    }
    if (calls != nullptr && !lane.record.empty()) *calls = readRecord(lane.record);
    return runs;
}

std::vector<ProgramRun> FaultHarness::run(const Scenario& scenario,
                                          const std::optional<Fault>& fault,
                                          std::vector<Call>* calls) {
    Lane& lane = *m_lanes.front();
    startServers(lane, scenario);
    begin(lane, scenario, fault, calls != nullptr, true);
    auto runs = finish(lane, calls);
    lane.servers.clear();
    return runs;
}

std::vector<Call> FaultHarness::record(const Scenario& scenario) {
    std::vector<Call> calls;
    run(scenario, std::nullopt, &calls);
    return calls;
}

Figures FaultHarness::sweep(const Scenario& scenario) {
    Figures figures;
    const std::vector<std::string> chosen = scenario.errors.empty() ? errors() : scenario.errors;
    figures.errors = static_cast<int>(chosen.size()) + 1;
    auto judge = [&](const Lane& lane, const std::string& label,
                     const std::vector<ProgramRun>& runs) {
        ++figures.runs;
        Verdict verdict = scenario.check(lane.work / "scope", runs);
        for (std::size_t index = 0; index < runs.size(); ++index) {
            const auto& ran = runs[index];
            if (!WIFEXITED(ran.status) || WEXITSTATUS(ran.status) != 0) {
                verdict.problems.push_back("program " + std::to_string(index) +
                                           " ended with status " + std::to_string(ran.status) +
                                           ": " + ran.errors.substr(0, 2000));
            }
        }
        if (verdict.lostData) ++figures.lostData;
        if (verdict.reportedFalseSuccess) ++figures.reportedAsSuccess;
        for (const auto& problem : verdict.problems) {
            figures.problems.push_back(scenario.name + ", " + label + ": " + problem);
        }
    };

    for (auto& lane : m_lanes) startServers(*lane, scenario);
    Lane& first = *m_lanes.front();
    std::vector<Call> baseline;
    begin(first, scenario, std::nullopt, true, true);
    judge(first, "no fault", finish(first, &baseline));

    std::map<std::string, int> callsOf;
    for (const auto& call : baseline) {
        callsOf[call.operation] = std::max(callsOf[call.operation], call.ordinal);
    }
    std::vector<Fault> faults;
    for (const auto& operation : operations()) {
        int count = callsOf[operation];
        if (count == 0) continue;
        ++figures.operations;
        figures.calls += count;
        std::vector<std::string> tried = chosen;
        if (operation == "write") tried.push_back("SHORT");
        for (int call = 1; call <= count; ++call) {
            for (const auto& error : tried) faults.push_back(Fault{operation, call, error});
        }
    }
    // One run per lane at a time: while the programs of one run, the others are
    // prepared or judged.
    for (std::size_t next = 0; next < faults.size(); next += m_lanes.size()) {
        std::size_t batch = std::min(m_lanes.size(), faults.size() - next);
        for (std::size_t index = 0; index < batch; ++index) {
            const Fault& fault = faults[next + index];
            begin(*m_lanes[index], scenario, fault, false, leakChecked(fault.error));
        }
        for (std::size_t index = 0; index < batch; ++index) {
            const Fault& fault = faults[next + index];
            judge(*m_lanes[index],
                  fault.operation + " #" + std::to_string(fault.call) + " " + fault.error,
                  finish(*m_lanes[index], nullptr));
        }
    }
    for (auto& lane : m_lanes) lane->servers.clear();
    return figures;
}

std::vector<std::filesystem::path> leftoverTemporaries(const std::filesystem::path& target) {
    std::vector<std::filesystem::path> found;
    std::error_code failed;
    const std::string prefix = "." + target.filename().string() + ".";
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), failed)) {
        if (entry.path().filename().string().starts_with(prefix)) found.push_back(entry.path());
    }
    return found;
}

std::vector<std::filesystem::path> keptAside(const std::filesystem::path& target) {
    std::vector<std::filesystem::path> found;
    std::error_code failed;
    const std::string prefix = target.filename().string() + ".corrupt-";
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), failed)) {
        if (entry.path().filename().string().starts_with(prefix)) found.push_back(entry.path());
    }
    return found;
}

std::optional<std::string> readWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
}

std::vector<std::string> linesStartingWith(const ProgramRun& run, const std::string& prefix) {
    std::vector<std::string> found;
    for (const auto& line : run.lines) {
        if (line.starts_with(prefix + " ")) found.push_back(line.substr(prefix.size() + 1));
    }
    return found;
}

}  // namespace sbfault
