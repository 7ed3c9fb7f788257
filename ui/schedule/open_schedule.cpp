// The main window's Edit, "Schedule...": kept beside the schedule window, which is all it opens.
#include "ui/main/main_form.h"

namespace ui {

void frmRirAvadera::mmuSchedule_Click() {
  forms_.ShowScheduleModal();
}

}  // namespace ui
