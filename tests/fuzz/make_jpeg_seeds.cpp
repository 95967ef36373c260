// SPDX-License-Identifier: GPL-3.0-or-later
// make_jpeg_seeds DIR
//
// Writes the small JPEG files the picture fuzzer starts from: every kind the
// decoder takes (grayscale, YCbCr at 4:2:0 and 4:4:4, RGB, CMYK with and
// without Adobe's marker, YCCK; baseline, progressive, arithmetic, with
// restart markers; odd and tiny sizes) and a truncated one.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

struct Kind {
    const char *name;
    int width, height;
    J_COLOR_SPACE input;  // samples handed to the encoder
    J_COLOR_SPACE stored; // colour space inside the file
    bool progressive = false;
    bool arithmetic = false;
    int restartRows = 0;
    bool adobeMarker = true;
    int sampling = 2; // luma sampling factor in both directions
};

std::vector<unsigned char> encode(const Kind &kind) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    const int components = kind.input == JCS_GRAYSCALE ? 1 : kind.input == JCS_CMYK ? 4 : 3;
    info.image_width = JDIMENSION(kind.width);
    info.image_height = JDIMENSION(kind.height);
    info.input_components = components;
    info.in_color_space = kind.input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, kind.stored);
    jpeg_set_quality(&info, 75, TRUE);
    info.comp_info[0].h_samp_factor = kind.sampling;
    info.comp_info[0].v_samp_factor = kind.sampling;
    info.arith_code = kind.arithmetic ? TRUE : FALSE;
    info.restart_in_rows = kind.restartRows;
    info.write_Adobe_marker = kind.adobeMarker ? TRUE : FALSE;
    if (kind.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(std::size_t(kind.width * components));
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < kind.width; ++x)
            for (int c = 0; c < components; ++c)
                row[std::size_t(x * components + c)] = static_cast<unsigned char>(
                    (x * 37 + int(info.next_scanline) * 11 + c * 80) & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<unsigned char> bytes(out, out + size);
    std::free(out);
    return bytes;
}

bool save(const std::string &path, const std::vector<unsigned char> &bytes) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_jpeg_seeds DIR\n");
        return EXIT_FAILURE;
    }
    const std::string dir = argv[1];
    const Kind kinds[] = {
        {"gray-8x8", 8, 8, JCS_GRAYSCALE, JCS_GRAYSCALE, false, false, 0, true, 1},
        {"ycbcr420-16x16", 16, 16, JCS_RGB, JCS_YCbCr},
        {"ycbcr444-17x9", 17, 9, JCS_RGB, JCS_YCbCr, false, false, 0, true, 1},
        {"progressive-16x16", 16, 16, JCS_RGB, JCS_YCbCr, true},
        {"progressive-gray-9x7", 9, 7, JCS_GRAYSCALE, JCS_GRAYSCALE, true, false, 0, true, 1},
        {"arithmetic-16x16", 16, 16, JCS_RGB, JCS_YCbCr, false, true},
        {"restarts-32x16", 32, 16, JCS_RGB, JCS_YCbCr, false, false, 1},
        {"rgb-8x8", 8, 8, JCS_RGB, JCS_RGB, false, false, 0, true, 1},
        {"cmyk-adobe-8x8", 8, 8, JCS_CMYK, JCS_CMYK, false, false, 0, true, 1},
        {"cmyk-plain-8x8", 8, 8, JCS_CMYK, JCS_CMYK, false, false, 0, false, 1},
        {"ycck-8x8", 8, 8, JCS_CMYK, JCS_YCCK, false, false, 0, true, 1},
        {"tiny-1x1", 1, 1, JCS_RGB, JCS_YCbCr, false, false, 0, true, 1},
    };
    for (const Kind &kind : kinds) {
        const std::vector<unsigned char> bytes = encode(kind);
        if (!save(dir + "/" + kind.name + ".jpg", bytes))
            return EXIT_FAILURE;
        if (kind.name == std::string("ycbcr420-16x16") &&
            !save(
                dir + "/truncated-16x16.jpg",
                std::vector<unsigned char>(bytes.begin(), bytes.begin() + long(bytes.size() / 2))))
            return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
