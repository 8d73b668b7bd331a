#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "decode/DecodedCommand.h"

namespace qvset {

// A picture of what a document asks the printer to do: bit-image columns as dots (one column a pixel,
// wrapped at the picture's width), text lines in a CJK font, feeds as space, and every other command as
// a small grey note (unknown and cut-off bytes in red). The common receipt-printer commands of other
// programs are drawn as a receipt printer prints them: raster images (GS v 0, GS ( L, GS 8 L), QR codes
// and the other two-dimensional symbols, barcodes with their text where GS H puts it, the text sizes
// and styles of GS ! and ESC !, alignment (on a line of kReceiptDots) and the cut; the commands that
// only set something are not drawn, those that do something else are grey notes. A legend at the top
// says plainly that it is a sketch of the command stream, not a model of the paper. Needs a
// QGuiApplication (the offscreen platform will do).
QImage RenderJobPicture(const std::vector<DecodedCommand>& entries, std::size_t leftOut = 0);

// The picture as the bytes of a PNG file.
// `leftOut` more entries followed that were not kept: the picture says they are left out.
std::string RenderJobPng(const std::vector<DecodedCommand>& entries, std::size_t leftOut = 0);

// Decodes a document and writes its picture as a PNG file, whole or not at all. False when the file
// could not be written.
bool WriteJobPicture(std::span<const std::uint8_t> document, const std::filesystem::path& png);

// The picture's width in pixels and the number of bit-image columns drawn on one row.
inline constexpr int kPictureWidth = 1000;
inline constexpr int kPictureMargin = 20;
inline constexpr int kColumnsPerRow = kPictureWidth - 2 * kPictureMargin;
// The line a receipt is aligned on: the 72 mm a receipt printer prints of 80 mm paper, 8 dots a mm.
inline constexpr int kReceiptDots = 576;
// Pixels per dot of a bit image, downwards, and per motion unit of a feed.
inline constexpr int kDotHeight = 2;
inline constexpr int kFeedUnitHeight = 2;
// No picture grows taller than this; the rest of a longer document is left out, with a note.
inline constexpr int kMaxPictureHeight = 10000;

}  // namespace qvset
