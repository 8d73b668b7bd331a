// The virtual printer's picture of a receipt from another program: images, QR codes and barcodes are
// drawn from their data where the alignment puts them, text in the sizes its commands ask, the cut as
// a dashed line.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <string>
#include <vector>

#include "decode/CommandDecoder.h"
#include "decode/backend/JobPicture.h"
#include "decode/backend/ReceiptSymbols.h"
#include "printer/HexCodec.h"

namespace qvset {
namespace {

QImage Picture(const std::string& hex) {
    return RenderJobPicture(DecodeDocument(DecodeHex(hex).value()));
}

int FirstRowBelowLegend() {
    return RenderJobPicture({}).height() - kPictureMargin;
}

bool Ink(const QImage& picture, int x, int y) {
    return picture.pixelColor(x, y).lightness() < 128;
}

// The smallest rectangle holding every dark pixel below the legend (inclusive edges); empty when none.
struct Box {
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;
    bool Empty() const { return right < left; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

Box InkBox(const QImage& picture, int fromY = FirstRowBelowLegend()) {
    Box box;
    bool any = false;
    for (int y = fromY; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (!Ink(picture, x, y)) continue;
            box.left = any ? std::min(box.left, x) : x;
            box.right = any ? std::max(box.right, x) : x;
            box.top = any ? box.top : y;
            box.bottom = y;
            any = true;
        }
    }
    return box;
}

// Whether every pixel of a row between two columns is dark (or light, with `dark` false).
bool RowIs(const QImage& picture, int y, int from, int to, bool dark) {
    for (int x = from; x <= to; ++x) {
        if (Ink(picture, x, y) != dark) return false;
    }
    return true;
}

TEST(ReceiptPicture, RasterImagesAreDrawnDotForDotWhereTheAlignmentPutsThem) {
    // 16 × 2 dots: F0 0F, then a full row
    const std::string dots = "F00FFFFF";
    struct Row {
        std::string hex;
        int left;
        int scale;
    };
    const Row rows[] = {
        {"1D763000"
         "0200"
         "0200" +
             dots,
         kPictureMargin, 1},
        {"1B6101"
         "1D763000"
         "0200"
         "0200" +
             dots,
         kPictureMargin + (kReceiptDots - 16) / 2, 1},
        {"1B6102"
         "1D763000"
         "0200"
         "0200" +
             dots,
         kPictureMargin + kReceiptDots - 16, 1},
        // quadruple
        {"1D763003"
         "0200"
         "0200" +
             dots,
         kPictureMargin, 2},
        // GS ( L: stored, then printed
        {"1D284C"
         "0E00"
         "3070"
         "30"
         "0101"
         "31"
         "1000"
         "0200" +
             dots +
             "1D284C"
             "0200"
             "3032",
         kPictureMargin, 1},
        // the stored image alone prints nothing
        {"1D284C"
         "0E00"
         "3070"
         "30"
         "0101"
         "31"
         "1000"
         "0200" +
             dots,
         0, 0},
    };
    for (const auto& row : rows) {
        const QImage picture = Picture(row.hex);
        const Box box = InkBox(picture);
        if (row.scale == 0) {
            EXPECT_TRUE(box.Empty()) << row.hex;
            continue;
        }
        ASSERT_FALSE(box.Empty()) << row.hex;
        EXPECT_EQ(box.left, row.left) << row.hex;
        EXPECT_EQ(box.Width(), 16 * row.scale) << row.hex;
        EXPECT_EQ(box.Height(), 2 * row.scale) << row.hex;
        const int s = row.scale;
        EXPECT_TRUE(RowIs(picture, box.top, box.left, box.left + 4 * s - 1, true)) << row.hex;
        EXPECT_TRUE(RowIs(picture, box.top, box.left + 4 * s, box.left + 12 * s - 1, false)) << row.hex;
        EXPECT_TRUE(RowIs(picture, box.top, box.left + 12 * s, box.right, true)) << row.hex;
        EXPECT_TRUE(RowIs(picture, box.bottom, box.left, box.right, true)) << row.hex;
    }
}

TEST(ReceiptPicture, AQrCodeIsDrawnFromItsDataWithItsModuleSize) {
    // model 2, module 4 dots, level M, "hello" (version 1: 21 modules), print
    const std::string settings =
        "1D286B040031413200"
        "1D286B0300314304"
        "1D286B0300314531";
    const std::string store =
        "1D286B0800315030"
        "68656C6C6F";
    const QImage picture = Picture(settings + store + "1D286B0300315130");
    const Box box = InkBox(picture);
    ASSERT_FALSE(box.Empty());
    EXPECT_EQ(box.Width(), 21 * 4);
    EXPECT_EQ(box.Height(), 21 * 4);
    // the three finder patterns: a dark ring of 7 modules, a light ring, a dark centre of 3
    const auto module = [&](int mx, int my) {
        return Ink(picture, box.left + 4 * mx + 2, box.top + 4 * my + 2);
    };
    for (const auto& [cx, cy] : {std::pair{0, 0}, std::pair{14, 0}, std::pair{0, 14}}) {
        for (int i = 0; i < 7; ++i) {
            EXPECT_TRUE(module(cx + i, cy)) << cx << "," << cy;
            EXPECT_TRUE(module(cx, cy + i)) << cx << "," << cy;
        }
        EXPECT_FALSE(module(cx + 1, cy + 1));
        EXPECT_TRUE(module(cx + 3, cy + 3));
    }
    EXPECT_FALSE(module(20, 0) && module(20, 6) && module(14, 6) && module(20, 20));
    // stored but never printed: nothing
    EXPECT_TRUE(InkBox(Picture(settings + store)).Empty());
}

TEST(ReceiptPicture, BarcodesAreDrawnWithTheirTextWhereGsHPutsIt) {
    struct Row {
        std::string barcode;  // GS k and its data
        int modules;          // the symbology's width in modules for that data; 0: not checked
        int position;         // GS H
    };
    const Row rows[] = {
        // CODE128 "{BABC": start, three characters, check, stop (11 × 5 + 13)
        {"1D6B4905"
         "7B42414243",
         68, 2},
        // EAN13 of twelve digits: 95 modules
        {"1D6B02"
         "353930313233343132333435"
         "00",
         95, 0},
        {"1D6B04"
         "414243"
         "00",
         0, 1},
        {"1D6B4905"
         "7B42414243",
         68, 3},
    };
    for (const auto& row : rows) {
        char position[3];
        std::snprintf(position, sizeof position, "%02X", row.position);
        // height 50 dots, module 2 dots
        const QImage picture = Picture(
            "1D6832"
            "1D7702"
            "1D48" +
            std::string(position) + row.barcode);
        const Box box = InkBox(picture);
        ASSERT_FALSE(box.Empty()) << row.barcode;
        // the first bar: its dark column is the bars' height
        int x = box.left;
        int top = -1;
        int bottom = -1;
        for (int y = box.top; y <= box.bottom; ++y) {
            if (!Ink(picture, x, y)) continue;
            if (top < 0) top = y;
            bottom = y;
        }
        EXPECT_GE(bottom - top + 1, 50) << row.barcode;
        EXPECT_LE(bottom - top + 1, 50 + 2 * 6) << row.barcode;  // EAN's guard bars reach a little lower
        if (row.modules > 0) {
            EXPECT_EQ(box.Width(), 2 * row.modules) << row.barcode;
        }
        EXPECT_EQ(box.top < top, row.position == 1 || row.position == 3) << "text above: " << row.barcode;
        EXPECT_EQ(box.bottom > bottom + 2, row.position == 2 || row.position == 3)
            << "text below: " << row.barcode;
    }
    EXPECT_EQ(Code128Characters(DecodeHex("7B4231327B43"
                                          "0C22"
                                          "7B7B")
                                    .value()),
              "12"
              "1234"
              "{");
}

TEST(ReceiptPicture, TextIsDrawnInTheSizeAndPlaceItsCommandsAsk) {
    const Box normal =
        InkBox(Picture("1B40"
                       "48"));
    const Box doubled =
        InkBox(Picture("1B40"
                       "1D2111"
                       "48"));
    const Box tall =
        InkBox(Picture("1B40"
                       "1B2110"
                       "48"));
    ASSERT_FALSE(normal.Empty());
    EXPECT_NEAR(doubled.Height(), 2 * normal.Height(), 2);
    EXPECT_NEAR(doubled.Width(), 2 * normal.Width(), 2);
    EXPECT_NEAR(tall.Height(), 2 * normal.Height(), 2);
    EXPECT_NEAR(tall.Width(), normal.Width(), 2);
    const Box right =
        InkBox(Picture("1B40"
                       "1B6102"
                       "48"));
    EXPECT_NEAR(right.right, kPictureMargin + kReceiptDots, normal.Width() / 2 + 2);
    EXPECT_LT(normal.left, kPictureMargin + 6);
}

// A row with a dashed line across the picture's width.
bool HasDashedLine(const QImage& picture) {
    for (int y = FirstRowBelowLegend(); y < picture.height(); ++y) {
        int marked = 0;
        for (int x = kPictureMargin; x < kPictureMargin + kColumnsPerRow; ++x) {
            if (picture.pixelColor(x, y) != QColor(255, 255, 255)) ++marked;
        }
        if (marked > kColumnsPerRow / 3) return true;
    }
    return false;
}

TEST(ReceiptPicture, TheCutIsADashedLineAndSettingsDrawNothing) {
    EXPECT_TRUE(
        HasDashedLine(Picture("1B40"
                              "1D5600")));
    EXPECT_TRUE(
        HasDashedLine(Picture("1B40"
                              "1D564110")));
    // settings alone leave the paper blank: no note, no text from their parameter bytes
    EXPECT_TRUE(InkBox(Picture("1B40"
                               "1C2E"
                               "1B7410"
                               "1D2122"
                               "1B6101"
                               "1D6850"
                               "1D7703"
                               "1D4802"
                               "1B4501"))
                    .Empty());
    EXPECT_FALSE(
        HasDashedLine(Picture("1B40"
                              "1B6405")));
}

}  // namespace
}  // namespace qvset
