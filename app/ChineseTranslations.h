#pragma once

// Makes Qt's own texts (standard buttons, file dialogs, context menus) speak Chinese.
// False when Qt's zh_CN translations are not installed.
bool installChineseTranslations();
