// File > Export Picture and Export Video, carried out by the export controller; the window keeps
// them away from a load and reports what goes wrong.

#include "compare/ExportController.h"
#include "compare/KeyPositionsController.h"
#include "compare/VideoExporter.h"
#include "ui/Globals.h"
#include "shell/ReportError.h"
#include "shell/frm_Main.h"

ExportHooks frm_Main::exportHooks() {
    ExportHooks h;
    h.modelFrameFor = [this](int v, int m) { return SwingKeys->ModelFrameFor(v, m); };
    h.startFolder = [] { return G().WorkingDir; };
    return h;
}

void frm_Main::mnuExportPicture_Click() {
    if (G().BusyLoading) return;
    TrapErrors([&] { Exports.ExportPicture(G().ClipLoaded); });
}

void frm_Main::mnuExportVideo_Click() {
    if (G().BusyLoading || VideoExportRunning()) return;
    TrapErrors([&] { Exports.ExportVideo(G().ClipLoaded, ClipKind); });
}

VideoExportJob frm_Main::VideoExportJobFor(int from, int to) { return Exports.JobFor(from, to); }
bool frm_Main::VideoExportRunning() const { return Exports.Running(); }
void frm_Main::StopVideoExport() { Exports.Stop(); }
