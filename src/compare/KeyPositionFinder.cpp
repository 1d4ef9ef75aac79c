// The swing is found from what changes between consecutive frames of small grey pictures, with the
// camera's shake taken out first. Thin fast things (a club) defeat optical flow but not frame
// differences: a pixel that changed both coming into a frame and going out of it shows where the
// moving parts are in that frame. Those parts travel on a circle about the golfer's pivot; their
// angle about it goes back to the top and turns round, fastest in the downswing. Address and
// finish are where the motion starts and settles (the golfer's own: someone behind is not
// followed); impact is the downswing frame that looks most like address (the club back at the
// ball), or the ball's click where the clip's sound has one and the pictures agree.

#include "compare/KeyPositionFinder.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

// The pictures are worked on at about this many pixels: enough for arms and club, cheap for 1080p.
constexpr double kWorkPixels = 160.0 * 120.0;
// How far (work pixels) a shaking picture may still be off after alignment.
constexpr double kResidualShift = 0.4;

cv::Mat greyWork(const QImage& frame, cv::Size work) {
    QImage img = frame;
    int code = cv::COLOR_BGR2GRAY;
    int type = CV_8UC3;
    switch (img.format()) {
        case QImage::Format_BGR888:
            break;
        case QImage::Format_RGB888:
            code = cv::COLOR_RGB2GRAY;
            break;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            code = cv::COLOR_BGRA2GRAY;  // little-endian 0xAARRGGBB is B, G, R, A in memory
            type = CV_8UC4;
            break;
        case QImage::Format_Grayscale8:
            code = -1;
            type = CV_8UC1;
            break;
        default:
            img = img.convertToFormat(QImage::Format_BGR888);
            break;
    }
    const cv::Mat view(img.height(), img.width(), type, const_cast<uchar*>(img.constBits()),
                       size_t(img.bytesPerLine()));
    cv::Mat grey;
    if (code < 0)
        grey = view;
    else
        cv::cvtColor(view, grey, code);
    cv::Mat small;
    cv::resize(grey, small, work, 0, 0, cv::INTER_AREA);
    return small;
}

float median(std::vector<float>& v) {
    if (v.empty()) return 0;
    auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    const auto k = std::ptrdiff_t(std::clamp(q, 0.0, 1.0) * double(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + k, v.end());
    return v[size_t(k)];
}

}  // namespace

QString KeyPositionTag(int kind) {
    static const char* const tags[] = {"A", "T", "I", "F"};
    return kind >= 0 && kind < 4 ? QString::fromLatin1(tags[kind]) : QString();
}

KeyPositions FindKeyPositions(const std::vector<QImage>& frames, double fps, const std::atomic<bool>* cancel,
                              int impactHint) {
    KeyPositions none;
    const int n = int(frames.size());
    if (n < 10 || frames[0].isNull() || fps <= 0) return none;
    const auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    const int width = frames[0].width();
    const int height = frames[0].height();
    const double scale = std::min(1.0, std::sqrt(kWorkPixels / (double(width) * height)));
    const cv::Size work(std::max(16, int(std::lround(width * scale))), std::max(16, int(std::lround(height * scale))));

    // Grey pictures with the camera's shake or pan taken out: each one is moved onto the first.
    std::vector<cv::Mat> grey(static_cast<size_t>(n));
    std::vector<cv::Point2d> shifts;
    cv::Mat first;
    for (int i = 0; i < n; ++i) {
        if (cancelled()) return none;
        if (frames[size_t(i)].size() != frames[0].size()) return none;
        cv::Mat g;
        cv::Point2d shift(0, 0);
        cv::GaussianBlur(greyWork(frames[size_t(i)], work), g, cv::Size(3, 3), 0);
        g.convertTo(g, CV_32F);
        if (i == 0) {
            first = g;
        } else {
            shift = cv::phaseCorrelate(first, g);
            const cv::Mat undo = (cv::Mat_<double>(2, 3) << 1, 0, -shift.x, 0, 1, -shift.y);
            cv::warpAffine(g, g, undo, work, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        }
        grey[size_t(i)] = g;
        shifts.push_back(shift);
    }
    // A shaking camera is never aligned exactly: a residual of a fraction of a pixel shows as a
    // difference of that fraction of the brightness gradient along every sharp edge. Where the
    // camera shakes, differences up to that much at an edge are not motion.
    std::vector<double> jitter;
    for (size_t i = 1; i < shifts.size(); ++i) jitter.push_back(cv::norm(shifts[i] - shifts[i - 1]));
    const double residual = percentile(jitter, 0.5) > 0.1 ? kResidualShift : 0.0;
    // Now and then one picture is aligned worse than the rest: it differs from both neighbours
    // more than they differ from each other. It is aligned again onto them.
    for (int i = 1; residual > 0 && i + 1 < n; ++i) {
        const auto apart = [&](int a, int b) {
            cv::Mat d;
            cv::absdiff(grey[size_t(a)], grey[size_t(b)], d);
            return cv::mean(d)[0];
        };
        if (std::min(apart(i - 1, i), apart(i, i + 1)) < 1.5 * apart(i - 1, i + 1)) continue;
        const cv::Mat both = (grey[size_t(i - 1)] + grey[size_t(i + 1)]) * 0.5;
        const cv::Point2d more = cv::phaseCorrelate(both, grey[size_t(i)]);
        const cv::Mat undo = (cv::Mat_<double>(2, 3) << 1, 0, -more.x, 0, 1, -more.y);
        cv::warpAffine(grey[size_t(i)], grey[size_t(i)], undo, work, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    }

    // What moved between consecutive frames, well above the sensor's noise; the picture's edges,
    // where the alignment invents pixels, are left out.
    const int m = n - 1;
    const int border = std::max(2, work.width / 40);
    const cv::Rect inner(border, border, work.width - 2 * border, work.height - 2 * border);
    std::vector<cv::Mat> moved(static_cast<size_t>(m));
    std::vector<float> sample;
    for (int i = 0; i < m; ++i) {
        cv::Mat d;
        cv::absdiff(grey[size_t(i + 1)], grey[size_t(i)], d);
        sample.assign(d.begin<float>(), d.end<float>());
        const double threshold = std::max(10.0, 5.0 * median(sample));
        cv::Mat mask = cv::Mat::zeros(work, CV_8U);
        if (residual > 0) {
            cv::Mat gx, gy, edge, edge2;
            cv::Sobel(grey[size_t(i)], gx, CV_32F, 1, 0, 3, 1.0 / 8);
            cv::Sobel(grey[size_t(i)], gy, CV_32F, 0, 1, 3, 1.0 / 8);
            cv::magnitude(gx, gy, edge);
            cv::Sobel(grey[size_t(i + 1)], gx, CV_32F, 1, 0, 3, 1.0 / 8);
            cv::Sobel(grey[size_t(i + 1)], gy, CV_32F, 0, 1, 3, 1.0 / 8);
            cv::magnitude(gx, gy, edge2);
            edge = cv::max(edge, edge2) * residual;
            d = d - edge;
        }
        mask(inner).setTo(255, d(inner) > threshold);
        moved[size_t(i)] = mask;
    }
    // Where the moving parts are at frame i: moved both coming and going.
    const auto silhouette = [&](int i) {
        cv::Mat s;
        cv::bitwise_and(moved[size_t(i - 1)], moved[size_t(i)], s);
        return s;
    };

    // The swing's pivot: the centre of the circle the moving parts travel on (a least-squares fit).
    double s[4][4] = {};
    double count = 0;
    std::vector<cv::Point2d> where(static_cast<size_t>(n), cv::Point2d(-1, -1));
    std::vector<double> mass(static_cast<size_t>(n), 0);
    for (int i = 1; i < m; ++i) {
        const cv::Moments mo = cv::moments(silhouette(i), true);
        mass[size_t(i)] = mo.m00;
        if (mo.m00 < 3) continue;
        const double x = mo.m10 / mo.m00, y = mo.m01 / mo.m00, z = x * x + y * y;
        const double row[4] = {x, y, 1, -z};
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b) s[a][b] += mo.m00 * row[a] * row[b];
        count += 1;
    }
    if (count < 6) return none;
    // Normal equations of x D + y E + F = -(x^2 + y^2).
    const cv::Matx33d lhs(s[0][0], s[0][1], s[0][2], s[1][0], s[1][1], s[1][2], s[2][0], s[2][1], s[2][2]);
    const cv::Vec3d rhs(s[0][3], s[1][3], s[2][3]);
    cv::Vec3d def;
    if (!cv::solve(lhs, rhs, def, cv::DECOMP_SVD)) return none;
    const double cx = -def[0] / 2, cy = -def[1] / 2;
    const double r2 = cx * cx + cy * cy - def[2];
    if (!(r2 > 1)) return none;
    const double radius = std::sqrt(r2);
    cv::Mat region = cv::Mat::zeros(work, CV_8U);
    cv::circle(region, cv::Point(int(std::lround(cx)), int(std::lround(cy))), int(std::lround(radius * 1.6)),
               cv::Scalar(255), cv::FILLED);

    // Per frame pair: how much moved inside the swing's region; per frame: the angle of the
    // moving parts about the pivot, unwound.
    std::vector<double> energy(static_cast<size_t>(m)), angle(static_cast<size_t>(n), 0);
    std::vector<bool> placed(static_cast<size_t>(n), false);
    for (int i = 0; i < m; ++i) {
        cv::Mat inside;
        cv::bitwise_and(moved[size_t(i)], region, inside);
        energy[size_t(i)] = cv::countNonZero(inside);
    }
    double previous = 0;
    bool any = false;
    for (int i = 1; i < m; ++i) {
        cv::Mat sil = silhouette(i);
        cv::bitwise_and(sil, region, sil);
        const cv::Moments mo = cv::moments(sil, true);
        if (mo.m00 < 3) continue;
        double a = std::atan2(mo.m01 / mo.m00 - cy, mo.m10 / mo.m00 - cx);
        if (any) a = previous + std::remainder(a - previous, 2 * CV_PI);
        angle[size_t(i)] = previous = a;
        placed[size_t(i)] = any = true;
    }

    // The downswing: the fastest turning, where the moving parts sweep round the pivot; a step
    // counts at the median of the five about it, so that a picture's motion taken for another's
    // (someone passing behind) cannot make it. Where nothing turns, the most motion.
    int peak = int(std::max_element(energy.begin(), energy.end()) - energy.begin());
    int turning = 0;
    {
        std::vector<double> step(static_cast<size_t>(n), 0);
        for (int i = 1, last = -1; i < m; ++i) {
            if (!placed[size_t(i)]) continue;
            if (last >= 0 && i - last <= 2) step[size_t(i)] = (angle[size_t(i)] - angle[size_t(last)]) / (i - last);
            last = i;
        }
        double fastest = 0;
        for (int i = 3; i + 2 < m; ++i) {
            double five[] = {step[size_t(i - 2)], step[size_t(i - 1)], step[size_t(i)], step[size_t(i + 1)], step[size_t(i + 2)]};
            // A swing turns one way throughout; flickers of misplaced motion jump back and forth.
            const auto along = std::count_if(std::begin(five), std::end(five), [&](double v) { return v * five[2] > 0; });
            std::sort(std::begin(five), std::end(five));
            if (std::abs(five[2]) > fastest && energy[size_t(i)] > 0 && along >= 4) {
                fastest = std::abs(five[2]);
                peak = i;
                turning = five[2] > 0 ? 1 : -1;
            }
        }
    }
    const double floor = percentile(energy, 0.1);
    if (energy[size_t(peak)] < std::max(8.0 * floor, 0.004 * work.area())) return none;
    const double still = std::max(3.0 * floor, 0.0005 * work.area());

    // The swing's stretch of motion that leads up to it; short pauses (the top) do not end it.
    const int gap = std::max(2, int(std::lround(0.15 * fps)));
    int start = peak;
    for (int i = peak, quiet = 0; i >= 0; --i) {
        if (energy[size_t(i)] > still) {
            start = i;
            quiet = 0;
        } else if (++quiet > gap) {
            break;
        }
    }
    // A takeaway is a run of motion; a flicker or two before it (a picture the shake left
    // misaligned) is not.
    const int run = std::max(2, int(std::lround(0.05 * fps)));
    for (int i = start; i < peak;) {
        int j = i;
        while (j < peak && energy[size_t(j)] > still) ++j;
        if (j - i >= run || j >= peak) break;
        while (j < peak && energy[size_t(j)] <= still) ++j;
        start = i = j;
    }
    // Its direction of turning at the fastest moment.
    int before = peak, after = peak + 1;
    while (before > start && !placed[size_t(before)]) --before;
    while (after < m && !placed[size_t(after)]) ++after;
    if (!placed[size_t(before)] || after >= m || !placed[size_t(after)]) return none;
    const double dir = turning != 0 ? turning : angle[size_t(after)] > angle[size_t(before)] ? 1.0 : -1.0;

    // Top: where the turning back ends, the farthest back the moving parts went.
    int top = -1;
    for (int i = start + 1; i <= peak; ++i)
        if (placed[size_t(i)] && (top < 0 || dir * angle[size_t(i)] < dir * angle[size_t(top)])) top = i;
    if (top < 0 || top >= peak + 1 || dir * (angle[size_t(after)] - angle[size_t(top)]) < 1.0) return none;
    // A backswing sweeps a wide arc too (someone walking past does not).
    int takeaway = start + 1;
    while (takeaway < top && !placed[size_t(takeaway)]) ++takeaway;
    if (dir * (angle[size_t(takeaway)] - angle[size_t(top)]) < 1.0) return none;
    // A pause there (the club still from one picture to the next) ends where the downswing starts.
    for (int j = top + 1; j < peak && !placed[size_t(j)]; ++j)
        if (energy[size_t(j - 1)] <= still) top = j;
    KeyPositions found;
    found.frame[KeyPositions::Top] = top;
    // Address: the last still frame before the takeaway.
    if (start < top) found.frame[KeyPositions::Address] = start;

    // Impact: near the fastest moment, the frame most like address (the club back at the ball),
    // compared where the club and arms were at address or at the top: what else changes in the
    // swing's region (someone behind, the shake's residue) does not then count.
    const int reference = std::max(0, found[KeyPositions::Address]);
    const int margin = std::max(2, int(std::lround(0.1 * fps)));
    cv::Mat pose;
    cv::absdiff(grey[size_t(top)], grey[size_t(reference)], pose);
    pose = pose > 25;
    cv::bitwise_and(pose, region, pose);
    if (cv::countNonZero(pose) < 20) pose = region;
    double best = -1;
    for (int i = std::max(top + 1, peak - margin); i <= std::min(n - 1, peak + 1 + margin); ++i) {
        cv::Mat diff;
        cv::absdiff(grey[size_t(i)], grey[size_t(reference)], diff);
        const double d = cv::mean(diff, pose)[0];
        if (best < 0 || d < best) {
            best = d;
            found.frame[KeyPositions::Impact] = i;
        }
    }
    if (found[KeyPositions::Impact] <= top) return none;
    // The ball's click times impact better than any picture; a click the pictures disagree with
    // (a voice, the next mat's ball, a bag set down) is not this swing's.
    const int agree = std::max(2, int(std::lround(0.1 * fps)));
    if (impactHint > top && impactHint <= peak + 1 + margin && std::abs(impactHint - found[KeyPositions::Impact]) <= agree)
        found.frame[KeyPositions::Impact] = impactHint;

    // Finish: after impact, the first frame from which the motion stays settled for a while.
    // The follow-through dies away slowly: settled is small against the downswing, not only still.
    // What counts is the moving parts near where the follow-through moved the step before:
    // someone passing elsewhere in the swing's region does not keep the swing going.
    const double settled = std::max(still, 0.03 * energy[size_t(peak)]);
    const int hold = std::max(2, int(std::lround(0.1 * fps)));
    std::vector<double> follow(energy);
    if (found[KeyPositions::Impact] < m) {
        const cv::Moments mo = cv::moments(moved[size_t(found[KeyPositions::Impact])] & region, true);
        cv::Point2d near = mo.m00 > 0 ? cv::Point2d(mo.m10 / mo.m00, mo.m01 / mo.m00) : cv::Point2d(cx, cy);
        cv::Mat part, labels, stats, centres;
        for (int i = found[KeyPositions::Impact] + 1; i < m; ++i) {
            cv::bitwise_and(moved[size_t(i)], region, part);
            const int parts = cv::connectedComponentsWithStats(part, labels, stats, centres, 8, CV_32S);
            double area = 0, sx = 0, sy = 0;
            for (int k = 1; k < parts; ++k) {
                const cv::Point2d c(centres.at<double>(k, 0), centres.at<double>(k, 1));
                if (cv::norm(c - near) > 0.8 * radius) continue;
                const double a = stats.at<int>(k, cv::CC_STAT_AREA);
                area += a, sx += a * c.x, sy += a * c.y;
            }
            follow[size_t(i)] = area;
            if (area >= 3) near = cv::Point2d(sx / area, sy / area);
        }
    }
    for (int i = found[KeyPositions::Impact]; i < m; ++i) {
        int j = i;
        while (j < m && j - i < hold && follow[size_t(j)] <= settled) ++j;
        if (j - i >= hold || (j == m && j > i)) {
            if (i > found[KeyPositions::Impact]) found.frame[KeyPositions::Finish] = i;
            break;
        }
    }
    return found;
}

int FrameShownAt(const std::vector<double>& frameSeconds, double seconds) {
    if (frameSeconds.empty() || !std::isfinite(seconds)) return -1;
    const auto after = std::lower_bound(frameSeconds.begin(), frameSeconds.end(), seconds);
    size_t n = size_t(after - frameSeconds.begin());
    if (n == frameSeconds.size() || (n > 0 && seconds - frameSeconds[n - 1] < *after - seconds)) --n;
    const double period = frameSeconds.size() > 1 ? (frameSeconds.back() - frameSeconds.front()) / double(frameSeconds.size() - 1) : 0;
    return std::abs(frameSeconds[n] - seconds) <= std::max(period, 1e-3) ? int(n) : -1;
}

int SyncedModelFrame(int videoFrame, const KeyPositions& video, int videoCount, const KeyPositions& model,
                     int modelCount) {
    if (videoCount <= 0 || modelCount <= 0) return 0;
    // Anchors known in both clips, kept only while they increase in both.
    std::vector<std::pair<int, int>> anchors{{0, 0}};
    for (int k = 0; k < 4; ++k) {
        const int v = video[k], mf = model[k];
        if (v < 0 || mf < 0 || v >= videoCount || mf >= modelCount) continue;
        if (v > anchors.back().first && mf > anchors.back().second) anchors.emplace_back(v, mf);
    }
    if (videoCount - 1 > anchors.back().first && modelCount - 1 > anchors.back().second)
        anchors.emplace_back(videoCount - 1, modelCount - 1);
    const int v = std::clamp(videoFrame, 0, videoCount - 1);
    if (anchors.size() == 1) return 0;
    for (size_t k = 1; k < anchors.size(); ++k) {
        const auto [v0, m0] = anchors[k - 1];
        const auto [v1, m1] = anchors[k];
        if (v <= v1) return m0 + int(std::lround(double(v - v0) * (m1 - m0) / double(v1 - v0)));
    }
    return anchors.back().second;  // past the last anchor (a last frame that could not be one)
}

QString TempoText(double backswingSeconds, double downswingSeconds) {
    if (!(backswingSeconds > 0) || !(downswingSeconds > 0)) return {};
    return QStringLiteral("Tempo: %1 : 1").arg(backswingSeconds / downswingSeconds, 0, 'f', 1);
}
