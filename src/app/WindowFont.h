#pragma once

class QWidget;

namespace qvset::app {

// The windows' font: 9 points, a CJK face first so that the Chinese captions render wherever one is
// installed (Noto CJK on Linux, Microsoft YaHei or SimSun on Windows).
void ApplyWindowFont(QWidget* window);

}  // namespace qvset::app
