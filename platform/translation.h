#pragma once

class QTranslator;

namespace mezni {

// Loads Qt's own Czech texts (context menus, standard buttons) into the translator and installs
// it; false where the translation is not installed.
bool installQtCzech(QTranslator &translator);

} // namespace mezni
