#include "ToolWindow.h"

namespace tunecrate {

void applyToolWindowFrame(QWidget& /*window*/) {}

} // namespace tunecrate
