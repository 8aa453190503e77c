#include "platform/movie_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace zre {

namespace {

constexpr int kSoundRate = 44100;

struct Stream {
    AVStream* stream = nullptr;
    AVCodecContext* codec = nullptr;
    int64_t next = 0;  // pts of the next frame, in the codec's time base
    bool done = false;
};

// Everything an encoding holds, released in one place whatever the way out.
struct Encoding {
    AVFormatContext* format = nullptr;
    Stream video;
    Stream audio;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* converter = nullptr;
    bool opened = false;

    ~Encoding() {
        sws_freeContext(converter);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&video.codec);
        avcodec_free_context(&audio.codec);
        if (format && opened) avio_closep(&format->pb);
        avformat_free_context(format);
    }

    // Sends frame (nullptr: the end) and writes every packet that comes out.
    bool encode(Stream& s, AVFrame* f) {
        if (avcodec_send_frame(s.codec, f) < 0) return false;
        for (;;) {
            int r = avcodec_receive_packet(s.codec, packet);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
            if (r < 0) return false;
            av_packet_rescale_ts(packet, s.codec->time_base, s.stream->time_base);
            packet->stream_index = s.stream->index;
            if (av_interleaved_write_frame(format, packet) < 0) return false;
        }
    }

    bool addStream(Stream& s, const AVCodec* codec) {
        if (!codec) return false;
        s.stream = avformat_new_stream(format, nullptr);
        s.codec = avcodec_alloc_context3(codec);
        return s.stream && s.codec;
    }

    bool openStream(Stream& s) {
        if (format->oformat->flags & AVFMT_GLOBALHEADER) s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        s.codec->flags |= AV_CODEC_FLAG_BITEXACT;
        s.codec->thread_count = 1;
        if (avcodec_open2(s.codec, s.codec->codec, nullptr) < 0) return false;
        s.stream->time_base = s.codec->time_base;
        return avcodec_parameters_from_context(s.stream->codecpar, s.codec) >= 0;
    }
};

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

} // namespace

bool writeMovieFile(const std::string& hostPath, int width, int height, int fps, int frames, const MovieFrameDraw& draw,
                    std::span<const int16_t> sound) {
    if (width <= 0 || height <= 0 || fps <= 0 || frames <= 0 || width % 2 || height % 2) return false;
    const bool avi = endsWith(hostPath, ".avi");
    if (!avi && !endsWith(hostPath, ".mpg")) return false;
    // The muxer's remarks about stream compliance are of no use to the builder's output.
    av_log_set_level(AV_LOG_FATAL);
    Encoding e;
    if (avformat_alloc_output_context2(&e.format, nullptr, avi ? "avi" : "mpeg", hostPath.c_str()) < 0) return false;
    e.format->flags |= AVFMT_FLAG_BITEXACT;

    if (!e.addStream(e.video, avcodec_find_encoder(avi ? AV_CODEC_ID_MPEG4 : AV_CODEC_ID_MPEG1VIDEO))) return false;
    AVCodecContext* v = e.video.codec;
    v->width = width;
    v->height = height;
    v->time_base = AVRational{1, fps};
    v->framerate = AVRational{fps, 1};
    v->pix_fmt = AV_PIX_FMT_YUV420P;
    v->gop_size = 12;
    v->max_b_frames = 0;
    v->bit_rate = int64_t(width) * height * fps / 4;
    // A stated rate limit and buffer, as the players of program streams expect.
    v->rc_max_rate = v->bit_rate * 3;
    v->rc_buffer_size = 224 * 1024 * 8;
    if (!e.openStream(e.video)) return false;

    const bool withSound = !sound.empty();
    if (withSound) {
        if (!e.addStream(e.audio, avcodec_find_encoder(avi ? AV_CODEC_ID_PCM_S16LE : AV_CODEC_ID_MP2))) return false;
        AVCodecContext* a = e.audio.codec;
        a->sample_fmt = AV_SAMPLE_FMT_S16;
        a->sample_rate = kSoundRate;
        a->time_base = AVRational{1, kSoundRate};
        a->bit_rate = 192000;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        if (av_channel_layout_copy(&a->ch_layout, &stereo) < 0 || !e.openStream(e.audio)) return false;
    }
    e.audio.done = !withSound;

    if (avio_open(&e.format->pb, hostPath.c_str(), AVIO_FLAG_WRITE) < 0) return false;
    e.opened = true;
    if (avformat_write_header(e.format, nullptr) < 0) return false;

    e.frame = av_frame_alloc();
    e.packet = av_packet_alloc();
    e.converter = sws_getContext(width, height, AV_PIX_FMT_BGR24, width, height, AV_PIX_FMT_YUV420P, SWS_BILINEAR,
                                 nullptr, nullptr, nullptr);
    if (!e.frame || !e.packet || !e.converter) return false;
    std::vector<uint8_t> bgr(static_cast<size_t>(width) * height * 3);
    const size_t soundFrames = sound.size() / 2;
    const int soundChunk = withSound && e.audio.codec->frame_size > 0 ? e.audio.codec->frame_size : 1024;

    // The stream that is behind goes next, so the container interleaves them as it plays.
    while (!e.video.done || !e.audio.done) {
        const bool videoNext =
            !e.video.done && (e.audio.done || av_compare_ts(e.video.next, e.video.codec->time_base, e.audio.next,
                                                            e.audio.codec->time_base) <= 0);
        Stream& s = videoNext ? e.video : e.audio;
        av_frame_unref(e.frame);
        if (videoNext && e.video.next >= frames) {
            if (!e.encode(s, nullptr)) return false;
            s.done = true;
            continue;
        }
        if (!videoNext && static_cast<size_t>(e.audio.next) >= soundFrames) {
            if (!e.encode(s, nullptr)) return false;
            s.done = true;
            continue;
        }
        if (videoNext) {
            e.frame->format = AV_PIX_FMT_YUV420P;
            e.frame->width = width;
            e.frame->height = height;
            if (av_frame_get_buffer(e.frame, 0) < 0) return false;
            draw(static_cast<int>(e.video.next), bgr.data(), width * 3);
            const uint8_t* src[1] = {bgr.data()};
            const int srcStride[1] = {width * 3};
            sws_scale(e.converter, src, srcStride, 0, height, e.frame->data, e.frame->linesize);
            e.frame->pts = e.video.next++;
        } else {
            // The last chunk is padded with silence to the encoder's frame size.
            e.frame->format = AV_SAMPLE_FMT_S16;
            e.frame->sample_rate = kSoundRate;
            e.frame->nb_samples = soundChunk;
            if (av_channel_layout_copy(&e.frame->ch_layout, &e.audio.codec->ch_layout) < 0 ||
                av_frame_get_buffer(e.frame, 0) < 0)
                return false;
            auto* out = reinterpret_cast<int16_t*>(e.frame->data[0]);
            const size_t from = static_cast<size_t>(e.audio.next);
            for (size_t i = 0; i < static_cast<size_t>(soundChunk) * 2; ++i) {
                const size_t at = from * 2 + i;
                out[i] = at < sound.size() ? sound[at] : 0;
            }
            e.frame->pts = e.audio.next;
            e.audio.next += soundChunk;
        }
        if (!e.encode(s, e.frame)) return false;
    }
    if (av_write_trailer(e.format) < 0) return false;
    if (avio_closep(&e.format->pb) < 0) return false;
    e.opened = false;
    return true;
}

} // namespace zre
