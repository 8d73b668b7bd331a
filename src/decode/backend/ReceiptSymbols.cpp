#include "decode/backend/ReceiptSymbols.h"

#include <qrencode.h>
#include <zint.h>

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace qvset {
namespace {

const QColor kSymbolInk(0, 0, 0);
const QColor kSymbolPaper(255, 255, 255);

// zint's vectors measure a module as two units at scale 1.
constexpr float kUnitsPerModule = 2.0f;
// Far beyond any receipt; a symbol larger than this is not drawn.
constexpr int kLargestSide = 4000;

void Say(std::string* why, std::string text) {
    if (why != nullptr) *why = std::move(text);
}

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using Symbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

Symbol NewSymbol(int symbology) {
    Symbol symbol(ZBarcode_Create());
    if (!symbol) return symbol;
    symbol->symbology = symbology;
    symbol->show_hrt = 0;
    symbol->scale = 1.0f;
    symbol->whitespace_width = 0;
    symbol->border_width = 0;
    return symbol;
}

// Encodes and lays the symbol out as rectangles; false (with zint's reason) when it cannot.
bool Encode(zint_symbol* symbol, std::span<const std::uint8_t> data, std::string* why) {
    const int result =
        ZBarcode_Encode_and_Buffer_Vector(symbol, data.data(), static_cast<int>(data.size()), 0);
    if (result >= ZINT_ERROR || symbol->vector == nullptr) {
        Say(why, symbol->errtxt[0] != '\0' ? std::string(symbol->errtxt) : "cannot be encoded");
        return false;
    }
    return true;
}

// The symbol's rectangles painted with modules `moduleDots` wide and every unit of height `yScale`
// pixels, from its leftmost bar on.
QImage Paint(const zint_symbol* symbol, float moduleDots, float yScale, std::string* why) {
    float left = 0;
    float right = 0;
    float bottom = 0;
    bool any = false;
    for (const zint_vector_rect* rect = symbol->vector->rectangles; rect != nullptr; rect = rect->next) {
        left = any ? std::min(left, rect->x) : rect->x;
        right = any ? std::max(right, rect->x + rect->width) : rect->x + rect->width;
        bottom = std::max(bottom, rect->y + rect->height);
        any = true;
    }
    const float xScale = moduleDots / kUnitsPerModule;
    const int width = static_cast<int>(std::lround((right - left) * xScale));
    const int height = static_cast<int>(std::lround(bottom * yScale));
    if (!any || width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) {
        Say(why, "too large to draw");
        return {};
    }
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kSymbolPaper);
    QPainter painter(&image);
    for (const zint_vector_rect* rect = symbol->vector->rectangles; rect != nullptr; rect = rect->next) {
        if (rect->colour > 0 && rect->colour != 7) continue;  // only the foreground (and black) is ink
        const int x0 = static_cast<int>(std::lround((rect->x - left) * xScale));
        const int x1 = static_cast<int>(std::lround((rect->x + rect->width - left) * xScale));
        const int y0 = static_cast<int>(std::lround(rect->y * yScale));
        const int y1 = static_cast<int>(std::lround((rect->y + rect->height) * yScale));
        painter.fillRect(x0, y0, std::max(1, x1 - x0), std::max(1, y1 - y0), kSymbolInk);
    }
    return image;
}

struct Symbology {
    std::string_view name;
    int zint;
};
constexpr std::array<Symbology, 14> kSymbologies{{{"UPC-A", BARCODE_UPCA},
                                                  {"UPC-E", BARCODE_UPCE},
                                                  {"EAN13", BARCODE_EANX},
                                                  {"EAN8", BARCODE_EANX},
                                                  {"CODE39", BARCODE_CODE39},
                                                  {"ITF", BARCODE_C25INTER},
                                                  {"CODABAR", BARCODE_CODABAR},
                                                  {"CODE93", BARCODE_CODE93},
                                                  {"CODE128", BARCODE_CODE128},
                                                  {"CODE128-AUTO", BARCODE_CODE128},
                                                  {"DATABAR", BARCODE_DBAR_OMN},
                                                  {"DATABAR-TRUNC", BARCODE_DBAR_OMN},
                                                  {"DATABAR-LIMIT", BARCODE_DBAR_LTD},
                                                  {"DATABAR-EXP", BARCODE_DBAR_EXP}}};

}  // namespace

std::string Code128Characters(std::span<const std::uint8_t> data) {
    std::string text;
    char set = 'B';
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint8_t byte = data[i];
        if (byte == '{' && i + 1 < data.size()) {
            const char mark = static_cast<char>(data[i + 1]);
            ++i;
            if (mark == 'A' || mark == 'B' || mark == 'C') set = mark;
            if (mark == '{') text.push_back('{');
            continue;  // {S (shift) and {1 to {4 (functions) print no character
        }
        if (set == 'C') {
            const int pair = byte % 100;
            text.push_back(static_cast<char>('0' + pair / 10));
            text.push_back(static_cast<char>('0' + pair % 10));
        } else {
            text.push_back(static_cast<char>(byte & 0x7F));
        }
    }
    return text;
}

QImage DrawQrCode(std::span<const std::uint8_t> data, int moduleDots, int level, std::string* why) {
    if (data.empty()) {
        Say(why, "no data stored");
        return {};
    }
    const auto ecLevel = static_cast<QRecLevel>(std::clamp(level, 0, 3));
    QRcode* code = QRcode_encodeData(static_cast<int>(data.size()), data.data(), 0, ecLevel);
    if (code == nullptr) {
        Say(why, "too much data for a QR code");
        return {};
    }
    const int module = std::clamp(moduleDots, 1, 16);
    const int side = code->width * module;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(kSymbolPaper);
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if ((code->data[y * code->width + x] & 1) != 0)
                painter.fillRect(x * module, y * module, module, module, kSymbolInk);
        }
    }
    QRcode_free(code);
    return image;
}

QImage DrawMatrixSymbol(std::string_view symbol, std::span<const std::uint8_t> data,
                        const MatrixSymbolSettings& settings, std::string* why) {
    int symbology = 0;
    if (symbol == "pdf417") symbology = settings.truncated ? BARCODE_PDF417COMP : BARCODE_PDF417;
    if (symbol == "datamatrix") symbology = BARCODE_DATAMATRIX;
    if (symbol == "aztec") symbology = BARCODE_AZTEC;
    if (symbology == 0) {
        Say(why, "not drawn");
        return {};
    }
    if (data.empty()) {
        Say(why, "no data stored");
        return {};
    }
    Symbol code = NewSymbol(symbology);
    if (!code) return {};
    if (symbology != BARCODE_AZTEC && symbology != BARCODE_DATAMATRIX) {
        if (settings.level >= 0 && settings.level <= 8) code->option_1 = settings.level;
        if (settings.columns > 0) code->option_2 = settings.columns;
        if (settings.rows > 0) code->option_3 = settings.rows;
    }
    if (!Encode(code.get(), data, why)) return {};
    const float module = static_cast<float>(std::clamp(settings.moduleDots, 1, 16));
    float yScale = module / kUnitsPerModule;
    if (symbology != BARCODE_AZTEC && symbology != BARCODE_DATAMATRIX && code->vector->height > 0) {
        // every row `rowHeight` modules high
        yScale = static_cast<float>(code->rows) * static_cast<float>(std::clamp(settings.rowHeight, 1, 16)) *
                 module / code->vector->height;
    }
    return Paint(code.get(), module, yScale, why);
}

QImage DrawBarcode(std::string_view symbology, std::span<const std::uint8_t> data, int moduleDots,
                   int heightDots, std::string* text, std::string* why) {
    const auto known = std::find_if(kSymbologies.begin(), kSymbologies.end(),
                                    [symbology](const Symbology& s) { return s.name == symbology; });
    if (known == kSymbologies.end()) {
        Say(why, "not drawn");
        return {};
    }
    std::string characters(data.begin(), data.end());
    if (symbology == "CODE128") characters = Code128Characters(data);
    if (symbology == "CODE39") {
        // the printer adds the start and stop characters when the data has none
        if (characters.size() >= 2 && characters.front() == '*' && characters.back() == '*')
            characters = characters.substr(1, characters.size() - 2);
    }
    Symbol code = NewSymbol(known->zint);
    if (!code) return {};
    const int module = std::clamp(moduleDots, 1, 8);
    const int height = std::clamp(heightDots, 1, 255);
    code->height = static_cast<float>(height) / static_cast<float>(module);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(characters.data());
    if (!Encode(code.get(), std::span(bytes, characters.size()), why)) return {};
    if (text != nullptr) *text = reinterpret_cast<const char*>(code->text);
    if (text != nullptr && text->empty()) *text = characters;
    return Paint(code.get(), static_cast<float>(module), static_cast<float>(module) / kUnitsPerModule, why);
}

}  // namespace qvset
