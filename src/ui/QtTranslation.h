#pragma once

#include <QString>

class QTranslator;

// The texts Qt draws itself inside the panel (a text field's context menu:
// "撤销", "复制", "粘贴") in Simplified Chinese, like everything else the user
// reads, whatever the desktop's language. Qt ships them as qtbase_zh_CN.qm
// (Debian: qt6-translations-l10n).
namespace QtTranslation {

// Where Qt's own translations are installed.
QString defaultDirectory();

// Loads qtbase_zh_CN.qm from `directory` and installs it in the application,
// which owns it. Null, and Qt's English kept without a word, when the file
// is missing or unreadable: without the translations package only Qt's menus
// stay English.
QTranslator* installChinese(const QString& directory = defaultDirectory());

} // namespace QtTranslation
