// Lining the model up with video 1, carried out by the model adjuster; the window wires the
// adjustment window and the pan sliders to it.

#include "compare/ModelAdjuster.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "platform/RuntimeError.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QScrollBar>

void frm_Main::Model_Move() { Adjuster.Move(); }
void frm_Main::Model_Zoom() { Adjuster.Zoom(ModelTool->scrZoom->value()); }
void frm_Main::hscrAvi1_Scroll() { Adjuster.PanVideo1(hscrAvi1->value()); }
void frm_Main::hscrAvi2_Scroll() { Adjuster.PanModel(hscrAvi2->value()); }

void frm_Main::connectModelAdjustment() {
    connect(ModelTool, &frmModelTool::Changed, this, [this] {
        if (Toolbar1->Value(10))
            PasteModel(CurrentModelFrame);
        else
            PasteModelToMainWindow(CurrentModelFrame);
    });
    connect(ModelTool, &frmModelTool::ZoomChanged, this, [this] {
        // The zoom belongs to the blend view; in the split view it waits for the next change.
        if (G().FullWindow) platform::TryStep([&] { Model_Zoom(); });
    });
    connect(ModelTool, &ToolWindow::CloseBoxClicked, this, [this] {
        // The command hides it and ends the mode; shown any other way, it only hides.
        if (G().ModelAdjust)
            Toolbar_Click(8);
        else
            HideToolWindow(ModelTool, G().ToolPos.adjustTool);
    });
    connect(hscrAvi1, &QScrollBar::valueChanged, this, &frm_Main::hscrAvi1_Scroll);
    connect(hscrAvi2, &QScrollBar::valueChanged, this, &frm_Main::hscrAvi2_Scroll);

    Drawing->modelShown = [] { return G().ModelShown; };
    Drawing->modelAdjustMode = [] { return G().ModelAdjust; };
    Adjuster.Attach(*Drawing);
}
