#pragma once
// A straight line mark in picture pixels: a length measurement. Its label is worked out when it
// is drawn, from the length and the scale of that moment, so a later calibration relabels it.

#include "overlay/MarkBorder.h"

class VLine : public MarkBorder {
public:
    double X1() const { return X1_; }
    double X2() const { return X2_; }
    double Y1() const { return Y1_; }
    double Y2() const { return Y2_; }
    double TextX() const { return TextX_; }
    double TextY() const { return TextY_; }

    void SetX1(double value) { X1_ = value; }
    void SetX2(double value) { X2_ = value; }
    void SetY1(double value) { Y1_ = value; }
    void SetY2(double value) { Y2_ = value; }
    void SetTextX(double value) { TextX_ = value; }
    void SetTextY(double value) { TextY_ = value; }

private:
    double X1_ = 0;
    double X2_ = 0;
    double Y1_ = 0;
    double Y2_ = 0;
    double TextX_ = 0;
    double TextY_ = 0;
};
