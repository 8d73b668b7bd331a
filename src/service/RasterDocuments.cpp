#include "service/RasterDocuments.h"

#include <algorithm>

#include "decode/CommandDecoder.h"
#include "record/SettingAttributes.h"

namespace qvset {

int PaperMillimetres(const PrinterState& state) {
    const SettingAttribute* paper = FindSettingAttribute("qvset-paper");
    if (paper != nullptr && SettingValue(*paper, state) == std::optional<std::string>("58")) return 58;
    return 76;
}

std::string MediaSizeName(int millimetres) {
    const std::string mm = std::to_string(millimetres);
    return "om_qv6-" + mm + "mm_" + mm + "x152mm";
}

RasterTicket::RasterTicket(int widthDots) : m_width(std::max(widthDots, 1)) {}

void RasterTicket::AddRow(std::span<const std::uint8_t> row) {
    m_rows.emplace_back(row.begin(), row.end());
    if (m_rows.size() == kBandRows) WriteBand();
}

void RasterTicket::EndPage() {
    if (!m_rows.empty()) WriteBand();
    m_document.insert(m_document.end(), std::begin(kPageCut), std::end(kPageCut));
}

void RasterTicket::WriteBand() {
    std::vector<std::uint8_t> columns(static_cast<std::size_t>(m_width), 0);
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        const auto& row = m_rows[r];
        const auto bit = static_cast<std::uint8_t>(0x80u >> r);
        const std::size_t dots = std::min(static_cast<std::size_t>(m_width), row.size() * 8);
        for (std::size_t x = 0; x < dots; ++x) {
            if ((row[x / 8] & (0x80u >> (x % 8))) != 0) columns[x] |= bit;
        }
    }
    m_rows.clear();
    if (std::any_of(columns.begin(), columns.end(), [](std::uint8_t c) { return c != 0; })) {
        const auto count = static_cast<unsigned>(m_width);
        const std::uint8_t head[] = {0x1B, 0x2A, kBandMode, static_cast<std::uint8_t>(count & 0xFFu),
                                     static_cast<std::uint8_t>(count >> 8)};
        m_document.insert(m_document.end(), std::begin(head), std::end(head));
        m_document.insert(m_document.end(), columns.begin(), columns.end());
    }
    m_document.insert(m_document.end(), std::begin(kBandFeed), std::end(kBandFeed));
}

std::vector<std::vector<std::vector<bool>>> DrawnPages(std::span<const std::uint8_t> document) {
    std::vector<std::vector<std::vector<bool>>> pages(1);
    std::size_t y = 0;
    for (const auto& entry : DecodeDocument(document)) {
        auto& page = pages.back();
        if (entry.kind == CommandKind::BitImage && !entry.truncated && entry.Number("dots") == 8) {
            const auto columns = static_cast<std::size_t>(*entry.Number("columns"));
            const auto offset = static_cast<std::size_t>(*entry.Number("dataOffset"));
            if (page.size() < y + kBandRows) page.resize(y + kBandRows);
            for (std::size_t r = 0; r < kBandRows; ++r) {
                auto& row = page[y + r];
                if (row.size() < columns) row.resize(columns, false);
                for (std::size_t x = 0; x < columns; ++x) {
                    if ((entry.bytes[offset + x] & (0x80u >> r)) != 0) row[x] = true;
                }
            }
        } else if (entry.kind == CommandKind::FeedForward) {
            y += static_cast<std::size_t>(entry.Number("units").value_or(0)) * entry.count;
            if (page.size() < y) page.resize(y);
        } else if (entry.mnemonic.starts_with("GS V")) {
            pages.emplace_back();
            y = 0;
        }
    }
    if (pages.back().empty()) pages.pop_back();
    return pages;
}

}  // namespace qvset
