// The shared scenarios, run in the Windows program's real windows.
#include "program_scenarios.h"
#include "windows_program.h"

namespace scenarios {

INSTANTIATE_TYPED_TEST_SUITE_P(WindowsProgram, ProgramScenario,
                               testing::Types<wintest::WindowsProgram>);

}  // namespace scenarios
