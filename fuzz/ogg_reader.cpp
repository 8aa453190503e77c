// Ogg Vorbis sounds as members of a GPK2 package: the reader decodes through the window of
// the member in the package file and never reads outside it; what opens is decoded (up to
// a bound), sought and decoded again. Page checksums are set right first, so that changed
// bytes reach the codec instead of failing the page check.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/byte_stream.h"
#include "data/file_access.h"
#include "data/gpk_archive.h"
#include "platform/vorbis_file.h"
#include "sound/wave_reader.h"

namespace {

const std::string& packageFile() {
    static const std::string path = [] {
        auto p = std::filesystem::temp_directory_path() / ("zre-fuzz-ogg-" + std::to_string(::getpid()) + ".dat");
        std::atexit([] { std::remove(packageFile().c_str()); });
        return p.string();
    }();
    return path;
}

// Decodes up to limit bytes; the count.
uint64_t decode(sslib2::COggFileReader& r, uint64_t limit) {
    uint8_t buffer[8192];
    uint64_t total = 0;
    for (uint32_t got = 1; got > 0 && total < limit;) {
        if (!r.Read(buffer, sizeof buffer, &got)) std::abort();
        total += got;
    }
    return total;
}

} // namespace

// libvorbisfile loses a few bytes of its own when a later link of a chained stream has
// broken headers; nothing outside the library holds them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libvorbisfile.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> member(data, data + size);
    zre::resealOggPages(member.data(), member.size());
    const std::vector<uint8_t> image = zre::buildGpkArchive(
        {{"before.bin", std::vector<uint8_t>(37, 0x4F)}, {"s.ogg", member}, {"after.bin", std::vector<uint8_t>(11, 0x67)}});
    const std::string& path = packageFile();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(image.data(), 1, image.size(), f);
    std::fclose(f);

    std::unique_ptr<zre::ByteStream> window = zre::openGameStream(path + "/s.ogg");
    if (!window || window->size() != size) std::abort();
    sslib2::COggFileReader reader;
    if (!reader.OpenSource(std::move(window), 0, static_cast<int32_t>(size))) {
        if (reader.IsOpen()) std::abort();
        return 0;
    }
    sslib2::PcmFormat format;
    reader.GetFormat(&format);
    if (format.bitsPerSample != 16 || format.blockAlign != 2 * format.channels) std::abort();
    const uint64_t limit = 1 << 20;
    decode(reader, limit);
    if (reader.Seek(reader.GetLength() / 2)) decode(reader, limit);
    if (reader.Seek(0) && reader.IsEOF()) std::abort();
    decode(reader, limit);
    reader.Close();
    if (reader.IsOpen() || reader.Tell() != 0) std::abort();
    return 0;
}
