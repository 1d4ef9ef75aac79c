#pragma once
// An open polyline of Points (2..6) vertices in picture pixels; vertices beyond Points are
// ignored.

#include "overlay/MarkBorder.h"
#include "platform/RuntimeError.h"

#include <array>

class VPolyLine : public MarkBorder {
public:
    double X1() const { return X(1); }
    double X2() const { return X(2); }
    double X3() const { return X(3); }
    double X4() const { return X(4); }
    double X5() const { return X(5); }
    double X6() const { return X(6); }
    double Y1() const { return Y(1); }
    double Y2() const { return Y(2); }
    double Y3() const { return Y(3); }
    double Y4() const { return Y(4); }
    double Y5() const { return Y(5); }
    double Y6() const { return Y(6); }
    int Points() const { return Points_; }

    void SetX1(double value) { SetX(1, value); }
    void SetX2(double value) { SetX(2, value); }
    void SetX3(double value) { SetX(3, value); }
    void SetX4(double value) { SetX(4, value); }
    void SetX5(double value) { SetX(5, value); }
    void SetX6(double value) { SetX(6, value); }
    void SetY1(double value) { SetY(1, value); }
    void SetY2(double value) { SetY(2, value); }
    void SetY3(double value) { SetY(3, value); }
    void SetY4(double value) { SetY(4, value); }
    void SetY5(double value) { SetY(5, value); }
    void SetY6(double value) { SetY(6, value); }
    // Stored in 16 bits: a value outside them is an overflow.
    void SetPoints(long long lngN) { Points_ = platform::CheckedInt16(lngN); }

    // Vertex k, 1..6.
    double X(int k) const { return x_.at(std::size_t(k - 1)); }
    double Y(int k) const { return y_.at(std::size_t(k - 1)); }
    void SetX(int k, double value) { x_.at(std::size_t(k - 1)) = value; }
    void SetY(int k, double value) { y_.at(std::size_t(k - 1)) = value; }

private:
    std::array<double, 6> x_{};
    std::array<double, 6> y_{};
    short Points_ = 0;
};
