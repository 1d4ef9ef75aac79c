#include "compare/ModelInsertion.h"

#include "clips/FrameStore.h"
#include "clips/MediaKinds.h"
#include "compare/ModelViews.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>

ModelInsertion::ModelInsertion(QObject* parent, const Parts& parts, const State& state, Hooks hooks)
    : QObject(parent), parts_(parts), state_(state), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("ModelInsertion"));
}

void ModelInsertion::Insert() {
    QString path;
    if (!hooks_.chooseFile(QStringLiteral("Video Files|") + kVideoPatterns + QStringLiteral("|AVI Files|*.avi"),
                           state_.modelFolder, path))
        return;
    InsertFile(path);
}

bool ModelInsertion::InsertFile(const QString& path) {
    const auto refresh = qScopeGuard([this] { hooks_.refreshCommands(); });
    // A model that cannot be read (its message was shown) inserts nothing: blending an
    // empty surface over the clip would only grey the picture.
    if (!hooks_.open(path)) return false;
    state_.modelShown = true;
    // The model starts at its second frame; a one-frame model has only its first.
    state_.modelFrame = parts_.model.Count() > 1 ? 1 : 0;
    frmVideoControls& controls = parts_.controls;
    controls.frmBlend->setEnabled(true);
    controls.hscrBlend->setEnabled(true);
    // While video 1 plays the choice stays locked, so no second timer can start; Stop
    // unlocks the model's choices.
    controls.optWindow[1]->setEnabled(state_.stopped);
    controls.optWindow[2]->setEnabled(state_.stopped);
    parts_.modelTimer.stop();
    if (hooks_.splitView()) {
        // Inserting in the split view goes back to the full view, where the model is blended.
        parts_.canvas.Cls();
        parts_.views.LeaveSplit();
    }
    hooks_.refreshCommands();  // the paints read the view's buttons
    hooks_.paintModel(state_.modelFrame);
    hooks_.paintVideo();
    return true;
}

void ModelInsertion::Close() {
    // Playback of the model ends with it, alone or with video 1; its frames and reader go.
    parts_.modelTimer.stop();
    parts_.bothTimer.stop();
    if (!parts_.videoTimer.isActive()) state_.stopped = true;
    hooks_.stopExport();
    hooks_.forgetKeys();
    parts_.model.Close();
    state_.modelShown = false;
    parts_.modelPan.hide();
    state_.modelFrame = 1;
    frmVideoControls& controls = parts_.controls;
    controls.frmBlend->setEnabled(false);
    controls.hscrBlend->setEnabled(false);
    // The buttons act on video 1 again: a choice of the model would leave them doing nothing.
    controls.optWindow[0]->setChecked(true);
    controls.optWindow[0]->setEnabled(state_.stopped);
    controls.optWindow[1]->setEnabled(false);
    controls.optWindow[2]->setEnabled(false);
    state_.modelAdjust = false;
    parts_.adjustTool.hide();
    parts_.canvas.Cls();
    hooks_.paintVideo();
}
