#include "decode/backend/JobPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <map>
#include <string_view>

#include "decode/CommandDecoder.h"
#include "decode/CommonCommands.h"
#include "decode/TextFile.h"
#include "decode/backend/ReceiptSymbols.h"

namespace qvset {
namespace {

constexpr std::string_view kLegend =
    "A sketch of the command stream, not a model of the paper: bit images as dots (one column a pixel, "
    "wrapped every %1 columns), text in a CJK font, feeds as space, other commands as grey notes; receipt "
    "images, barcodes and QR codes one pixel a dot on a line of %2 dots, sized and aligned as their "
    "commands ask, a cut as a dashed line.";
constexpr std::string_view kLegendChinese = "示意图：按指令流绘制，并非纸面实际效果。";
constexpr std::string_view kCutPicture = "… the picture ends here: %1 more entries are left out";
constexpr std::string_view kFontFamily = "Noto Sans CJK SC";
constexpr int kTextPixels = 18;
// A receipt's text at its printer's scale: font A 12 × 24 dots, font B 9 × 17, in a monospaced face
// whose Chinese characters are twice as wide as its Latin ones, as on the printer.
constexpr std::string_view kReceiptFontFamily = "Noto Sans Mono CJK SC";
constexpr int kReceiptFontA = 24;
constexpr int kReceiptFontB = 17;
constexpr int kNotePixels = 12;
constexpr int kGap = 4;
// More characters than a line of the picture holds; a longer line is cut before it is laid out.
constexpr qsizetype kLongestLine = 400;
// Tab stops every eight characters, as a receipt printer sets them at start.
constexpr qsizetype kTabWidth = 8;
// A receipt printer's defaults: barcodes 162 dots high with modules of 3 dots, QR modules of 3 dots.
constexpr int kBarcodeHeight = 162;
constexpr int kBarcodeModule = 3;
constexpr int kSymbolModule = 3;
constexpr std::uint8_t kQrCode = 49;
constexpr std::uint8_t kPdf417 = 48;

const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kNote(120, 120, 120);
const QColor kFault(200, 0, 0);
const QColor kLegendBack(235, 235, 235);

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont FontOf(int pixels, std::string_view family = kFontFamily) {
    QFont font(FromUtf8(family));
    font.setPixelSize(pixels);
    return font;
}

// The text font of a receipt (a document with common receipt-printer commands) or of the QV6's own.
QFont TextFont(bool receipt, bool fontB, int height) {
    if (receipt) return FontOf((fontB ? kReceiptFontB : kReceiptFontA) * height, kReceiptFontFamily);
    return FontOf((fontB ? kTextPixels * 3 / 4 : kTextPixels) * height);
}

int NumberOf(const DecodedCommand& entry, std::string_view name, int otherwise = 0) {
    return static_cast<int>(entry.Number(name).value_or(otherwise));
}

// How text is printed, as ESC !, GS !, ESC E, ESC -, GS B and ESC M set it.
struct TextStyle {
    bool fontB = false;
    bool bold = false;
    bool underline = false;
    bool reverse = false;
    int width = 1;
    int height = 1;
    bool receipt = false;

    QFont Font() const {
        QFont font = TextFont(receipt, fontB, height);
        font.setBold(bold);
        font.setUnderline(underline);
        if (width != height) font.setStretch(100 * width / height);
        return font;
    }
    bool operator==(const TextStyle&) const = default;
};

// Dots of a raster image, `widthDots` wide, row after row (each row whole bytes, the leftmost dot the
// high bit), or column after column of `height` dots (column format), scaled by whole factors.
QImage RasterImage(std::span<const std::uint8_t> bits, int widthDots, int height, bool columns, int scaleX,
                   int scaleY) {
    if (widthDots <= 0 || height <= 0 || widthDots > kPictureWidth * 4 || height > kMaxPictureHeight)
        return {};
    QImage image(widthDots * scaleX, height * scaleY, QImage::Format_RGB32);
    image.fill(kPaper);
    QPainter painter(&image);
    const int rowBytes = (widthDots + 7) / 8;
    const int columnBytes = (height + 7) / 8;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < widthDots; ++x) {
            const std::size_t at = columns ? static_cast<std::size_t>(x * columnBytes + y / 8)
                                           : static_cast<std::size_t>(y * rowBytes + x / 8);
            if (at >= bits.size()) continue;
            const int bit = columns ? y % 8 : x % 8;
            if ((bits[at] & (0x80 >> bit)) != 0)
                painter.fillRect(x * scaleX, y * scaleY, scaleX, scaleY, kInk);
        }
    }
    return image;
}

// The settings of a two-dimensional symbol and the data stored for it, by its GS ( k cn.
struct SymbolState {
    std::vector<std::uint8_t> data;
    int model = 2;
    int moduleDots = kSymbolModule;
    int level = -1;
    MatrixSymbolSettings matrix;
};

// Lays the picture out from top to bottom; with a painter it also draws. The same pass measures the
// height first (no painter) and then paints, so both agree.
class Sketch {
  public:
    explicit Sketch(QPainter* painter)
        : m_painter(painter), m_text(FontOf(kTextPixels)), m_note(FontOf(kNotePixels)) {}

    int Height() const { return m_y + kPictureMargin; }

    void Legend() {
        const QString legend =
            FromUtf8(kLegend).arg(kColumnsPerRow).arg(kReceiptDots) + "\n" + FromUtf8(kLegendChinese);
        const QRect bounds(kPictureMargin, m_y, kColumnsPerRow, 0);
        const QFontMetrics metrics(m_note);
        const QRect needed = metrics.boundingRect(bounds, Qt::TextWordWrap, legend);
        const QRect box(kPictureMargin, m_y, kColumnsPerRow, needed.height() + 2 * kGap);
        if (m_painter != nullptr) {
            m_painter->fillRect(box, kLegendBack);
            m_painter->setPen(kInk);
            m_painter->setFont(m_note);
            m_painter->drawText(box.adjusted(kGap, kGap, -kGap, -kGap), Qt::TextWordWrap, legend);
        }
        m_y += box.height() + 3 * kGap;
    }

    // False once the picture is full.
    bool Draw(const DecodedCommand& entry) {
        if (IsCommonCommand(entry)) {
            Common(entry);
            return m_y < kMaxPictureHeight;
        }
        switch (entry.kind) {
            case CommandKind::Text:
                AddText(FromUtf8(entry.Text("text").value_or("")));
                if (entry.truncated) Note(entry.meaning, kFault);
                break;
            case CommandKind::LineFeed:
                FlushLine(true);
                break;
            case CommandKind::CarriageReturn:
                FlushLine(false);
                break;
            case CommandKind::FormFeed:
                FormFeed();
                break;
            case CommandKind::FeedForward:
                FlushLine(false);
                if (entry.truncated) {
                    Note(entry.meaning, kFault);
                } else {
                    m_y += kFeedUnitHeight * static_cast<int>(entry.Number("units").value_or(0));
                }
                break;
            case CommandKind::BitImage:
                FlushLine(false);
                BitImage(entry);
                break;
            default:
                FlushLine(false);
                Note("[" + entry.meaning + "]",
                     entry.kind == CommandKind::Unknown || entry.truncated ? kFault : kNote);
                break;
        }
        return m_y < kMaxPictureHeight;
    }

    void Finish() { FlushLine(false); }

    void CutHere(std::size_t left) {
        FlushLine(false);
        Note(FromUtf8(kCutPicture).arg(left).toStdString(), kFault);
    }

  private:
    struct Segment {
        QString text;
        TextStyle style;
    };

    // The common receipt-printer commands: the formatting ones change how what follows is drawn, the
    // printing ones draw, the rest are grey notes (red when refused or cut off).
    void Common(const DecodedCommand& entry) {
        if (!m_style.receipt) {
            m_style.receipt = true;
            m_text = TextFont(true, false, 1);
        }
        if (entry.Flag("continuation")) return;  // the head of the command said what it is
        if (entry.truncated || entry.Text("note")) {
            FlushLine(false);
            Note("[" + entry.meaning + "]", kFault);
            return;
        }
        if (entry.Flag("continued")) {
            FlushLine(false);
            Note("[" + entry.meaning + ": not drawn]", kNote);
            return;
        }
        const std::string name = CommonCommandName(entry);
        if (Format(name, entry)) return;
        if (name == "GS v 0") return Raster(entry);
        if (name == "GS ( L" || name == "GS 8 L") return Graphics(entry);
        if (name == "GS ( k") return Symbol(entry);
        if (name == "GS k") return Barcode(entry);
        if (name == "GS V" || name == "ESC i" || name == "ESC m") return Cut(entry);
        if (name == "ESC d") {
            FlushLine(false);
            m_y += NumberOf(entry, "n") * LineAdvance();
            return;
        }
        if (name == "HT") {
            const qsizetype length = LineLength();
            AddText(QString(kTabWidth - length % kTabWidth, ' '));
            return;
        }
        if (entry.Text("effect") == "format") return;
        FlushLine(false);
        Note("[" + entry.meaning + "]", kNote);
    }

    // The formatting commands the picture follows; false for any other.
    bool Format(const std::string& name, const DecodedCommand& entry) {
        if (name == "ESC @") {
            m_style = {.receipt = true};
            m_alignment = 0;
            m_lineSpacing = 0;
            m_barcodeHeight = kBarcodeHeight;
            m_barcodeModule = kBarcodeModule;
            m_textPosition = 0;
            m_textFontB = false;
            m_symbols.clear();
            m_graphics = QImage();
        } else if (name == "ESC !") {
            m_style.fontB = entry.Text("font") == "B";
            m_style.bold = entry.Flag("bold").value_or(false);
            m_style.underline = entry.Flag("underline").value_or(false);
            m_style.width = entry.Flag("doubleWidth").value_or(false) ? 2 : 1;
            m_style.height = entry.Flag("doubleHeight").value_or(false) ? 2 : 1;
        } else if (name == "GS !") {
            m_style.width = NumberOf(entry, "width", 1);
            m_style.height = NumberOf(entry, "height", 1);
        } else if (name == "ESC E" || name == "ESC G") {
            m_style.bold = entry.Flag("on").value_or(false);
        } else if (name == "ESC -") {
            m_style.underline = NumberOf(entry, "dots") > 0;
        } else if (name == "GS B") {
            m_style.reverse = entry.Flag("on").value_or(false);
        } else if (name == "ESC M") {
            m_style.fontB = entry.Text("font") != "A";
        } else if (name == "ESC a") {
            m_alignment = NumberOf(entry, "alignment");
            if (m_line.empty()) m_lineAlignment = m_alignment;
        } else if (name == "ESC 3") {
            m_lineSpacing = NumberOf(entry, "n");
        } else if (name == "ESC 2") {
            m_lineSpacing = 0;
        } else if (name == "GS h") {
            m_barcodeHeight = std::max(1, NumberOf(entry, "n"));
        } else if (name == "GS w") {
            m_barcodeModule = std::max(1, NumberOf(entry, "n"));
        } else if (name == "GS H") {
            m_textPosition = NumberOf(entry, "position");
        } else if (name == "GS f") {
            m_textFontB = entry.Text("font") != "A";
        } else {
            return false;
        }
        return true;
    }

    void AddText(const QString& text) {
        if (LineLength() >= kLongestLine) return;  // no more of a line than is shown is kept
        if (m_line.empty()) m_lineAlignment = m_alignment;
        if (!m_line.empty() && m_line.back().style == m_style) {
            m_line.back().text += text;
        } else {
            m_line.push_back({text, m_style});
        }
    }

    qsizetype LineLength() const {
        qsizetype length = 0;
        for (const Segment& segment : m_line) length += segment.text.size();
        return length;
    }

    // Where a block `width` pixels wide starts on the receipt's line under an alignment.
    static int AlignedX(int width, int alignment) {
        const int room = std::max(0, kReceiptDots - width);
        return kPictureMargin + (alignment == 1 ? room / 2 : alignment == 2 ? room : 0);
    }

    int LineAdvance() const { return std::max(m_lineSpacing, QFontMetrics(m_text).height()); }

    void FlushLine(bool feed) {
        if (m_line.empty() && !feed) return;
        if (m_line.empty()) {
            m_y += LineAdvance();
            return;
        }
        int width = 0;
        int ascent = 0;
        int height = 0;
        for (const Segment& segment : m_line) {
            const QFontMetrics metrics(segment.style.Font());
            width += metrics.horizontalAdvance(segment.text.left(kLongestLine));
            ascent = std::max(ascent, metrics.ascent());
            height = std::max(height, metrics.height());
        }
        if (m_painter != nullptr) {
            int x = width > kColumnsPerRow ? kPictureMargin : AlignedX(width, m_lineAlignment);
            for (const Segment& segment : m_line) {
                const QFont font = segment.style.Font();
                const QFontMetrics metrics(font);
                const int room = kPictureMargin + kColumnsPerRow - x;
                if (room <= 0) break;
                const QString shown =
                    metrics.elidedText(segment.text.left(kLongestLine), Qt::ElideRight, room);
                const int advance = metrics.horizontalAdvance(shown);
                if (segment.style.reverse) m_painter->fillRect(x, m_y, advance, height, kInk);
                m_painter->setPen(segment.style.reverse ? kPaper : kInk);
                m_painter->setFont(font);
                m_painter->drawText(x, m_y + ascent, shown);
                x += advance;
            }
        }
        m_line.clear();
        m_y += std::max(height, m_lineSpacing);
    }

    void Note(const std::string& text, const QColor& colour) {
        const QFontMetrics metrics(m_note);
        if (m_painter != nullptr) {
            m_painter->setPen(colour);
            m_painter->setFont(m_note);
            const QString shown =
                metrics.elidedText(FromUtf8(text).left(kLongestLine), Qt::ElideRight, kColumnsPerRow);
            m_painter->drawText(kPictureMargin, m_y + metrics.ascent(), shown);
        }
        m_y += metrics.height();
    }

    void DashedLine(Qt::PenStyle style) {
        m_y += kGap;
        if (m_painter != nullptr) {
            m_painter->setPen(QPen(kNote, 1, style));
            m_painter->drawLine(kPictureMargin, m_y, kPictureMargin + kColumnsPerRow, m_y);
        }
        m_y += kGap;
    }

    void FormFeed() {
        FlushLine(false);
        DashedLine(Qt::DashLine);
        Note("[form feed]", kNote);
    }

    // A block of dots (an image, a barcode, a symbol) on its own line, aligned.
    void Block(const QImage& block) {
        FlushLine(false);
        if (block.isNull()) return;
        if (m_painter != nullptr) m_painter->drawImage(AlignedX(block.width(), m_alignment), m_y, block);
        m_y += block.height();
    }

    void Raster(const DecodedCommand& entry) {
        const int mode = NumberOf(entry, "mode");
        const auto offset = static_cast<std::size_t>(NumberOf(entry, kDataOffsetField));
        const auto bits = std::span(entry.bytes).subspan(std::min(offset, entry.bytes.size()));
        Block(RasterImage(bits, NumberOf(entry, "width"), NumberOf(entry, "height"), false,
                          (mode & 1) != 0 ? 2 : 1, (mode & 2) != 0 ? 2 : 1));
    }

    void Graphics(const DecodedCommand& entry) {
        const int fn = NumberOf(entry, "function");
        const auto offset = static_cast<std::size_t>(NumberOf(entry, "imageOffset"));
        const auto bits = std::span(entry.bytes).subspan(std::min(offset, entry.bytes.size()));
        const bool columns = entry.Text("format") == "column";
        if (fn == 112 || fn == 113) {
            m_graphics = RasterImage(bits, NumberOf(entry, "width"), NumberOf(entry, "height"), columns,
                                     std::clamp(NumberOf(entry, "scaleX", 1), 1, 2),
                                     std::clamp(NumberOf(entry, "scaleY", 1), 1, 2));
        } else if (fn == 2 || fn == 50) {
            Block(m_graphics);
            m_graphics = QImage();
        } else if (fn == 67 || fn == 68) {
            m_nvImages[entry.Text("key").value_or("")] =
                RasterImage(bits, NumberOf(entry, "width"), NumberOf(entry, "height"), columns, 1, 1);
        } else if (fn == 69) {
            const auto image = m_nvImages.find(entry.Text("key").value_or(""));
            if (image == m_nvImages.end()) {
                FlushLine(false);
                Note("[" + entry.meaning + ", stored in the printer before]", kNote);
                return;
            }
            const int x = std::clamp(NumberOf(entry, "scaleX", 1), 1, 2);
            const int y = std::clamp(NumberOf(entry, "scaleY", 1), 1, 2);
            Block(image->second.scaled(image->second.width() * x, image->second.height() * y));
        } else {
            FlushLine(false);
            Note("[" + entry.meaning + "]", kNote);
        }
    }

    void Symbol(const DecodedCommand& entry) {
        const int fn = NumberOf(entry, "function");
        const std::uint8_t cn = entry.bytes.size() > 5 ? entry.bytes[5] : 0;
        SymbolState& symbol = m_symbols[cn];
        const int value = NumberOf(entry, "value", -1);
        if (fn == 80) {
            const auto offset = static_cast<std::size_t>(NumberOf(entry, "symbolDataOffset"));
            symbol.data.assign(
                entry.bytes.begin() + static_cast<std::ptrdiff_t>(std::min(offset, entry.bytes.size())),
                entry.bytes.end());
            return;
        }
        if (fn == 81) {
            std::string why;
            const std::string word = entry.Text("symbol").value_or("");
            const QImage image = cn == kQrCode
                                     ? DrawQrCode(symbol.data, symbol.moduleDots, symbol.level, &why)
                                     : DrawMatrixSymbol(word, symbol.data, symbol.matrix, &why);
            if (image.isNull()) {
                FlushLine(false);
                Note("[" + entry.meaning + ": " + why + "]", kNote);
            }
            Block(image);
            return;
        }
        if (cn == kQrCode) {
            if (fn == 65) symbol.model = value - 48;
            if (fn == 67) symbol.moduleDots = value;
            if (fn == 69) symbol.level = value - 48;
        } else {
            if (fn == 67) symbol.matrix.moduleDots = value;
            if (cn == kPdf417) {
                if (fn == 65) symbol.matrix.columns = value;
                if (fn == 66) symbol.matrix.rows = value;
                if (fn == 68) symbol.matrix.rowHeight = value;
                if (fn == 69 && value == 48) symbol.matrix.level = NumberOf(entry, "value2", 48) - 48;
                if (fn == 70) symbol.matrix.truncated = value == 1;
            }
        }
    }

    void HumanText(const std::string& text, int x, int width) {
        const QFont font = TextFont(m_style.receipt, m_textFontB, 1);
        const QFontMetrics metrics(font);
        if (m_painter != nullptr) {
            m_painter->setPen(kInk);
            m_painter->setFont(font);
            const QString shown = FromUtf8(text);
            const int textWidth = metrics.horizontalAdvance(shown);
            m_painter->drawText(x + (width - textWidth) / 2, m_y + metrics.ascent(), shown);
        }
        m_y += metrics.height();
    }

    void Barcode(const DecodedCommand& entry) {
        const auto offset = static_cast<std::size_t>(NumberOf(entry, "barcodeDataOffset"));
        const auto length = static_cast<std::size_t>(NumberOf(entry, "barcodeDataLength"));
        const auto data =
            std::span(entry.bytes)
                .subspan(std::min(offset, entry.bytes.size()),
                         std::min(length, entry.bytes.size() - std::min(offset, entry.bytes.size())));
        std::string text;
        std::string why;
        const QImage bars = DrawBarcode(entry.Text("symbology").value_or(""), data, m_barcodeModule,
                                        m_barcodeHeight, &text, &why);
        FlushLine(false);
        if (bars.isNull()) {
            Note("[" + entry.meaning + ": " + why + "]", kNote);
            return;
        }
        const int x = AlignedX(bars.width(), m_alignment);
        if (m_textPosition == 1 || m_textPosition == 3) HumanText(text, x, bars.width());
        Block(bars);
        if (m_textPosition == 2 || m_textPosition == 3) HumanText(text, x, bars.width());
    }

    void Cut(const DecodedCommand& entry) {
        FlushLine(false);
        m_y += NumberOf(entry, "feed");
        const bool partial = entry.Text("cut") == "partial" || CommonCommandName(entry) != "GS V";
        DashedLine(partial ? Qt::DashDotLine : Qt::DashLine);
        Note(partial ? "[partial cut]" : "[cut]", kNote);
    }

    void BitImage(const DecodedCommand& entry) {
        const auto dots = static_cast<int>(entry.Number("dots").value_or(8));
        const auto perColumn = static_cast<std::size_t>(dots / 8);
        const auto start = static_cast<std::size_t>(entry.Number("dataOffset").value_or(0));
        const std::size_t columns = entry.bytes.size() > start ? (entry.bytes.size() - start) / perColumn : 0;
        const int rowHeight = dots * kDotHeight;
        const int rows = static_cast<int>((columns + kColumnsPerRow - 1) / kColumnsPerRow);
        if (m_painter != nullptr) {
            for (std::size_t column = 0; column < columns; ++column) {
                const int x = kPictureMargin + static_cast<int>(column % kColumnsPerRow);
                const int top = m_y + static_cast<int>(column / kColumnsPerRow) * (rowHeight + kGap);
                for (int dot = 0; dot < dots; ++dot) {
                    const std::uint8_t byte =
                        entry.bytes[start + column * perColumn + static_cast<std::size_t>(dot / 8)];
                    if ((byte & (0x80 >> (dot % 8))) == 0) continue;
                    m_painter->fillRect(x, top + dot * kDotHeight, 1, kDotHeight, kInk);
                }
            }
        }
        m_y += rows * (rowHeight + kGap);
        if (entry.truncated) Note("[" + entry.meaning + "]", kFault);
    }

    QPainter* m_painter;
    QFont m_text;
    QFont m_note;
    std::vector<Segment> m_line;
    int m_y = kPictureMargin;
    // The receipt's settings, as the document's commands set them.
    TextStyle m_style;
    int m_alignment = 0;
    int m_lineAlignment = 0;
    int m_lineSpacing = 0;  // 0: the text's own height
    int m_barcodeHeight = kBarcodeHeight;
    int m_barcodeModule = kBarcodeModule;
    int m_textPosition = 0;
    bool m_textFontB = false;
    std::map<std::uint8_t, SymbolState> m_symbols;
    QImage m_graphics;
    std::map<std::string, QImage> m_nvImages;
};

// Runs the sketch over the entries; the number of entries it drew.
// A run of identical commands is drawn as often as it repeats, until the picture is full.
std::size_t Lay(Sketch& sketch, const std::vector<DecodedCommand>& entries, std::size_t leftOut) {
    sketch.Legend();
    std::size_t drawn = 0;
    bool room = true;
    while (room && drawn < entries.size()) {
        const DecodedCommand& entry = entries[drawn++];
        for (std::size_t i = 0; room && i < entry.count; ++i) room = sketch.Draw(entry);
    }
    if (drawn < entries.size() || leftOut > 0) sketch.CutHere(entries.size() - drawn + leftOut);
    sketch.Finish();
    return drawn;
}

}  // namespace

QImage RenderJobPicture(const std::vector<DecodedCommand>& entries, std::size_t leftOut) {
    Sketch measure(nullptr);
    Lay(measure, entries, leftOut);
    QImage image(kPictureWidth, measure.Height(), QImage::Format_RGB32);
    image.fill(kPaper);
    QPainter painter(&image);
    Sketch draw(&painter);
    Lay(draw, entries, leftOut);
    return image;
}

std::string RenderJobPng(const std::vector<DecodedCommand>& entries, std::size_t leftOut) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    RenderJobPicture(entries, leftOut).save(&buffer, "PNG");
    return png.toStdString();
}

bool WriteJobPicture(std::span<const std::uint8_t> document, const std::filesystem::path& png) {
    return ReplaceFileText(png, RenderJobPng(DecodeDocument(document)));
}

}  // namespace qvset
