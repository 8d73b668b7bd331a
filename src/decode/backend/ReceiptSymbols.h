#pragma once

#include <QImage>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qvset {

// The barcodes and two-dimensional symbols of receipts, drawn as a receipt printer prints them from the
// data its commands carry, one pixel a dot, black on white. A null image when the data cannot be drawn
// as that symbol (a barcode of letters where digits belong); `why` then says so.

// A QR code (libqrencode) of modules `moduleDots` square; `level` 0 to 3 is L, M, Q, H.
QImage DrawQrCode(std::span<const std::uint8_t> data, int moduleDots, int level, std::string* why = nullptr);

// The settings of the other two-dimensional symbols (GS ( k): PDF417, Data Matrix, Aztec code.
struct MatrixSymbolSettings {
    int moduleDots = 3;
    int rowHeight = 3;  // PDF417: a row's height in modules
    int columns = 0;    // PDF417: data columns, 0 for as many as the data needs
    int rows = 0;       // PDF417: rows, 0 for as many as the data needs
    int level = -1;     // PDF417: error correction level 0 to 8, -1 for the default
    bool truncated = false;
};
// `symbol` is the decoder's word: "pdf417", "datamatrix", "aztec".
QImage DrawMatrixSymbol(std::string_view symbol, std::span<const std::uint8_t> data,
                        const MatrixSymbolSettings& settings, std::string* why = nullptr);

// A barcode (libzint) of the symbology the decoder names ("CODE128", "EAN13", "CODE39", ...) from the
// data as GS k sends it (CODE128's code-set marks such as "{B" read as the printer reads them): bars of
// `moduleDots`, `heightDots` high. `text` is the human-readable text the printer prints with it.
QImage DrawBarcode(std::string_view symbology, std::span<const std::uint8_t> data, int moduleDots,
                   int heightDots, std::string* text, std::string* why = nullptr);

// The plain characters a CODE128 barcode of GS k 73 holds: its code-set marks ({A {B {C {S, the
// functions {1 to {4) taken out, "{{" read as "{", and code set C's bytes as two digits each.
std::string Code128Characters(std::span<const std::uint8_t> data);

}  // namespace qvset
