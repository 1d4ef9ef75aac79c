#pragma once
// The border a mark is drawn with, the same for every kind of mark: colour (0x00BBGGRR), width in
// pixels and line style.

class MarkBorder {
public:
    int BorderColor() const { return BorderColor_; }
    int BorderStyle() const { return BorderStyle_; }
    int BorderWidth() const { return BorderWidth_; }

    void SetBorderColor(int lngColor) { BorderColor_ = lngColor; }
    void SetBorderStyle(int value) { BorderStyle_ = value; }
    void SetBorderWidth(int lngWidth) { BorderWidth_ = lngWidth; }

private:
    int BorderColor_ = 0;
    int BorderStyle_ = 0;
    int BorderWidth_ = 0;
};
