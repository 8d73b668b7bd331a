#pragma once

class QCoreApplication;

namespace qvset::app {

// Loads Qt's own Simplified Chinese texts, so that the standard buttons and file dialogs read 确定, 是,
// 否, 取消, 保存 and 打开 like the rest of the window, whatever the system's language. False when the
// translation is not installed (the buttons then stay in English).
bool LoadChineseTranslations(QCoreApplication& application);

}  // namespace qvset::app
