#include "DesignedControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace tunecrate {
namespace {

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// Qt's logical pixels are 96-dpi pixels that it scales for the screen, so the
// layout keeps its proportions on high-DPI screens.
QRect designedRect(const TwipsRect& twips)
{
    const PixelRect pixels = pixelsFromTwips(twips);
    return {pixels.left, pixels.top, pixels.width, pixels.height};
}

QLabel* makeDesignedPanel(QStatusBar& bar, int panel)
{
    auto* label = new QLabel(qText(panelDesignTexts.at(static_cast<std::size_t>(panel - 1))), &bar);
    label->setObjectName(QStringLiteral("panel%1").arg(panel));
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QWidget* makeDesignedControl(QWidget& window, const ControlDesign& design)
{
    QWidget* control = nullptr;
    switch (design.kind) {
    case ControlKind::Button:
        control = new QPushButton(qText(design.text), &window);
        break;
    case ControlKind::CheckBox:
        control = new QCheckBox(qText(design.text), &window);
        break;
    case ControlKind::TextBox:
        control = new QLineEdit(&window);
        break;
    case ControlKind::LogBox: {
        auto* box = new QPlainTextEdit(&window);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setTabChangesFocus(true);
        // A long run would otherwise keep every addition for undo.
        box->setUndoRedoEnabled(false);
        control = box;
        break;
    }
    case ControlKind::LanguageList: {
        auto* list = new QComboBox(&window);
        for (const std::string_view item : languageItems) {
            list->addItem(qText(item));
        }
        list->setCurrentIndex(-1);
        control = list;
        break;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(&window);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setFocusPolicy(Qt::NoFocus);
        control = bar;
        break;
    }
    case ControlKind::StatusBar: {
        auto* bar = new QStatusBar(&window);
        bar->setSizeGripEnabled(false);
        bar->setFocusPolicy(Qt::NoFocus);
        control = bar;
        break;
    }
    }
    control->setObjectName(qText(design.name));
    control->setGeometry(designedRect(design.twips));
    return control;
}

} // namespace tunecrate
