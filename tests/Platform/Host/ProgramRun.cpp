#include "ProgramRun.h"

namespace hosttest {
namespace {

std::vector<std::string> programArguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{SB_SOUNDBOARD_PROGRAM};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return all;
}

sbtest::ChildProcess::Options programOptions(const std::vector<std::string>& environmentChanges) {
    sbtest::ChildProcess::Options options;
    options.environmentChanges = environmentChanges;
    options.environmentChanges.push_back("LSAN_OPTIONS=suppressions=" SB_HOST_LSAN_SUPPRESSIONS
                                         ":print_suppressions=0");
    options.errors = sbtest::ChildProcess::Errors::WithOutput;
    return options;
}

}  // namespace

ProgramRun::ProgramRun(const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environmentChanges)
    : ChildProcess(programArguments(arguments), programOptions(environmentChanges)) {}

}  // namespace hosttest
