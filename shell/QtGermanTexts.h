#pragma once
// Qt's own texts (the file dialogs' labels and buttons, the message boxes'
// buttons) in German like the program's: Qt's translation qtbase_de.qm.
#include <QStringList>

// Where the translation is looked for: the folder "translations" beside the
// program (the Windows program's folder), then Qt's own translations folder.
QStringList QtTranslationFolders();
// Installs the German translation of Qt's texts from the first folder that has
// it; false when none has.
bool LoadQtGermanTexts(const QStringList& folders = QtTranslationFolders());
