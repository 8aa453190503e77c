// zre-tool image convert IN OUT [--compress] [--scramble]: pictures between PNG and the
// game's BMP, GGEF and GFB files, chosen by extension.
#include <cstring>
#include <optional>

#include "data/file_access.h"
#include "graphics/image_formats.h"
#include "graphics/picture_reader.h"
#include "platform/file_system.h"
#include "platform/png_io.h"
#include "platform/sjis.h"
#include "tools/tool_commands.h"

namespace zre::tool {

namespace {

const char kUsage[] = "usage: zre-tool image convert IN OUT [--compress] [--scramble]";

enum class Kind { Png, Bmp, Gef, Gfb };

const char* kindName(Kind k) {
    switch (k) {
    case Kind::Png: return "PNG";
    case Kind::Bmp: return "BMP";
    case Kind::Gef: return "GGEF";
    case Kind::Gfb: return "GFB";
    }
    return "?";
}

// The extension decides, written in lower case exactly as the game writes it.
std::optional<Kind> kindOf(std::string_view path) {
    std::string_view ext = pathExtension(path);
    if (ext == ".png") return Kind::Png;
    if (ext == ".bmp") return Kind::Bmp;
    if (ext == ".gef") return Kind::Gef;
    if (ext == ".gfb") return Kind::Gfb;
    return std::nullopt;
}

std::string extensionError(const std::string& path) {
    const std::string sjis = utf8ToSjis(path);
    std::string_view ext = pathExtension(sjis);
    std::string shown = ext.empty() ? std::string("no extension") : "extension '" + sjisToUtf8(ext) + "'";
    return path + ": " + shown + " is not a picture type (use .png, .bmp, .gef or .gfb, in lower case)";
}

// Why a PNG was refused: the signature, the declared size, or the content.
std::string pngRefusal(const std::vector<uint8_t>& data) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (data.size() < 8 || std::memcmp(data.data(), kSignature, 8) != 0) return "not a PNG picture";
    if (data.size() >= 24 && std::memcmp(data.data() + 12, "IHDR", 4) == 0) {
        auto be32 = [&](size_t at) {
            return uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 | uint32_t(data[at + 2]) << 8 | data[at + 3];
        };
        uint32_t w = be32(16), h = be32(20);
        if (w > uint32_t(kMaxPictureSide) || h > uint32_t(kMaxPictureSide) ||
            uint64_t(strideFor(int32_t(w))) * h > kMaxPictureBytes) {
            return "the picture is too large";
        }
    }
    return "malformed PNG picture";
}

int convert(const std::string& in, const std::string& out, bool compress, bool scramble) {
    std::optional<Kind> inKind = kindOf(utf8ToSjis(in));
    if (!inKind) return fail(2, extensionError(in));
    std::optional<Kind> outKind = kindOf(utf8ToSjis(out));
    if (!outKind) return fail(2, extensionError(out));
    if ((compress || scramble) && *outKind != Kind::Gfb) {
        return fail(2, "--compress and --scramble apply only to .gfb output");
    }

    const std::string inPath = utf8ToSjis(in), outPath = utf8ToSjis(out);
    switch (hostKind(inPath)) {
    case HostKind::Missing: return fail(1, in + ": not found");
    case HostKind::Directory: return fail(1, in + ": is a folder, not a picture");
    case HostKind::File: break;
    }
    std::optional<std::vector<uint8_t>> data = readWholeFile(inPath);
    if (!data) return fail(1, in + ": cannot be read");

    Bitmap picture;
    if (*inKind == Kind::Png) {
        int w = 0, h = 0;
        std::vector<uint8_t> bits;
        if (!decodePngBgr(data->data(), data->size(), w, h, bits)) return fail(1, in + ": " + pngRefusal(*data));
        if (!picture.create(w, h) || picture.byteCount() != bits.size()) {
            return fail(1, in + ": the picture is too large");
        }
        std::memcpy(picture.bits, bits.data(), bits.size());
    } else {
        MemoryStream source(data->data(), data->size());
        PictureStatus status = *inKind == Kind::Bmp   ? readBmp(picture, source)
                               : *inKind == Kind::Gef ? readGef(picture, source)
                                                      : readGfb(picture, source);
        if (status == PictureStatus::BadSignature) {
            return fail(1, in + ": not a " + std::string(kindName(*inKind)) + " picture");
        }
        if (status != PictureStatus::Ok) return fail(1, in + ": " + pictureStatusText(status));
    }

    std::vector<uint8_t> image;
    switch (*outKind) {
    case Kind::Png:
        if (!encodePngBgr(picture.bits, picture.width(), picture.height(), picture.stride(), image)) {
            return fail(1, out + ": the PNG encoder failed");
        }
        break;
    case Kind::Bmp: image = picture.bmpImage(); break;
    case Kind::Gef: image = encodeGef(picture); break;
    case Kind::Gfb: image = encodeGfb(picture, scramble, compress); break;
    }
    if (!writeFileAtomically(outPath, image)) return fail(1, out + ": cannot be written");
    return 0;
}

} // namespace

int imageCommand(const Args& args) {
    if (args.empty() || args[0] != "convert") return fail(2, kUsage);
    std::vector<std::string> files;
    bool compress = false, scramble = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--compress") compress = true;
        else if (a == "--scramble") scramble = true;
        else if (a.size() > 1 && a[0] == '-') return fail(2, "unknown option '" + a + "'\n" + kUsage);
        else files.push_back(a);
    }
    if (files.size() != 2) return fail(2, kUsage);
    return convert(files[0], files[1], compress, scramble);
}

} // namespace zre::tool
