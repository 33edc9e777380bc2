#include "views/TFileDialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QStandardPaths>

namespace {

// A folder the user can write to, not the program's (on Windows under Program
// Files): the documents folder, or the home folder where there is none.
QString StartFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

}  // namespace

TFileDialog::TFileDialog(QWidget* owner, AcceptMode mode, Chooses what) : QFileDialog(owner) {
  setAcceptMode(mode);
  setOption(DontUseNativeDialog);
  setDirectory(StartFolder());
  if (what == Chooses::Folder) {
    setFileMode(Directory);
    setOption(ShowDirsOnly);
    setWindowTitle(QStringLiteral("Ordner für den CSV-Export"));
    setLabelText(Accept, QStringLiteral("Exportieren"));
    return;
  }
  setFileMode(mode == AcceptOpen ? ExistingFile : AnyFile);
  setDefaultSuffix(QStringLiteral("sol"));
  setNameFilters({QStringLiteral("*.sol (*.sol)"), QStringLiteral("Alle Dateien(*.*) (*)")});
}

QString TFileDialog::Choose() {
  if (exec() != QDialog::Accepted || selectedFiles().isEmpty()) return {};
  return selectedFiles().constFirst();
}

// The completions are found when the dialog is first shown, when its own
// widgets surely exist, and bound again at every later showing.
void TFileDialog::showEvent(QShowEvent* event) {
  if (completions_.empty())
    for (QCompleter* completer : findChildren<QCompleter*>())
      if (completer->widget() != nullptr) completions_.emplace_back(completer, completer->widget());
  for (const auto& [completer, field] : completions_) completer->setWidget(field);
  QFileDialog::showEvent(event);
}

void TFileDialog::hideEvent(QHideEvent* event) {
  for (const auto& [completer, field] : completions_) {
    completer->popup()->hide();
    completer->setWidget(nullptr);
  }
  QFileDialog::hideEvent(event);
}
