#pragma once
// A rectangle (Shape 2) or an ellipse inscribed in the box (Shape 3), in picture pixels; the
// right and bottom edges are exclusive.

#include <QString>

class VShape {
public:
    int BorderColor() const { return BorderColor_; }
    int BorderStyle() const { return BorderStyle_; }
    int BorderWidth() const { return BorderWidth_; }
    double Left() const { return Left_; }
    double Top() const { return Top_; }
    double Width() const { return Width_; }
    double Height() const { return Height_; }
    int Shape() const { return Shape_; }

    void SetBorderColor(int lngColor) { BorderColor_ = lngColor; }
    void SetBorderStyle(int value) { BorderStyle_ = value; }
    void SetBorderWidth(int lngWidth) { BorderWidth_ = lngWidth; }
    void SetLeft(double value) { Left_ = value; }
    void SetTop(double value) { Top_ = value; }
    void SetWidth(double value) { Width_ = value; }
    void SetHeight(double value) { Height_ = value; }
    void SetShape(int value) { Shape_ = value; }

private:
    int BorderColor_ = 0;
    int BorderStyle_ = 0;
    int BorderWidth_ = 0;
    double Left_ = 0;
    double Top_ = 0;
    double Width_ = 0;
    double Height_ = 0;
    int Shape_ = 0;
};
