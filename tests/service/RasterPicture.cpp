// The raster test's helper: writes the documents it prints, and checks what reached the printer
// against them through the decoder's reading of the printer's bytes.
//   raster-picture pwg OUT            two pages of one-bit PWG raster, 607 dots wide, 203 dpi
//   raster-picture jpeg OUT           a grey JPEG twice as high as wide: black above, white below
//   raster-picture compare PWG PRN DOTS   each row of the raster is the row the bit images drew
//   raster-picture halves PRN DOTS    one page DOTS wide, black in its top quarter, white in its bottom one
#include <cups/raster.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
// jpeglib.h takes FILE from the C library without including it.
#include <jpeglib.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "service/RasterDocuments.h"

namespace {

using Pages = std::vector<std::vector<std::vector<bool>>>;
constexpr unsigned kWidth = 607;
constexpr unsigned kHeight = 1000;

bool Dot(unsigned page, unsigned x, unsigned y) {
    if (page == 0) return (x / 3 + y / 5) % 7 == 0 || (x < 40 && y < 40) || x == kWidth - 1;
    return (x + 2 * y) % 11 == 0 || y == kHeight - 1;
}

int WritePwg(const char* out) {
    const int fd = ::open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return 1;
    cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_WRITE_PWG);
    for (unsigned page = 0; page < 2; ++page) {
        cups_page_header2_t header;
        cupsRasterInitPWGHeader(&header, pwgMediaForPWG("om_qv6-76mm_76x152mm"), "black_1", 203, 203,
                                "one-sided", nullptr);
        header.cupsWidth = kWidth;
        header.cupsHeight = kHeight;
        header.cupsBytesPerLine = (kWidth + 7) / 8;
        cupsRasterWriteHeader2(raster, &header);
        std::vector<unsigned char> line(header.cupsBytesPerLine);
        for (unsigned y = 0; y < kHeight; ++y) {
            std::fill(line.begin(), line.end(), 0);
            for (unsigned x = 0; x < kWidth; ++x) {
                if (Dot(page, x, y)) line[x / 8] |= static_cast<unsigned char>(0x80u >> (x % 8));
            }
            cupsRasterWritePixels(raster, line.data(), header.cupsBytesPerLine);
        }
    }
    cupsRasterClose(raster);
    ::close(fd);
    return 0;
}

int WriteJpeg(const char* out) {
    FILE* file = std::fopen(out, "wb");
    if (file == nullptr) return 1;
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = 300;
    info.image_height = 600;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(info.image_width);
    while (info.next_scanline < info.image_height) {
        std::fill(row.begin(), row.end(), info.next_scanline < info.image_height / 2 ? 0 : 255);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return 0;
}

Pages Drawn(const char* prn) {
    std::ifstream in(prn, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    return qvset::DrawnPages(bytes);
}

// The width the bit images of a page draw (the longest row).
std::size_t DrawnWidth(const std::vector<std::vector<bool>>& page) {
    std::size_t width = 0;
    for (const auto& row : page) width = std::max(width, row.size());
    return width;
}

int Compare(const char* pwg, const char* prn, std::size_t dots) {
    const Pages drawn = Drawn(prn);
    const int fd = ::open(pwg, O_RDONLY);
    cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_READ);
    cups_page_header2_t header;
    std::size_t page = 0;
    while (cupsRasterReadHeader2(raster, &header)) {
        if (page >= drawn.size()) {
            std::cerr << "the printer drew " << drawn.size() << " pages, the raster has more\n";
            return 1;
        }
        if (DrawnWidth(drawn[page]) != dots) {
            std::cerr << "page " << page + 1 << " is " << DrawnWidth(drawn[page]) << " dots wide, not "
                      << dots << "\n";
            return 1;
        }
        std::vector<unsigned char> line(header.cupsBytesPerLine);
        for (unsigned y = 0; y < header.cupsHeight; ++y) {
            cupsRasterReadPixels(raster, line.data(), header.cupsBytesPerLine);
            const std::vector<bool> none;
            const auto& row = y < drawn[page].size() ? drawn[page][y] : none;
            for (std::size_t x = 0; x < dots; ++x) {
                const bool black = x < header.cupsWidth && (line[x / 8] & (0x80u >> (x % 8))) != 0;
                const bool seen = x < row.size() && row[x];
                if (black != seen) {
                    std::cerr << "page " << page + 1 << " row " << y << " dot " << x << ": the raster has "
                              << (black ? "black" : "white") << ", the printer drew "
                              << (seen ? "black" : "white") << "\n";
                    return 1;
                }
            }
        }
        for (std::size_t y = header.cupsHeight; y < drawn[page].size(); ++y) {
            for (const bool dot : drawn[page][y]) {
                if (dot) {
                    std::cerr << "page " << page + 1 << " row " << y
                              << " is below the raster and not white\n";
                    return 1;
                }
            }
        }
        ++page;
    }
    cupsRasterClose(raster);
    ::close(fd);
    if (page != drawn.size() || page == 0) {
        std::cerr << "the raster has " << page << " pages, the printer drew " << drawn.size() << "\n";
        return 1;
    }
    return 0;
}

double BlackShare(const std::vector<std::vector<bool>>& page, std::size_t from, std::size_t to,
                  std::size_t width) {
    std::size_t black = 0;
    for (std::size_t y = from; y < to && y < page.size(); ++y) {
        for (const bool dot : page[y]) black += dot ? 1 : 0;
    }
    return static_cast<double>(black) / static_cast<double>((to - from) * width);
}

int Halves(const char* prn, std::size_t dots) {
    const Pages drawn = Drawn(prn);
    if (drawn.size() != 1) {
        std::cerr << "the printer drew " << drawn.size() << " pages, not one\n";
        return 1;
    }
    const auto& page = drawn[0];
    const std::size_t height = page.size();
    const double top = BlackShare(page, 0, height / 4, dots);
    const double bottom = BlackShare(page, height * 3 / 4, height, dots);
    std::cout << "width " << DrawnWidth(page) << " height " << height << " top " << top << " bottom "
              << bottom << "\n";
    return DrawnWidth(page) == dots && top > 0.9 && bottom < 0.05 ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "pwg" && argc == 3) return WritePwg(argv[2]);
    if (what == "jpeg" && argc == 3) return WriteJpeg(argv[2]);
    if (what == "compare" && argc == 5) return Compare(argv[2], argv[3], std::stoul(argv[4]));
    if (what == "halves" && argc == 4) return Halves(argv[2], std::stoul(argv[3]));
    std::cerr << "usage: raster-picture pwg|jpeg OUT | compare PWG PRN DOTS | halves PRN DOTS\n";
    return 2;
}
