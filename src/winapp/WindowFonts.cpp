#include "winapp/WindowFonts.h"

#include <cmath>

namespace qvset::winapp {

namespace {

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

bool IsInstalled(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

int PixelsOfPoints(double points, int dpi) {
    return static_cast<int>(std::lround(points * dpi / 72.0));
}

}  // namespace

WindowFonts::WindowFonts(int dpi) : m_dpi(dpi), m_face(ChooseFace()) {}

WindowFonts::~WindowFonts() {
    for (const auto& [key, font] : m_fonts) DeleteObject(font);
}

std::wstring WindowFonts::ChooseFace() {
    if (IsInstalled(kChineseDialogFace)) return kChineseDialogFace;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return metrics.lfMessageFont.lfFaceName;
    return kChineseDialogFace;  // the font mapper picks the nearest
}

HFONT WindowFonts::Get(int points, bool bold) {
    return Make(PixelsOfPoints(points > 0 ? points : kWindowFontPoints, m_dpi), bold);
}

HFONT WindowFonts::Scaled(double scale, bool bold) {
    return Make(PixelsOfPoints(kWindowFontPoints * scale, m_dpi), bold);
}

HFONT WindowFonts::Make(int pixelHeight, bool bold) {
    const auto key = std::make_pair(pixelHeight, bold);
    const auto found = m_fonts.find(key);
    if (found != m_fonts.end()) return found->second;
    LOGFONTW font{};
    font.lfHeight = -pixelHeight;  // the character height, without internal leading
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, m_face.c_str(), LF_FACESIZE);
    HFONT made = CreateFontIndirectW(&font);
    m_fonts.emplace(key, made);
    return made;
}

}  // namespace qvset::winapp
