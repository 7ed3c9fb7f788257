// The shared scenarios, run in the Linux program's real Qt windows.
#include "program_scenarios.h"
#include "qt_program.h"

namespace scenarios {

INSTANTIATE_TYPED_TEST_SUITE_P(QtProgram, ProgramScenario, testing::Types<qttest::QtProgram>);

}  // namespace scenarios
