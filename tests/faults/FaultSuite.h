#pragma once

// What every scenario file of the fault-injection suite shares: a harness on
// scratch space, the totals of the whole run (printed once at its end), and the
// expectations every sweep must meet.

#include "FaultHarness.h"

#include <string>

namespace sbfault {

// A harness whose runs live on a memory file system when there is one.
FaultHarness makeSuiteHarness();
// Adds the sweep's figures to the totals and fails the test on any problem.
void expectClean(const std::string& name, const Figures& figures);
// Without a fault, every program reports success for every operation.
void expectEveryOperationSucceedsWithoutFaults(FaultHarness& harness, const Scenario& scenario);

}  // namespace sbfault
