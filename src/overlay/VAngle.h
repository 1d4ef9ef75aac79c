#pragma once
// Two arms meeting at point 2 (picture pixels), labelled with the angle in whole degrees.

#include "overlay/MarkBorder.h"

#include <QString>

class VAngle : public MarkBorder {
public:
    double X1() const { return X1_; }
    double X2() const { return X2_; }
    double Y1() const { return Y1_; }
    double Y2() const { return Y2_; }
    double X3() const { return X3_; }
    double Y3() const { return Y3_; }
    double TextX() const { return TextX_; }
    double TextY() const { return TextY_; }
    const QString& Text() const { return Text_; }

    void SetX1(double value) { X1_ = value; }
    void SetX2(double value) { X2_ = value; }
    void SetY1(double value) { Y1_ = value; }
    void SetY2(double value) { Y2_ = value; }
    void SetX3(double value) { X3_ = value; }
    void SetY3(double value) { Y3_ = value; }
    void SetTextX(double value) { TextX_ = value; }
    void SetTextY(double value) { TextY_ = value; }
    void SetText(const QString& sCaption) { Text_ = sCaption; }

private:
    double X1_ = 0;
    double X2_ = 0;
    double Y1_ = 0;
    double Y2_ = 0;
    double X3_ = 0;
    double Y3_ = 0;
    double TextX_ = 0;
    double TextY_ = 0;
    QString Text_;
};
