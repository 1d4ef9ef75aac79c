#pragma once
// A rectangle (Shape 2) or an ellipse inscribed in the box (Shape 3).

#include <QString>

class VShape {
public:
    int BorderColor() const { return BorderColor_; }
    int BorderStyle() const { return BorderStyle_; }
    int BorderWidth() const { return BorderWidth_; }
    int Left() const { return Left_; }
    int Top() const { return Top_; }
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    int Shape() const { return Shape_; }

    void SetBorderColor(int lngColor) { BorderColor_ = lngColor; }
    void SetBorderStyle(int value) { BorderStyle_ = value; }
    void SetBorderWidth(int lngWidth) { BorderWidth_ = lngWidth; }
    void SetLeft(int value) { Left_ = value; }
    void SetTop(int value) { Top_ = value; }
    void SetWidth(int value) { Width_ = value; }
    void SetHeight(int value) { Height_ = value; }
    void SetShape(int value) { Shape_ = value; }

private:
    int BorderColor_ = 0;
    int BorderStyle_ = 0;
    int BorderWidth_ = 0;
    int Left_ = 0;
    int Top_ = 0;
    int Width_ = 0;
    int Height_ = 0;
    int Shape_ = 0;
};
