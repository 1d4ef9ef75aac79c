// The onset is found on the sound's first difference (a crude high-pass: a click is
// broadband, while wind, hum and most of a voice are low), in windows of about 5 ms compared
// with the median of the 100 ms before: a ball struck is tens of times louder than that at
// once, where steady noise or music hardly changes from window to window.

#include "platform/AudioClick.h"

#include "platform/FfmpegOwners.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {
namespace {

// How far above the recent level a window must jump to count as a click (energy, so 20 dB).
constexpr double kJump = 100.0;
// Quieter than this (RMS of the differenced sound, full scale 1) is silence, whatever the jump.
constexpr double kAudible = 1e-3;

// Sample s of channel c of a decoded frame, as a float in -1..1.
double sampleAt(const AVFrame* f, int c, int s) {
    const auto format = AVSampleFormat(f->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = f->ch_layout.nb_channels;
    const uint8_t* base = planar ? f->extended_data[c] : f->extended_data[0];
    const int i = planar ? s : s * channels + c;
    switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_U8:
            return (base[i] - 128) / 128.0;
        case AV_SAMPLE_FMT_S16:
            return reinterpret_cast<const int16_t*>(base)[i] / 32768.0;
        case AV_SAMPLE_FMT_S32:
            return reinterpret_cast<const int32_t*>(base)[i] / 2147483648.0;
        case AV_SAMPLE_FMT_S64:
            return double(reinterpret_cast<const int64_t*>(base)[i]) / 9223372036854775808.0;
        case AV_SAMPLE_FMT_FLT:
            return reinterpret_cast<const float*>(base)[i];
        case AV_SAMPLE_FMT_DBL:
            return reinterpret_cast<const double*>(base)[i];
        default:
            return 0;
    }
}

// The sound as mono, and where each decoded piece of it lies on the container's clock.
struct Sound {
    std::vector<float> samples;
    std::vector<std::pair<size_t, double>> pieces;  // first sample, its time in seconds
    int rate = 0;

    double secondsAt(size_t sample) const {
        auto it = std::upper_bound(pieces.begin(), pieces.end(), sample,
                                   [](size_t s, const auto& piece) { return s < piece.first; });
        if (it == pieces.begin()) return 0;
        --it;
        return it->second + double(sample - it->first) / rate;
    }
};

bool decode(const QString& path, const std::atomic<bool>* cancel, Sound* sound) {
    AVFormatContext* raw = nullptr;
    const QByteArray url = QByteArrayLiteral("file:") + path.toUtf8();
    if (avformat_open_input(&raw, url.constData(), nullptr, nullptr) < 0) return false;
    FormatPtr fmt(raw);
    if (avformat_find_stream_info(fmt.get(), nullptr) < 0) return false;
    const int index = av_find_best_stream(fmt.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) return false;
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        fmt->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    const AVStream* st = fmt->streams[index];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec) return false;
    CodecPtr dec(avcodec_alloc_context3(codec));
    if (!dec || avcodec_parameters_to_context(dec.get(), st->codecpar) < 0) return false;
    dec->pkt_timebase = st->time_base;
    if (avcodec_open2(dec.get(), codec, nullptr) < 0) return false;
    const double tb = av_q2d(st->time_base);
    PacketPtr pkt(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!pkt || !frame) return false;

    double next = st->start_time != AV_NOPTS_VALUE ? double(st->start_time) * tb : 0;
    const auto take = [&] {
        while (avcodec_receive_frame(dec.get(), frame.get()) == 0) {
            const int channels = frame->ch_layout.nb_channels;
            if (frame->sample_rate <= 0 || channels <= 0) return false;
            if (sound->rate == 0) sound->rate = frame->sample_rate;
            if (frame->sample_rate != sound->rate) return false;  // a rate change mid-stream: not ours to follow
            const int64_t pts = frame->best_effort_timestamp;
            const double at = pts != AV_NOPTS_VALUE ? double(pts) * tb : next;
            sound->pieces.emplace_back(sound->samples.size(), at);
            for (int s = 0; s < frame->nb_samples; ++s) {
                double sum = 0;
                for (int c = 0; c < channels; ++c) sum += sampleAt(frame.get(), c, s);
                sound->samples.push_back(float(sum / channels));
            }
            next = at + double(frame->nb_samples) / sound->rate;
            av_frame_unref(frame.get());
        }
        return true;
    };
    while (av_read_frame(fmt.get(), pkt.get()) >= 0) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return false;
        if (pkt->stream_index == index) avcodec_send_packet(dec.get(), pkt.get());  // a damaged packet gives nothing
        av_packet_unref(pkt.get());
        if (!take()) return false;
    }
    avcodec_send_packet(dec.get(), nullptr);
    return take() && sound->rate > 0;
}

}  // namespace

std::optional<double> ClickSeconds(const QString& path, const std::atomic<bool>* cancel) {
    Sound sound;
    if (!decode(path, cancel, &sound)) return std::nullopt;
    const size_t window = size_t(std::max(8, sound.rate / 200));
    const size_t count = sound.samples.size() / window;
    const size_t history = 20;  // windows: 100 ms
    if (count < history + 2) return std::nullopt;
    std::vector<double> energy(count, 0);
    for (size_t k = 0; k < count; ++k) {
        double e = 0;
        for (size_t i = k * window + (k == 0 ? 1 : 0); i < (k + 1) * window; ++i) {
            const double d = double(sound.samples[i]) - sound.samples[i - 1];
            e += d * d;
        }
        energy[k] = e / double(window);
    }
    // The sharpest jump against the median of the windows before it.
    double best = 0;
    size_t at = 0;
    std::vector<double> recent;
    for (size_t k = history; k < count; ++k) {
        recent.assign(energy.begin() + std::ptrdiff_t(k - history), energy.begin() + std::ptrdiff_t(k));
        std::nth_element(recent.begin(), recent.begin() + std::ptrdiff_t(history / 2), recent.end());
        const double level = std::max(recent[history / 2], kAudible * kAudible / kJump);
        const double jump = energy[k] / level;
        if (energy[k] > kAudible * kAudible && jump > best) {
            best = jump;
            at = k;
        }
    }
    if (best < kJump) return std::nullopt;
    // The onset within its window (or the one before): the first sample at half the click's peak.
    const size_t from = (at - 1) * window, to = (at + 1) * window;
    double peak = 0;
    for (size_t i = from; i < to; ++i) peak = std::max(peak, double(std::abs(sound.samples[i] - sound.samples[i - 1])));
    size_t onset = from;
    while (onset < to && std::abs(double(sound.samples[onset]) - sound.samples[onset - 1]) < peak / 2) ++onset;
    return sound.secondsAt(onset);
}

}  // namespace platform
