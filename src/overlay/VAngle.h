#pragma once
// Two arms meeting at point 2, labelled with the angle in whole degrees.

#include <QString>

class VAngle {
public:
    int BorderColor() const { return BorderColor_; }
    int BorderStyle() const { return BorderStyle_; }
    int BorderWidth() const { return BorderWidth_; }
    int X1() const { return X1_; }
    int X2() const { return X2_; }
    int Y1() const { return Y1_; }
    int Y2() const { return Y2_; }
    int X3() const { return X3_; }
    int Y3() const { return Y3_; }
    int TextX() const { return TextX_; }
    int TextY() const { return TextY_; }
    const QString& Text() const { return Text_; }

    void SetBorderColor(int lngColor) { BorderColor_ = lngColor; }
    void SetBorderStyle(int value) { BorderStyle_ = value; }
    void SetBorderWidth(int lngWidth) { BorderWidth_ = lngWidth; }
    void SetX1(int value) { X1_ = value; }
    void SetX2(int value) { X2_ = value; }
    void SetY1(int value) { Y1_ = value; }
    void SetY2(int value) { Y2_ = value; }
    void SetX3(int value) { X3_ = value; }
    void SetY3(int value) { Y3_ = value; }
    void SetTextX(int value) { TextX_ = value; }
    void SetTextY(int value) { TextY_ = value; }
    void SetText(const QString& sCaption) { Text_ = sCaption; }

private:
    int BorderColor_ = 0;
    int BorderStyle_ = 0;
    int BorderWidth_ = 0;
    int X1_ = 0;
    int X2_ = 0;
    int Y1_ = 0;
    int Y2_ = 0;
    int X3_ = 0;
    int Y3_ = 0;
    int TextX_ = 0;
    int TextY_ = 0;
    QString Text_;
};
