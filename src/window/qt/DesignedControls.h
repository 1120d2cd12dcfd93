#pragma once

#include "Design.h"

#include <QRect>

class QLabel;
class QStatusBar;
class QWidget;

namespace tunecrate {

// The Qt controls of the design: each kind of control as the window shows
// it, named by its objectName and placed where designed.

[[nodiscard]] QRect designedRect(const TwipsRect& twips);
QWidget* makeDesignedControl(QWidget& window, const ControlDesign& design);
// stbStatus's panels, numbered from 1, are labels named panel1 to panel3.
QLabel* makeDesignedPanel(QStatusBar& bar, int panel);

} // namespace tunecrate
