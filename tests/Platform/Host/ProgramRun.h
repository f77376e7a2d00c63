#pragma once

#include "tests/support/ChildProcess.h"

#include <string>
#include <vector>

namespace hosttest {

// The real soundboard program run as a child of the test, its standard output
// and standard error read together, line by line, through one pipe.
class ProgramRun : public sbtest::ChildProcess {
  public:
    // `environmentChanges`: "NAME=value" sets a variable, a bare "NAME" removes it.
    // The child gets the leak suppressions every test program uses.
    explicit ProgramRun(const std::vector<std::string>& arguments,
                        const std::vector<std::string>& environmentChanges = {});
};

}  // namespace hosttest
