#pragma once
// A rectangle (Shape 2) or an ellipse inscribed in the box (Shape 3), in picture pixels; the
// right and bottom edges are exclusive.

#include "overlay/MarkBorder.h"

#include <QString>

class VShape : public MarkBorder {
public:
    double Left() const { return Left_; }
    double Top() const { return Top_; }
    double Width() const { return Width_; }
    double Height() const { return Height_; }
    int Shape() const { return Shape_; }

    void SetLeft(double value) { Left_ = value; }
    void SetTop(double value) { Top_ = value; }
    void SetWidth(double value) { Width_ = value; }
    void SetHeight(double value) { Height_ = value; }
    void SetShape(int value) { Shape_ = value; }

private:
    double Left_ = 0;
    double Top_ = 0;
    double Width_ = 0;
    double Height_ = 0;
    int Shape_ = 0;
};
