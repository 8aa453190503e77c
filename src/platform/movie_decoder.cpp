#include "platform/movie_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/letterbox.h"
#include "platform/picture_files.h"

namespace zre {

namespace {

constexpr int kIoBufferBytes = 32 * 1024;
// The most sound one decoded frame may turn into. A stream that declares a rate of a few
// samples per second would otherwise make every sample into thousands after resampling.
constexpr int kMaxSoundRunFrames = 10 * kMovieSoundRate;

struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ResamplerDeleter {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct ScalerDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;

// Pictures per second as the stream declares them: the average, else the base rate; {0, 1}
// when it declares neither.
AVRational pictureRate(const AVStream* s) {
    for (AVRational r : {s->avg_frame_rate, s->r_frame_rate})
        if (r.num > 0 && r.den > 0) return r;
    return AVRational{0, 1};
}

CodecPtr openCodec(AVStream* stream, const MovieLimits& limits) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return nullptr;
    CodecPtr c(avcodec_alloc_context3(codec));
    if (!c || avcodec_parameters_to_context(c.get(), stream->codecpar) < 0) return nullptr;
    c->pkt_timebase = stream->time_base;
    c->thread_count = limits.threads;
    c->max_pixels = limits.maxPixels;
    if (avcodec_open2(c.get(), codec, nullptr) < 0) return nullptr;
    return c;
}

} // namespace

struct MovieDecoder::State {
    std::unique_ptr<MovieInput> input;
    uint64_t position = 0;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    MovieLimits limits;
    int width = 0;
    int height = 0;

    int videoIndex = -1;
    int audioIndex = -1;
    CodecPtr video;
    CodecPtr audio;
    std::unique_ptr<AVFrame, FrameDeleter> frame{av_frame_alloc()};
    std::unique_ptr<AVPacket, PacketDeleter> packet{av_packet_alloc()};
    std::unique_ptr<SwsContext, ScalerDeleter> scaler;
    std::unique_ptr<SwrContext, ResamplerDeleter> resampler;
    AVChannelLayout resamplerLayout{};
    int resamplerFormat = -1;
    int resamplerRate = 0;

    int64_t startPts = AV_NOPTS_VALUE;  // in the video stream's time base
    int64_t lastMs = -1;
    uint64_t packets = 0;
    bool draining = false;
    bool videoDone = false;
    bool audioDone = true;
    bool resamplerFlushed = false;
    bool ended = false;

    ~State() {
        video.reset();
        audio.reset();
        av_channel_layout_uninit(&resamplerLayout);
        if (format) avformat_close_input(&format);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }

    static int read(void* opaque, uint8_t* buffer, int size) {
        auto* s = static_cast<State*>(opaque);
        if (size <= 0) return 0;
        size_t got = s->input->readAt(s->position, buffer, static_cast<size_t>(size));
        if (got == 0) return AVERROR_EOF;
        s->position += got;
        return static_cast<int>(got);
    }

    static int64_t seek(void* opaque, int64_t offset, int whence) {
        auto* s = static_cast<State*>(opaque);
        const int64_t size = static_cast<int64_t>(std::min<uint64_t>(s->input->size(), INT64_MAX));
        int64_t base = 0;
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE: return size;
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = static_cast<int64_t>(s->position); break;
        case SEEK_END: base = size; break;
        default: return -1;
        }
        if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0) return -1;
        s->position = static_cast<uint64_t>(base + offset);
        return base + offset;
    }

    // The picture of the decoded frame, scaled into the letterboxed picture.
    bool scale(MoviePicture& out) {
        AVFrame* f = frame.get();
        if (f->width <= 0 || f->height <= 0 || f->format < 0) return false;
        AVRational sar = f->sample_aspect_ratio;
        if (sar.num <= 0 || sar.den <= 0) sar = AVRational{1, 1};
        // The shape the movie is meant to have on screen.
        const double shownWidth = double(f->width) * sar.num / sar.den;
        const int aspectW = static_cast<int>(std::clamp(shownWidth, 1.0, 1e6));
        ViewRect view = letterbox(width, height, aspectW, f->height);
        if (view.w <= 0 || view.h <= 0) return false;
        scaler.reset(sws_getCachedContext(scaler.release(), f->width, f->height, static_cast<AVPixelFormat>(f->format),
                                          view.w, view.h, AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!scaler) return false;
        out.width = width;
        out.height = height;
        out.stride = strideFor(width);
        out.bits.assign(static_cast<size_t>(out.stride) * height, 0);
        // Rows bottom-up: start at the view's top row and step backwards.
        uint8_t* top = out.bits.data() + static_cast<size_t>(height - 1 - view.y) * out.stride + view.x * 3;
        uint8_t* planes[4] = {top, nullptr, nullptr, nullptr};
        int strides[4] = {-out.stride, 0, 0, 0};
        return sws_scale(scaler.get(), f->data, f->linesize, 0, f->height, planes, strides) > 0;
    }

    int64_t pictureMs() {
        AVFrame* f = frame.get();
        int64_t pts = f->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE) pts = f->pts;
        AVStream* s = format->streams[videoIndex];
        int64_t ms = lastMs < 0 ? 0 : lastMs;
        if (pts != AV_NOPTS_VALUE) {
            if (startPts == AV_NOPTS_VALUE) startPts = pts;
            // A hostile file's timestamps may lie further apart than 64 bits hold.
            int64_t sinceStart = 0;
            if (pts >= startPts && !__builtin_sub_overflow(pts, startPts, &sinceStart))
                ms = av_rescale_q(sinceStart, s->time_base, AVRational{1, 1000});
        } else if (lastMs >= 0) {
            const AVRational rate = pictureRate(s);
            ms = lastMs + (rate.num > 0 ? av_rescale(1000, rate.den, rate.num) : 40);
        }
        // Pictures never go back in time; a stream that says they do is shown in order.
        ms = std::max(ms, lastMs);
        lastMs = ms;
        return ms;
    }

    bool resampleTo(std::vector<int16_t>& sound, bool flush) {
        AVFrame* f = frame.get();
        if (!flush) {
            AVChannelLayout layout{};
            if (f->ch_layout.nb_channels <= 0 || f->sample_rate <= 0 || f->sample_rate > 1000000) return false;
            if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
                av_channel_layout_default(&layout, f->ch_layout.nb_channels);
            else if (av_channel_layout_copy(&layout, &f->ch_layout) < 0)
                return false;
            if (!resampler || av_channel_layout_compare(&layout, &resamplerLayout) != 0 ||
                resamplerFormat != f->format || resamplerRate != f->sample_rate) {
                // A new shape of sound: what the old resampler still holds is let go.
                resampler.reset();
                SwrContext* swr = nullptr;
                AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
                if (swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, kMovieSoundRate, &layout,
                                        static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr) < 0 ||
                    swr_init(swr) < 0) {
                    swr_free(&swr);
                    av_channel_layout_uninit(&layout);
                    return false;
                }
                resampler.reset(swr);
                av_channel_layout_uninit(&resamplerLayout);
                resamplerLayout = layout;
                resamplerFormat = f->format;
                resamplerRate = f->sample_rate;
            } else {
                av_channel_layout_uninit(&layout);
            }
        } else if (!resampler) {
            return false;
        }
        const int in = flush ? 0 : f->nb_samples;
        const int room = swr_get_out_samples(resampler.get(), in);
        if (room <= 0 || room > kMaxSoundRunFrames) return false;
        const size_t at = sound.size();
        sound.resize(at + static_cast<size_t>(room) * 2);
        uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(sound.data() + at)};
        const int got = swr_convert(resampler.get(), outPlanes, room,
                                    flush ? nullptr : const_cast<const uint8_t**>(f->extended_data), in);
        sound.resize(at + static_cast<size_t>(std::max(got, 0)) * 2);
        return got > 0;
    }

    void stopDecoding() {
        draining = true;
        if (video) avcodec_send_packet(video.get(), nullptr);
        if (audio) avcodec_send_packet(audio.get(), nullptr);
    }

    Output next(MoviePicture& picture, std::vector<int16_t>& sound) {
        if (ended) return Output::End;
        for (;;) {
            if (!videoDone) {
                int r = avcodec_receive_frame(video.get(), frame.get());
                if (r == 0) {
                    const bool scaled = scale(picture);
                    if (scaled) picture.ms = pictureMs();
                    av_frame_unref(frame.get());
                    if (scaled) return Output::Picture;
                    continue;
                }
                // After the drain a decoder that has no frame has nothing more to give.
                if (r == AVERROR_EOF || (draining && r == AVERROR(EAGAIN))) videoDone = true;
                if (r != AVERROR_EOF && r != AVERROR(EAGAIN)) videoDone = draining;
            }
            if (!audioDone) {
                int r = avcodec_receive_frame(audio.get(), frame.get());
                if (r == 0) {
                    const bool got = resampleTo(sound, false);
                    av_frame_unref(frame.get());
                    if (got) return Output::Sound;
                    continue;
                }
                if (r == AVERROR_EOF || (draining && r == AVERROR(EAGAIN))) audioDone = true;
                if (r != AVERROR_EOF && r != AVERROR(EAGAIN)) audioDone = draining;
            }
            if (draining) {
                if (!videoDone || !audioDone) continue;
                if (!resamplerFlushed) {
                    resamplerFlushed = true;
                    if (resampleTo(sound, true)) return Output::Sound;
                }
                ended = true;
                return Output::End;
            }
            if (limits.maxPackets && packets >= limits.maxPackets) {
                stopDecoding();
                continue;
            }
            if (av_read_frame(format, packet.get()) < 0) {
                stopDecoding();
                continue;
            }
            ++packets;
            AVCodecContext* target = nullptr;
            if (packet->stream_index == videoIndex) target = video.get();
            if (packet->stream_index == audioIndex && audio) target = audio.get();
            // A packet the decoder refuses (broken data) is skipped; the next may decode.
            if (target) avcodec_send_packet(target, packet.get());
            av_packet_unref(packet.get());
        }
    }
};

std::unique_ptr<MovieDecoder> MovieDecoder::open(std::unique_ptr<MovieInput> input, int width, int height,
                                                 const MovieLimits& limits) {
    if (!input || width <= 0 || height <= 0) return nullptr;
    auto s = std::make_unique<State>();
    s->input = std::move(input);
    s->limits = limits;
    s->width = width;
    s->height = height;
    auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
    if (!buffer) return nullptr;
    s->io = avio_alloc_context(buffer, kIoBufferBytes, 0, s.get(), &State::read, nullptr, &State::seek);
    if (!s->io) {
        av_free(buffer);
        return nullptr;
    }
    s->format = avformat_alloc_context();
    if (!s->format) return nullptr;
    s->format->pb = s->io;
    s->format->flags |= AVFMT_FLAG_CUSTOM_IO;
    // Errors of hostile files are ours to handle, not lines on the console.
    av_log_set_level(AV_LOG_QUIET);
    if (avformat_open_input(&s->format, nullptr, nullptr, nullptr) < 0) {
        s->format = nullptr;  // freed by the failed open
        return nullptr;
    }
    if (avformat_find_stream_info(s->format, nullptr) < 0) return nullptr;
    s->videoIndex = av_find_best_stream(s->format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (s->videoIndex < 0) return nullptr;
    s->video = openCodec(s->format->streams[s->videoIndex], limits);
    if (!s->video) return nullptr;
    s->audioIndex = av_find_best_stream(s->format, AVMEDIA_TYPE_AUDIO, -1, s->videoIndex, nullptr, 0);
    if (s->audioIndex >= 0) s->audio = openCodec(s->format->streams[s->audioIndex], limits);
    if (!s->audio) s->audioIndex = -1;
    s->audioDone = !s->audio;
    if (!s->frame || !s->packet) return nullptr;
    return std::unique_ptr<MovieDecoder>(new MovieDecoder(std::move(s)));
}

MovieDecoder::MovieDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}
MovieDecoder::~MovieDecoder() = default;

bool MovieDecoder::hasSound() const { return state_->audio != nullptr; }

int64_t MovieDecoder::lengthMs() const {
    const int64_t d = state_->format->duration;
    if (d == AV_NOPTS_VALUE || d <= 0) return -1;
    return av_rescale(d, 1000, AV_TIME_BASE);
}

double MovieDecoder::frameRate() const {
    const AVRational r = pictureRate(state_->format->streams[state_->videoIndex]);
    return r.num > 0 ? av_q2d(r) : 0.0;
}

MovieDecoder::Output MovieDecoder::next(MoviePicture& picture, std::vector<int16_t>& sound) {
    return state_->next(picture, sound);
}

} // namespace zre
