#pragma once
// What the main-window tests share: the headers they reach for (a file dialog that answers
// with the test's choice among them), the frame number on the canvas, and a red mark drawn
// straight into the overlay.

#include "ChosenFile.h"
#include "ClipWriter.h"
#include "MsgBoxRecorder.h"
#include "NumberedClip.h"
#include "TestDesktop.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/FileDialog.h"
#include "platform/FileListBoxes.h"
#include "platform/ImageBox.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <vector>

// The frame number the canvas shows, read from its pixels.
inline int ShownFrame(frm_Main& w) {
    return cliptools::ReadFrameNumber(w.pic_video->Image());
}

// A red line `width` picture pixels wide between two picture points, its label at `label`,
// painted at once.
inline void DrawRedLine(frm_Main& w, QPointF from, QPointF to, QPointF label = {}, int width = 3) {
    VLine* line = w.Drawing->Overlay().NewLine();
    line->SetX1(from.x());
    line->SetY1(from.y());
    line->SetX2(to.x());
    line->SetY2(to.y());
    line->SetTextX(label.x());
    line->SetTextY(label.y());
    line->SetBorderColor(0x0000FF);
    line->SetBorderWidth(width);
    w.Drawing->Overlay().AppendHistory(kHistLine);
    w.PasteAvi(w.CurrentVideoFrame);
}
