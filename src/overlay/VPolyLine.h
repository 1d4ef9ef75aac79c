#pragma once
// An open polyline of Points (2..6) vertices; vertices beyond Points are ignored.

#include "platform/RuntimeError.h"

#include <array>

class VPolyLine {
public:
    int BorderColor() const { return BorderColor_; }
    int BorderStyle() const { return BorderStyle_; }
    int BorderWidth() const { return BorderWidth_; }
    int X1() const { return X(1); }
    int X2() const { return X(2); }
    int X3() const { return X(3); }
    int X4() const { return X(4); }
    int X5() const { return X(5); }
    int X6() const { return X(6); }
    int Y1() const { return Y(1); }
    int Y2() const { return Y(2); }
    int Y3() const { return Y(3); }
    int Y4() const { return Y(4); }
    int Y5() const { return Y(5); }
    int Y6() const { return Y(6); }
    int Points() const { return Points_; }

    void SetBorderColor(int lngColor) { BorderColor_ = lngColor; }
    void SetBorderStyle(int value) { BorderStyle_ = value; }
    void SetBorderWidth(int lngWidth) { BorderWidth_ = lngWidth; }
    void SetX1(int value) { SetX(1, value); }
    void SetX2(int value) { SetX(2, value); }
    void SetX3(int value) { SetX(3, value); }
    void SetX4(int value) { SetX(4, value); }
    void SetX5(int value) { SetX(5, value); }
    void SetX6(int value) { SetX(6, value); }
    void SetY1(int value) { SetY(1, value); }
    void SetY2(int value) { SetY(2, value); }
    void SetY3(int value) { SetY(3, value); }
    void SetY4(int value) { SetY(4, value); }
    void SetY5(int value) { SetY(5, value); }
    void SetY6(int value) { SetY(6, value); }
    // Stored in 16 bits: a value outside them is an overflow.
    void SetPoints(long long lngN) { Points_ = platform::CheckedInt16(lngN); }

    // Vertex k, 1..6.
    int X(int k) const { return x_.at(std::size_t(k - 1)); }
    int Y(int k) const { return y_.at(std::size_t(k - 1)); }
    void SetX(int k, int value) { x_.at(std::size_t(k - 1)) = value; }
    void SetY(int k, int value) { y_.at(std::size_t(k - 1)) = value; }

private:
    int BorderColor_ = 0;
    int BorderStyle_ = 0;
    int BorderWidth_ = 0;
    std::array<int, 6> x_{};
    std::array<int, 6> y_{};
    short Points_ = 0;
};
