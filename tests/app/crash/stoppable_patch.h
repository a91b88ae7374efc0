#pragma once
// The command-line patcher with a test hook, for the crash tests: at the file
// operation numbered VANTOR_STOP_AT it calls stop, which ends the process
// the way a crash or a power cut would. With VANTOR_COUNT_OPERATIONS set it
// prints how many file operations it made to standard error instead.

#include "formats/stock_identity.h"

namespace vantor::testing {

int run_stoppable_patch(int argc, char** argv, const stock_identity& identity, void (*stop)());

}  // namespace vantor::testing
