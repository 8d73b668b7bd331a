#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <map>
#include <string>
#include <utility>

namespace qvset::winapp {

// The window's fonts at one screen's dots per inch: 宋体 (SimSun) 9 pt, the Chinese system's dialog
// font, where it is installed, else the face of the system's message font at the same size. A control
// of the layout with its own size or weight gets a font of its own in the same face.
class WindowFonts {
  public:
    explicit WindowFonts(int dpi);
    ~WindowFonts();
    WindowFonts(const WindowFonts&) = delete;
    WindowFonts& operator=(const WindowFonts&) = delete;

    // points 0: the window's own size.
    HFONT Get(int points = 0, bool bold = false);
    // The font of a drawing's text: the window's size times `scale`.
    HFONT Scaled(double scale, bool bold);
    const std::wstring& Face() const { return m_face; }
    int Dpi() const { return m_dpi; }

    // SimSun when the system has it, else the message font's face.
    static std::wstring ChooseFace();

  private:
    HFONT Make(int pixelHeight, bool bold);

    int m_dpi;
    std::wstring m_face;
    std::map<std::pair<int, bool>, HFONT> m_fonts;  // by pixel height and weight
};

inline constexpr int kWindowFontPoints = 9;
inline constexpr const wchar_t* kChineseDialogFace = L"SimSun";

}  // namespace qvset::winapp
