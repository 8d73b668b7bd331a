#include "decode/backend/JobPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <string_view>

#include "decode/CommandDecoder.h"
#include "decode/TextFile.h"

namespace qvset {
namespace {

constexpr std::string_view kLegend =
    "A sketch of the command stream, not a model of the paper: bit images as dots (one column a pixel, "
    "wrapped every %1 columns), text in a CJK font, feeds as space, other commands as grey notes.";
constexpr std::string_view kLegendChinese = "示意图：按指令流绘制，并非纸面实际效果。";
constexpr std::string_view kCutPicture = "… the picture ends here: %1 more entries are left out";
constexpr std::string_view kFontFamily = "Noto Sans CJK SC";
constexpr int kTextPixels = 18;
constexpr int kNotePixels = 12;
constexpr int kGap = 4;
// More characters than a line of the picture holds; a longer line is cut before it is laid out.
constexpr qsizetype kLongestLine = 400;

const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kNote(120, 120, 120);
const QColor kFault(200, 0, 0);
const QColor kLegendBack(235, 235, 235);

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont FontOf(int pixels) {
    QFont font(FromUtf8(kFontFamily));
    font.setPixelSize(pixels);
    return font;
}

// Lays the picture out from top to bottom; with a painter it also draws. The same pass measures the
// height first (no painter) and then paints, so both agree.
class Sketch {
  public:
    explicit Sketch(QPainter* painter)
        : m_painter(painter), m_text(FontOf(kTextPixels)), m_note(FontOf(kNotePixels)) {}

    int Height() const { return m_y + kPictureMargin; }

    void Legend() {
        const QString legend = FromUtf8(kLegend).arg(kColumnsPerRow) + "\n" + FromUtf8(kLegendChinese);
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
        switch (entry.kind) {
            case CommandKind::Text:
                // No more of a line than is shown is kept.
                if (m_line.size() < kLongestLine) m_line += FromUtf8(entry.Text("text").value_or(""));
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
    void FlushLine(bool feed) {
        if (m_line.isEmpty() && !feed) return;
        const QFontMetrics metrics(m_text);
        if (m_painter != nullptr && !m_line.isEmpty()) {
            m_painter->setPen(kInk);
            m_painter->setFont(m_text);
            const QString shown =
                metrics.elidedText(m_line.left(kLongestLine), Qt::ElideRight, kColumnsPerRow);
            m_painter->drawText(kPictureMargin, m_y + metrics.ascent(), shown);
        }
        m_line.clear();
        m_y += metrics.height();
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

    void FormFeed() {
        FlushLine(false);
        m_y += kGap;
        if (m_painter != nullptr) {
            m_painter->setPen(QPen(kNote, 1, Qt::DashLine));
            m_painter->drawLine(kPictureMargin, m_y, kPictureMargin + kColumnsPerRow, m_y);
        }
        m_y += kGap;
        Note("[form feed]", kNote);
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
    QString m_line;
    int m_y = kPictureMargin;
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
