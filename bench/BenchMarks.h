#pragma once
// The benchmarks' marks: `count` labelled lines of widths 1..4 fanned across a 1080p-sized area,
// so that a frame of any size carries lines crossing it and labels along its top.

#include "overlay/OverlayModel.h"

inline void AddBenchLines(OverlayModel& o, int count) {
    for (int i = 0; i < count; ++i) {
        VLine* l = o.NewLine();
        if (!l) return;
        l->SetX1(30 * i);
        l->SetY1(100 + 10 * i);
        l->SetX2(1900 - 25 * i);
        l->SetY2(1000 - 15 * i);
        l->SetBorderColor(0x00FFFF);
        l->SetBorderWidth(1 + i % 4);
        l->SetTextX(960);
        l->SetTextY(20 * i);
        o.AppendHistory(kHistLine);
    }
}
