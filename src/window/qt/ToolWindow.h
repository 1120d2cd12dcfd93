#pragma once

class QWidget;

namespace tunecrate {

// The frame of a fixed tool window where the platform draws one: on Windows a
// narrow caption bar, and still a task-bar button. Elsewhere the window keeps
// the desktop's ordinary frame.
void applyToolWindowFrame(QWidget& window);

} // namespace tunecrate
