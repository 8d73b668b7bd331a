#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decode/PrinterState.h"

namespace qvset {

// The printer's dots per millimetre across the paper and along it.
inline constexpr int kDotsPerMillimetre = 8;
// The bit image mode of one band: eight dots high, one byte a column, the top dot in the high bit.
inline constexpr std::uint8_t kBandMode = 0x01;
inline constexpr int kBandRows = 8;

// The paper width the printer holds as far as its documents say (the paper switch), in millimetres:
// 76 or 58; 76 while no document has set it.
int PaperMillimetres(const PrinterState& state);
// The same width in dots.
inline int PaperDots(const PrinterState& state) {
    return PaperMillimetres(state) * kDotsPerMillimetre;
}
// The media size name of a paper width ("om_qv6-76mm_76x152mm").
std::string MediaSizeName(int millimetres);

// Turns the rows of a page of one-bit raster (one bit a dot, the first dot in the high bit, 1 black)
// into the printer's commands: each run of eight rows one bit image of the paper's width (rows wider
// than the paper are cut at its edge, narrower ones filled with white), then a feed of eight dots; a
// band with no black dot is only the feed. Each page ends with a cut. The bytes of every page of a
// job make one document.
class RasterTicket {
  public:
    explicit RasterTicket(int widthDots);

    void AddRow(std::span<const std::uint8_t> row);
    // Ends the page: the last rows as a band of their own, then the cut.
    void EndPage();
    const std::vector<std::uint8_t>& Document() const { return m_document; }
    int Width() const { return m_width; }

  private:
    void WriteBand();

    int m_width;
    std::vector<std::vector<std::uint8_t>> m_rows;  // the band being gathered
    std::vector<std::uint8_t> m_document;
};

// The feed after each band (ESC J 8) and the cut at each page's end (GS V 66 0: feed to the cutting
// position and cut).
inline constexpr std::uint8_t kBandFeed[] = {0x1B, 0x4A, kBandRows};
inline constexpr std::uint8_t kPageCut[] = {0x1D, 0x56, 0x42, 0x00};

// The picture a document draws, as rows of dots (1 black), from the decoder's bit images and forward
// feeds; the rows of each page, a page ending at a cut. For checking what a raster job sent.
std::vector<std::vector<std::vector<bool>>> DrawnPages(std::span<const std::uint8_t> document);

}  // namespace qvset
