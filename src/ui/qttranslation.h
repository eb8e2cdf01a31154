#pragma once

#include <QString>

namespace veltrano::ui {

// Loads Qt's own translation (the texts of the file dialog, the message box buttons and the
// context menus of text boxes) for the user's locale, and German when Qt has none for it, since
// every text of the program itself is German. Call once, after the application object exists.
// Returns the language loaded ("de", "fr", ...), empty when no translation could be found.
QString installQtTranslation();

} // namespace veltrano::ui
